#include "playlists/TMangle.h"

#include "platform/FileDialogs.h"
#include "platform/FileOperationEngine.h"
#include "platform/MainWindowDialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/ModalRunner.h"
#include "playlists/DelayedProgress.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/ProgramState.h"
#include "playlists/TConfirmKill.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <optional>

namespace vantoro {

namespace {

const QString kSelectFirst = QStringLiteral("You must first select (click on) a clip");

// Where the entry at `oldRow` of `before` stands in `after`, when `after` is `before` with
// entries inserted (order otherwise kept) and no inserted entry equals an existing one.
int rowAfterInsertions(const QStringList& before, const QStringList& after, int oldRow)
{
    if (oldRow < 0)
        return -1;
    qsizetype at = 0;
    for (qsizetype i = 0; i <= oldRow; ++i) {
        while (at < after.size() && after.at(at) != before.at(i))
            ++at;
        if (i < oldRow)
            ++at;
    }
    return at < after.size() ? int(at) : -1;
}

} // namespace

TMangle::TMangle(ProgramState& state, const Services& services, QString clipDialogFolder,
                 QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services),
      m_clipDialogFolder(std::move(clipDialogFolder))
{
    setWindowTitle(QStringLiteral("Vantoro - Edit Playlist"));
    // A dialog frame: not resizable, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    buildControls();
}

void TMangle::buildControls()
{
    Label1 = new QLabel(QStringLiteral("Media in this Playlist:"), this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    QPalette blue = Label1->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label1->setPalette(blue);

    ListBox1 = new QListWidget(this);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListBox1->setMinimumSize(560, 340);
    Label1->setBuddy(ListBox1);

    auto button = [this](const char* name, const char* caption, const char* hint) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        return b;
    };
    ButtonAdd = button("ButtonAdd", "Add clip(s)", "Add Clip(s) to this Playlist");
    ButtonDelete = button("ButtonDelete", "Delete clip", "Delete Selected Media from Playlist");
    ButtonUp = button("ButtonUp", "Move Up", "Move selected clip up in Playlist");
    ButtonDown = button("ButtonDown", "Move Down", "Move selected clip down in Playlist");
    ButtonDown->setProperty("tag", kMoveDownTag);
    ButtonSort = button("ButtonSort", "Sort", "Put clips in alphabetical order");
    ButtonOK = button("ButtonOK", "OK", "Save changes & Exit");
    ButtonOK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    ButtonOK->setDefault(true); // Enter
    BitBtn1 = button("BitBtn1", "Cancel", "Undo any changes");
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
    // Esc reaches reject(), which is Cancel's own way out.

    connect(ButtonAdd, &QPushButton::clicked, this, [this] { ButtonAddClick(); });
    connect(ButtonDelete, &QPushButton::clicked, this, [this] { ButtonDeleteClick(); });
    connect(ButtonUp, &QPushButton::clicked, this, [this] { ButtonUpClick(ButtonUp); });
    connect(ButtonDown, &QPushButton::clicked, this, [this] { ButtonUpClick(ButtonDown); });
    connect(ButtonSort, &QPushButton::clicked, this, [this] { ButtonSortClick(); });
    connect(ButtonOK, &QPushButton::clicked, this, [this] { ButtonOKClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    auto* commands = new QVBoxLayout;
    commands->setSpacing(8);
    for (QPushButton* b :
         {ButtonAdd, ButtonDelete, ButtonUp, ButtonDown, ButtonSort, ButtonOK, BitBtn1})
        b->setMinimumSize(std::max(b->sizeHint().width(), 112),
                          std::max(b->sizeHint().height(), 30));
    for (QPushButton* b : {ButtonAdd, ButtonDelete, ButtonUp, ButtonDown, ButtonSort})
        commands->addWidget(b);
    commands->addStretch();
    commands->addWidget(ButtonOK);
    commands->addWidget(BitBtn1);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setHorizontalSpacing(12);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(ListBox1, 1, 0);
    layout->addLayout(commands, 1, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(ListBox1, ButtonAdd);
}

int TMangle::PlaylistEdit(ProgramState& state, const Services& services,
                          const QString& clipDialogFolder, QWidget* parent)
{
    auto editor = std::make_unique<TMangle>(state, services, clipDialogFolder, parent);
    if (!editor->FormCreate())
        return QDialog::Rejected;
    return editor->runModal(*editor);
}

bool TMangle::FormCreate()
{
    // The editor's own playlist dialog, with the filters of the main window's.
    FileDialogSpec spec = openDialog2Spec(m_state.ListFolder);
    spec.title = QStringLiteral("Select Playlist to Modify");
    spec.defaultSuffix = QStringLiteral("asx");
    spec.multiSelect = false;
    m_list.setSorted(false);
    const QStringList chosen = m_services.fileDialogs->openFiles(spec);
    if (chosen.isEmpty())
        return false;
    m_playlistPath = chosen.first();
    setWindowTitle(windowTitle() + QStringLiteral(" [") + m_playlistPath + QStringLiteral("]"));
    // A playlist that cannot be read is never edited: OK would replace it with what little,
    // if anything, was read of it.
    // A long read shows its progress; a cancelled one closes the editor as an unread playlist does.
    std::optional<DelayedProgress> progress;
    if (m_services.progress != nullptr)
        progress.emplace(*m_services.progress,
                         QStringLiteral("Reading playlist %1").arg(m_playlistPath));
    if (!ReadPlaylist(m_state.AllBox, m_playlistPath, *m_services.messages,
                      progress ? &*progress : nullptr))
        return false;
    m_list.setItems(m_state.AllBox.items());
    showEntries(-1);
    return true;
}

QString TMangle::savePathFor(const QString& path)
{
    const qsizetype nameStart = path.lastIndexOf(u'/') + 1;
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString asx = QStringLiteral(".asx");
    if (dot < nameStart)
        return path + asx;
    if (path.mid(dot).compare(asx, Qt::CaseInsensitive) == 0)
        return path;
    return path.left(dot) + asx;
}

int TMangle::selectedIndex() const
{
    const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
    return selected.isEmpty() ? -1 : ListBox1->row(selected.first());
}

void TMangle::showEntries(int row)
{
    ListBox1->clear();
    ListBox1->addItems(m_list.items());
    if (row >= 0)
        ListBox1->setCurrentRow(row);
    else
        ListBox1->setCurrentRow(-1);
}

int TMangle::runModal(QDialog& dialog)
{
    return m_services.modal ? m_services.modal->exec(dialog) : dialog.exec();
}

void TMangle::ButtonAddClick()
{
    const QStringList picked =
        m_services.fileDialogs->openFiles(openDialog1Spec(m_clipDialogFolder));
    if (picked.isEmpty())
        return;
    const QStringList before = m_list.items();
    const int selected = selectedIndex();
    for (const QString& path : picked) {
        // Listed already when only the letter case differs.
        if (!m_list.items().contains(path, Qt::CaseInsensitive))
            m_list.add(path);
    }
    if (m_list.count() == before.size())
        return;
    // The selected clip stays selected wherever the additions moved it.
    showEntries(rowAfterInsertions(before, m_list.items(), selected));
}

void TMangle::ButtonDeleteClick()
{
    const int index = selectedIndex();
    if (index < 0) {
        m_services.messages->plain(kSelectFirst);
        return;
    }
    auto confirm = std::make_unique<TConfirmKill>(this);
    confirm->setTrashAvailable(m_services.fileOperations != nullptr);
    if (runModal(*confirm) != QDialog::Accepted)
        return;
    if (confirm->CheckBox1->isChecked()) {
        FileOperationRequest request;
        request.operation = FileOperationCode::Delete;
        request.sources = {m_list.at(index)};
        request.flags = FileOperationFlag::kAllowUndo | FileOperationFlag::kNoConfirmation |
                        FileOperationFlag::kSilent | FileOperationFlag::kFilesOnly;
        // The engine has shown why the file stayed; so does its entry.
        if (m_services.fileOperations->run(request).anyOperationsAborted)
            return;
    }
    m_list.removeAt(index);
    delete ListBox1->takeItem(index);
    ListBox1->setCurrentRow(-1);
}

void TMangle::ButtonUpClick(QObject* sender)
{
    const int index = selectedIndex();
    if (index < 0) {
        m_services.messages->plain(kSelectFirst);
        return;
    }
    m_list.setSorted(false);
    const bool down = sender && sender->property("tag").toInt() == kMoveDownTag;
    const int to = down ? index + 1 : index - 1;
    if (to < 0 || to >= m_list.count())
        return;
    m_list.move(index, to);
    QListWidgetItem* item = ListBox1->takeItem(index);
    ListBox1->insertItem(to, item);
    // The moved clip stays selected, so that repeated clicks keep moving it.
    ListBox1->setCurrentRow(to);
}

void TMangle::ButtonSortClick()
{
    m_list.setSorted(true);
    showEntries(-1);
}

void TMangle::ButtonOKClick()
{
    m_state.AllBox.setItems(m_list.items());
    const QString target = savePathFor(m_playlistPath);
    // A playlist that could not be written (its error box has been shown) keeps the editor
    // open with every edit, so the user can make room and try again or cancel; the file on
    // disk is still the old one.
    if (!WritePlaylist(m_state.AllBox, target, target, *m_services.messages))
        return;
    m_services.messages->information(QStringLiteral("Playlist ") + target +
                                     QStringLiteral(" created/updated"));
    accept();
}

void TMangle::BitBtn1Click()
{
    // Files already sent to the Trash stay there.
    reject();
}

void TMangle::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}

} // namespace vantoro
