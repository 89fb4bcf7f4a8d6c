#include "platform/QtFileOperationQuestions.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

namespace vantoro {

namespace {

QString fileName(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString folderOf(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QtFileOperationQuestions::QtFileOperationQuestions(QWidget* parent) : m_parent(parent) {}

QWidget* QtFileOperationQuestions::owner() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return m_parent.data();
}

QString QtFileOperationQuestions::deleteText(const QStringList& paths, bool toTrash)
{
    if (paths.size() == 1) {
        const QString name = quoted(fileName(paths.first()));
        return toTrash
                   ? QStringLiteral("Are you sure you want to move %1 to the Trash?").arg(name)
                   : QStringLiteral("Are you sure you want to permanently delete %1?").arg(name);
    }
    const QString count = QString::number(paths.size());
    return toTrash ? QStringLiteral("Are you sure you want to move these %1 items to the Trash?")
                         .arg(count)
                   : QStringLiteral("Are you sure you want to permanently delete these %1 items?")
                         .arg(count);
}

QString QtFileOperationQuestions::collisionText(const QString& name, const QString& folder,
                                                FileOperationCode operation)
{
    return QStringLiteral("The folder %1 already contains an item named %2.\n\nDo you want to "
                          "replace it with the one you are %3?")
        .arg(quoted(folder), quoted(name),
             operation == FileOperationCode::Move ? QStringLiteral("moving")
                                                  : QStringLiteral("copying"));
}

QString QtFileOperationQuestions::createFolderText(const QString& folder)
{
    return QStringLiteral("The folder %1 does not exist.\n\nDo you want to create it?")
        .arg(quoted(folder));
}

QString QtFileOperationQuestions::permanentDeleteText(const QString& path, const QString& reason)
{
    return QStringLiteral("%1 in %2 cannot be moved to the Trash: %3\n\nDo you want to delete "
                          "it permanently? It cannot be restored.")
        .arg(quoted(fileName(path)), quoted(folderOf(path)), reason);
}

QString QtFileOperationQuestions::replacePermanentlyText(const QString& path, const QString& reason)
{
    return QStringLiteral("%1 in %2 is to be replaced, but it cannot be moved to the Trash: "
                          "%3\n\nDo you want to delete it permanently? It cannot be restored. "
                          "No keeps it and skips the item that would replace it.")
        .arg(quoted(fileName(path)), quoted(folderOf(path)), reason);
}

QString QtFileOperationQuestions::errorText(const FileOperationError& error)
{
    const QString name = quoted(fileName(error.path));
    const QString from = quoted(folderOf(error.path));
    QString what;
    switch (error.operation) {
    case FileOperationCode::Copy:
        what = QStringLiteral("Cannot copy %1 from %2 to %3.")
                   .arg(name, from, quoted(error.destination));
        break;
    case FileOperationCode::Move:
        what = QStringLiteral("Cannot move %1 from %2 to %3.")
                   .arg(name, from, quoted(error.destination));
        break;
    case FileOperationCode::Delete:
        what = QStringLiteral("Cannot delete %1 in %2.").arg(name, from);
        break;
    }
    return what + QStringLiteral("\n\n") + error.reason;
}

int QtFileOperationQuestions::ask(QMessageBox& box)
{
    m_open = &box;
    const int result = box.exec();
    m_open = nullptr;
    return result;
}

void QtFileOperationQuestions::operationStarts(FileOperationCode operation)
{
    m_operation = operation;
}

void QtFileOperationQuestions::cancelOpenQuestion()
{
    if (m_open)
        m_open->reject();
}

bool QtFileOperationQuestions::confirmDelete(const QStringList& paths, bool toTrash)
{
    QMessageBox box(toTrash ? QMessageBox::Question : QMessageBox::Warning,
                    toTrash ? QStringLiteral("Move to Trash")
                            : QStringLiteral("Delete Permanently"),
                    deleteText(paths, toTrash), QMessageBox::Yes | QMessageBox::No, owner());
    box.setDefaultButton(toTrash ? QMessageBox::Yes : QMessageBox::No);
    return ask(box) == QMessageBox::Yes;
}

bool QtFileOperationQuestions::confirmCreateFolder(const QString& folder)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Create Folder"),
                    createFolderText(folder), QMessageBox::Yes | QMessageBox::No, owner());
    box.setDefaultButton(QMessageBox::Yes);
    return ask(box) == QMessageBox::Yes;
}

CollisionAnswer QtFileOperationQuestions::askCollision(const QString& name, const QString& folder)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Replace Item"),
                    collisionText(name, folder, m_operation), QMessageBox::NoButton, owner());
    QPushButton* replace = box.addButton(QStringLiteral("&Replace"), QMessageBox::AcceptRole);
    QPushButton* skip = box.addButton(QStringLiteral("&Skip"), QMessageBox::RejectRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(skip);
    box.setEscapeButton(cancel);
    auto* forAll = new QCheckBox(QStringLiteral("&Do this for all remaining conflicts"), &box);
    box.setCheckBox(forAll);
    ask(box);
    CollisionAnswer answer;
    if (box.clickedButton() == replace)
        answer.choice = CollisionChoice::Replace;
    else if (box.clickedButton() == skip)
        answer.choice = CollisionChoice::Skip;
    else
        answer.choice = CollisionChoice::Cancel;
    answer.forAllRemaining = answer.choice != CollisionChoice::Cancel && forAll->isChecked();
    return answer;
}

bool QtFileOperationQuestions::confirmPermanentDelete(const QString& path, const QString& reason)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Cannot Move to Trash"),
                    permanentDeleteText(path, reason), QMessageBox::Yes | QMessageBox::No, owner());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return ask(box) == QMessageBox::Yes;
}

PermanentDeleteAnswer QtFileOperationQuestions::confirmReplacePermanently(const QString& path,
                                                                          const QString& reason)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Cannot Move to Trash"),
                    replacePermanentlyText(path, reason), QMessageBox::Yes | QMessageBox::No,
                    owner());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    auto* forAll = new QCheckBox(QStringLiteral("&Do this for all remaining files"), &box);
    box.setCheckBox(forAll);
    PermanentDeleteAnswer answer;
    answer.yes = ask(box) == QMessageBox::Yes;
    answer.forAllRemaining = forAll->isChecked();
    return answer;
}

ErrorChoice QtFileOperationQuestions::askError(const FileOperationError& error)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("File Operation Error"), errorText(error),
                    QMessageBox::Retry | QMessageBox::Cancel, owner());
    QPushButton* skip = box.addButton(QStringLiteral("&Skip"), QMessageBox::ActionRole);
    // What the drive cannot hold, a retry cannot mend: Skip All instead.
    QPushButton* skipAll = nullptr;
    if (error.driveCannotHold) {
        box.removeButton(box.button(QMessageBox::Retry));
        skipAll = box.addButton(QStringLiteral("Skip &All"), QMessageBox::ActionRole);
    }
    box.setDefaultButton(skip);
    box.setEscapeButton(QMessageBox::Cancel);
    ask(box);
    if (box.clickedButton() == skip)
        return ErrorChoice::Skip;
    if (skipAll && box.clickedButton() == skipAll)
        return ErrorChoice::SkipAll;
    if (box.clickedButton() == box.button(QMessageBox::Retry))
        return ErrorChoice::Retry;
    return ErrorChoice::Cancel;
}

} // namespace vantoro
