#include "platform/QtFileDialogs.h"

#include "platform/DialogOwner.h"
#include "platform/MultiFileDialog.h"
#include "platform/PicturePreview.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QSplitter>
#include <QTimer>

#include <memory>

namespace vantoro {

QString QtFileDialogs::dialogFilter(const QString& filter)
{
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    if (open < 0 || !filter.endsWith(QLatin1Char(')')))
        return filter;
    QStringList patterns =
        filter.mid(open + 1, filter.size() - open - 2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
    }
    return filter.left(open + 1) + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

void QtFileDialogs::configure(QFileDialog& dialog, const FileDialogSpec& spec)
{
    // Options first: HideNameFilterDetails decides how the filters are listed.
    QFileDialog::Options options =
        QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails;
    if (!spec.overwritePrompt)
        options |= QFileDialog::DontConfirmOverwrite;
    dialog.setOptions(options);
    dialog.setWindowTitle(spec.title);
    if (!spec.initialFolder.isEmpty())
        dialog.setDirectory(spec.initialFolder);
    QStringList filters;
    for (const QString& filter : spec.filters)
        filters << dialogFilter(filter);
    if (!filters.isEmpty()) {
        // Files that do not match the filter are left out rather than listed greyed out.
        if (auto* model = dialog.findChild<QFileSystemModel*>())
            model->setNameFilterDisables(false);
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(
            filters.value(qBound(0, spec.filterIndex, int(filters.size()) - 1)));
    }
    if (!spec.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(spec.defaultSuffix);
    if (!spec.proposedName.isEmpty())
        dialog.selectFile(spec.proposedName);
    if (spec.picturePreview)
        addPicturePreview(dialog);
}

void QtFileDialogs::addPicturePreview(QFileDialog& dialog)
{
    auto* pane = new QLabel;
    pane->setObjectName(QStringLiteral("picturePreview"));
    pane->setFixedSize(kPreviewPaneSize);
    pane->setAlignment(Qt::AlignCenter);
    pane->setFrameShape(QFrame::StyledPanel);
    if (auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter")))
        splitter->addWidget(pane);
    else if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);
    else
        pane->setParent(&dialog); // an unknown layout: still owned by the dialog

    // Qt's default size leaves the list little room once the pane takes its share; open
    // larger, within the screen, and let the list take what the pane does not.
    QSize size = kPreviewDialogSize;
    if (const QScreen* screen = dialog.screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
    if (auto* splitter =
            pane->parentWidget() ? qobject_cast<QSplitter*>(pane->parentWidget()) : nullptr) {
        const int index = splitter->indexOf(pane);
        splitter->setStretchFactor(index, 0);
        if (index > 0)
            splitter->setStretchFactor(index - 1, 1);
    }

    auto* preview = new PicturePreview(pane);
    auto* delay = new QTimer(pane);
    delay->setSingleShot(true);
    delay->setInterval(kPreviewDelayMs);
    // The file whose picture the pane should show; a finished decode of any other is dropped.
    auto current = std::make_shared<QString>();

    QObject::connect(&dialog, &QFileDialog::currentChanged, pane,
                     [pane, delay, current](const QString& path) {
                         pane->clear();
                         *current = QFileInfo(path).isFile() ? path : QString();
                         if (current->isEmpty())
                             delay->stop();
                         else
                             delay->start();
                     });
    QObject::connect(delay, &QTimer::timeout, pane, [pane, preview, current] {
        if (!current->isEmpty())
            preview->request(*current, pane->contentsRect().size());
    });
    QObject::connect(preview, &PicturePreview::previewReady, pane,
                     [pane, current](const QString& path, const QImage& image) {
                         if (path != *current)
                             return;
                         if (image.isNull())
                             pane->clear();
                         else
                             pane->setPixmap(QPixmap::fromImage(image));
                     });
}

QStringList QtFileDialogs::openFiles(const FileDialogSpec& spec)
{
    if (spec.multiSelect) {
        MultiFileDialog dialog(dialogOwner());
        configure(dialog, spec);
        const int result = dialog.exec();
        rememberFilter(dialog);
        return result == QDialog::Accepted ? dialog.chosenFiles() : QStringList();
    }
    QFileDialog dialog(dialogOwner());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name of a file that does not exist can only be taken alone: Qt's dialog accepts
    // such names in its single-file mode only.
    if (spec.acceptNonExisting)
        dialog.setFileMode(QFileDialog::AnyFile);
    else
        dialog.setFileMode(QFileDialog::ExistingFile);
    configure(dialog, spec);
    const int result = dialog.exec();
    rememberFilter(dialog);
    if (result != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

void QtFileDialogs::rememberFilter(const QFileDialog& dialog)
{
    // With the details hidden the dialog names the filter by its description alone, without
    // the final "(patterns)".
    const QString selected = dialog.selectedNameFilter();
    const QStringList filters = dialog.nameFilters();
    m_lastFilterIndex = -1;
    for (qsizetype i = 0; i < filters.size(); ++i) {
        const QString& filter = filters.at(i);
        const qsizetype open = filter.lastIndexOf(QStringLiteral(" ("));
        if (filter == selected || (open > 0 && filter.left(open) == selected)) {
            m_lastFilterIndex = static_cast<int>(i);
            break;
        }
    }
}

QString QtFileDialogs::saveFile(const FileDialogSpec& spec)
{
    QFileDialog dialog(dialogOwner());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    configure(dialog, spec);
    const int result = dialog.exec();
    rememberFilter(dialog);
    if (result != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

} // namespace vantoro
