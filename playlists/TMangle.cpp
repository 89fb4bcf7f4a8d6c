#include "playlists/TMangle.h"

#include "fileops/FileOperationEngine.h"
#include "fileops/IoError.h"
#include "platform/FileDialogs.h"
#include "platform/MainWindowDialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/ModalRunner.h"
#include "platform/QtProgressWindows.h"
#include "playlists/BackgroundWork.h"
#include "playlists/ClipDropTarget.h"
#include "playlists/ClipListModel.h"
#include "playlists/ClipListView.h"
#include "playlists/DelayedProgress.h"
#include "playlists/DroppedClips.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/PlaylistLoader.h"
#include "playlists/ProgramState.h"
#include "playlists/TConfirmKill.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <vector>

namespace vantoro {

namespace {

const QString kSelectFirst = QStringLiteral("You must first select (click on) a clip");
const QString kMissingAtOpening =
    QStringLiteral("Warning: %1 clip(s) could not be found.\rThey are listed greyed and stay in "
                   "the playlist unless you remove them.");
const QString kKeepMissing = QStringLiteral("Keep the %1 entries whose files could not be found?");
const QString kPlaylistExists =
    QStringLiteral("Playlist with that name already exists!\rOK to overwrite?");

// How many of the longest paths (by characters) are measured for the width of the rows:
// measuring every one of a long list would take longer than the list takes to show.
constexpr qsizetype kMeasuredPaths = 32;
// How often the read's progress is shown while the playlist is read.
constexpr int kProgressIntervalMs = 40;
constexpr int kProgressSteps = 1000;

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

    m_model = new ClipListModel(this);
    ListBox1 = new ClipListView(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setModel(m_model);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row is one line of text: the view lays out a long list without measuring each.
    ListBox1->setUniformItemSizes(true);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListBox1->setMinimumSize(560, 340);
    Label1->setBuddy(ListBox1);
    // Files and folders dragged from the file manager are added as Add clip(s) adds them; a
    // folder is searched off the GUI thread, as on the main window.
    new ClipDropTarget(
        ListBox1, [this](const QStringList& clips, int row) { addClips(clips, row); },
        [this](const QStringList& paths) {
            QStringList clips;
            const bool cancelled = runInBackground(
                *m_services.messages, m_services.progress, QStringLiteral("Searching for clips"),
                [&](MessageBoxes&, DelayedProgress* progress) {
                    int folders = 0;
                    clips = clipsOfDroppedPaths(paths, [&] {
                        return progress == nullptr || progress->update(++folders, 0);
                    });
                });
            return cancelled ? QStringList() : clips;
        });

    // The framed (current) row is the selected one: a row the keyboard frames is selected with
    // it, and a row whose selection is taken away loses its frame too.
    QItemSelectionModel* selection = ListBox1->selectionModel();
    connect(selection, &QItemSelectionModel::currentChanged, this,
            [selection](const QModelIndex& current) {
                if (current.isValid() && !selection->isSelected(current))
                    selection->select(current, QItemSelectionModel::ClearAndSelect);
            });
    connect(selection, &QItemSelectionModel::selectionChanged, this, [selection] {
        if (!selection->hasSelection() && selection->currentIndex().isValid())
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    });

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
    // Holding a Move button (the mouse, or Space) keeps moving the clip at the keyboard's
    // repeat rate.
    const int repeatMs = std::clamp(
        int(1000 / std::max(1, QGuiApplication::styleHints()->keyboardAutoRepeatRate())), 20, 200);
    for (QPushButton* move : {ButtonUp, ButtonDown}) {
        move->setAutoRepeat(true);
        move->setAutoRepeatInterval(repeatMs);
    }
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

    // The read's progress shows beside the list's caption, which has room for it: the window
    // keeps its size and its layout when it goes.
    ReadLabel = new QLabel(this);
    ReadLabel->setObjectName(QStringLiteral("ReadLabel"));
    ReadProgress = new QProgressBar(this);
    ReadProgress->setObjectName(QStringLiteral("ReadProgress"));
    ReadProgress->setRange(0, kProgressSteps);
    ReadProgress->setTextVisible(false);
    for (QWidget* w : {static_cast<QWidget*>(ReadLabel), static_cast<QWidget*>(ReadProgress)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
        w->hide();
    }
    ReadProgress->setFixedHeight(Label1->sizeHint().height());
    auto* captionRow = new QHBoxLayout;
    captionRow->addWidget(Label1);
    captionRow->addStretch(1);
    captionRow->addWidget(ReadLabel);
    captionRow->addWidget(ReadProgress, 1);
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(kProgressIntervalMs);
    connect(m_progressTimer, &QTimer::timeout, this, [this] {
        showReadProgress();
        m_loader->takeIfDone();
    });

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setHorizontalSpacing(12);
    layout->addLayout(captionRow, 0, 0);
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
    m_model->setSorted(false);
    const QStringList chosen = m_services.fileDialogs->openFiles(spec);
    if (chosen.isEmpty())
        return false;
    m_playlistPath = chosen.first();
    setWindowTitle(windowTitle() + QStringLiteral(" [") + m_playlistPath + QStringLiteral("]"));
    // A playlist that cannot be read is never edited: OK would replace it with what little,
    // if anything, was read of it. One that cannot even be opened never shows the editor.
    m_loader = new PlaylistLoader(this);
    connect(m_loader, &PlaylistLoader::finished, this, [this] { readEnded(); });
    if (!m_loader->start(m_playlistPath)) {
        m_services.messages->error(ioErrorText(m_loader->error()));
        return false;
    }
    setReading(true);
    return true;
}

bool TMangle::reading() const
{
    return m_loader != nullptr && m_loader->running();
}

void TMangle::setReading(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{ListBox1, ButtonAdd, ButtonDelete, ButtonUp,
                                                      ButtonDown, ButtonSort, ButtonOK})
        w->setEnabled(!on);
    ReadLabel->setVisible(on);
    ReadProgress->setVisible(on);
    // Cancel is the one button that works meanwhile; Return must not press it by chance.
    BitBtn1->setAutoDefault(!on);
    if (on) {
        showReadProgress();
        m_progressTimer->start();
    } else {
        m_progressTimer->stop();
        ListBox1->setFocus();
    }
}

void TMangle::showReadProgress()
{
    const qint64 done = m_loader->bytesRead();
    const qint64 total = m_loader->totalBytes();
    ReadLabel->setText(QStringLiteral("Reading the playlist: ") +
                       QtProgressWindows::amountText(done, total));
    ReadProgress->setValue(total > 0 ? int(std::min(done, total) * kProgressSteps / total) : 0);
}

void TMangle::readEnded()
{
    PlaylistLoader::Result read = std::move(m_loader->result());
    if (read.cancelled || read.error != 0) {
        setReading(false);
        if (read.error != 0)
            m_services.messages->error(ioErrorText(read.error));
        if (!read.cancelled)
            reject();
        return;
    }
    m_state.AllBox.setItems(std::move(read.clips));
    QStringList shown = read.missing.isEmpty() ? QStringList() : QStringList(read.missing.values());
    for (QString& missing : shown)
        missing = ClipListModel::shownText(missing, true);
    fitRowSize(read.entries);
    fitRowSize(shown);
    m_model->setItems(std::move(read.entries), std::move(read.missing), std::move(read.counts));
    // The list takes the focus once filled, so that it frames its first row.
    setReading(false);
    if (read.missingCount > 0)
        m_services.messages->warning(kMissingAtOpening.arg(read.missingCount));
}

const ClipList& TMangle::entries() const
{
    return m_model->list();
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
    const QModelIndexList selected = ListBox1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TMangle::selectRow(int row)
{
    QItemSelectionModel* selection = ListBox1->selectionModel();
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex index = m_model->index(row);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    ListBox1->scrollTo(index);
}

void TMangle::fitRowSize(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    // The longest paths by characters; the widest on screen is almost always among them.
    std::vector<qsizetype> longest(size_t(paths.size()));
    for (qsizetype i = 0; i < paths.size(); ++i)
        longest[size_t(i)] = i;
    const qsizetype measured = std::min(kMeasuredPaths, paths.size());
    std::nth_element(
        longest.begin(), longest.begin() + (measured - 1), longest.end(),
        [&](qsizetype a, qsizetype b) { return paths.at(a).size() > paths.at(b).size(); });
    // Measured as the view's delegate measures a row of text.
    QStyleOptionViewItem option;
    option.initFrom(ListBox1);
    option.font = ListBox1->font();
    option.fontMetrics = ListBox1->fontMetrics();
    option.features = QStyleOptionViewItem::HasDisplay;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    QSize size = m_model->itemSize();
    for (qsizetype k = 0; k < measured; ++k) {
        option.text = paths.at(longest[size_t(k)]);
        const QSize row = ListBox1->style()->sizeFromContents(QStyle::CT_ItemViewItem, &option,
                                                              QSize(), ListBox1);
        size = size.isValid() ? size.expandedTo(row) : row;
    }
    m_model->setItemSize(size);
}

int TMangle::runModal(QDialog& dialog)
{
    return m_services.modal ? m_services.modal->exec(dialog) : dialog.exec();
}

void TMangle::ButtonAddClick()
{
    const QStringList picked =
        m_services.fileDialogs->openFiles(openDialog1Spec(m_clipDialogFolder));
    if (!picked.isEmpty())
        addClips(picked);
}

void TMangle::addClips(const QStringList& paths, int beforeRow)
{
    if (reading())
        return; // the list is filled when the read ends
    // Paths are compared exactly: file names here tell letter cases apart.
    QSet<QString> added;
    QStringList fresh;
    for (const QString& path : paths) {
        if (!m_model->contains(path) && !added.contains(path)) {
            added.insert(path);
            fresh.append(path);
        }
    }
    if (fresh.isEmpty())
        return;
    // One addition is told to the view as one row inserted, which keeps the selection; only
    // many can reset the view. (Kept only then: changing the list would copy it.)
    const QStringList before = fresh.size() > 1 ? m_model->list().items() : QStringList();
    const int selected = selectedIndex();
    fitRowSize(fresh);
    m_model->insertAt(beforeRow, fresh);
    // The selected clip stays selected wherever the additions moved it (many additions reset
    // the view, which forgets its selection).
    if (selected >= 0 && selectedIndex() < 0 && !before.isEmpty())
        selectRow(rowAfterInsertions(before, m_model->list().items(), selected));
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
        request.sources = {m_model->list().at(index)};
        request.flags = FileOperationFlag::kAllowUndo | FileOperationFlag::kNoConfirmation |
                        FileOperationFlag::kSilent | FileOperationFlag::kFilesOnly;
        // The engine has shown why the file stayed; so does its entry.
        if (m_services.fileOperations->run(request).anyOperationsAborted)
            return;
    }
    m_model->removeAt(index);
    selectRow(-1);
}

void TMangle::ButtonUpClick(QObject* sender)
{
    const int index = selectedIndex();
    if (index < 0) {
        // A held button stops repeating: one message, not one per repeat.
        if (auto* button = qobject_cast<QAbstractButton*>(sender))
            button->setDown(false);
        m_services.messages->plain(kSelectFirst);
        return;
    }
    m_model->setSorted(false);
    const bool down = sender && sender->property("tag").toInt() == kMoveDownTag;
    const int to = down ? index + 1 : index - 1;
    if (to < 0 || to >= m_model->rowCount())
        return;
    m_model->move(index, to);
    // The moved clip stays selected, so that repeated clicks keep moving it.
    selectRow(to);
}

void TMangle::ButtonSortClick()
{
    // The selection follows its clip to its sorted place.
    m_model->setSorted(true);
    if (const int selected = selectedIndex(); selected >= 0)
        ListBox1->scrollTo(m_model->index(selected));
}

bool TMangle::mayReplace(const QString& target)
{
    // Saving an M3U playlist writes an ASX file of the same name beside it: an existing one is
    // another playlist, replaced only when the user says so. The opened file itself is
    // updated without a question.
    const QFileInfo existing(target);
    if (!existing.exists() && !existing.isSymLink())
        return true;
    if (existing.isDir())
        return true; // not replaced; the write reports why
    const QFileInfo opened(m_playlistPath);
    if (existing.canonicalFilePath() == opened.canonicalFilePath() &&
        !existing.canonicalFilePath().isEmpty())
        return true;
    return m_services.messages->askOkCancel(kPlaylistExists);
}

void TMangle::ButtonOKClick()
{
    const QString target = savePathFor(m_playlistPath);
    if (!mayReplace(target))
        return;
    // Missing entries are written where they stand in the list, or not at all.
    QStringList written;
    if (const int missing = m_model->missingCount(); missing > 0) {
        switch (m_services.messages->askYesNoCancel(kKeepMissing.arg(missing))) {
        case MessageResult::Yes:
            written = m_model->list().items();
            break;
        case MessageResult::No:
            written = m_model->itemsFound();
            break;
        default:
            return; // Cancel: nothing written, every edit kept
        }
    } else {
        written = m_model->list().items();
    }
    m_state.AllBox.setItems(std::move(written));
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

void TMangle::reject()
{
    if (m_loader != nullptr)
        m_loader->cancel();
    QDialog::reject();
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
