#include "clipmanager/TActionForm.h"

#include "clipmanager/TKxFolderDialog.h"
#include "clipmanager/TShellFileOp.h"
#include "clipmanager/UndoStack.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "platform/TextContrast.h"
#include "playlists/DelayedProgress.h"
#include "playlists/PlaylistCommands.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/ProgramState.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include <sys/stat.h>

namespace vantoro {

namespace {

const QColor kBlue(0, 0, 255);
const QColor kAqua(0, 255, 255);
const QColor kGreen(0, 128, 0);

QFont styled(QFont font, bool bold, bool italic = false)
{
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QString withoutTrailingSlashes(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

// Whether anything exists under the name, a symbolic link that leads nowhere included: the new
// playlist would replace it.
bool nameIsTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The whole of a file, for an undo to write back; false when there is none.
bool readWhole(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return true;
}

} // namespace

namespace {
quint64 nextWindowSerial()
{
    static quint64 last = 0; // the GUI thread's alone
    return ++last;
}
} // namespace

TActionForm::TActionForm(ProgramState& state, const Services& services, QWidget* parent)
    : QDialog(parent), m_state(state), m_services(services), m_serial(nextWindowSerial())
{
    setWindowTitle(QString::fromLatin1(kCaption));
    // A dialog frame with a title but no title-bar buttons: the window closes by its Close
    // button or after an action has left nothing to act on.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_kxFolderDialog1 = new TKxFolderDialog(m_services, this);
    m_kxFolderDialog1->setFlags(TKxFolderDialog::OnlyFileSystem | TKxFolderDialog::ShowPath);
    m_kxFolderDialog1->setLabelCaptions({
        QStringLiteral("Default=Browse to DESTINATION folder:"),
        QStringLiteral("0009=Current folder:"),
        QStringLiteral("0406=Valgt mappe:"),
        QStringLiteral("0407=Mappe gewählt:"),
        QStringLiteral("0409=Browse to DESTINATION folder:"),
        QStringLiteral("0413=Huidige map"),
    });
    m_kxFolderDialog1->setNewFolderCaptions({
        QStringLiteral("Default=New folder"),
        QStringLiteral("0009=New folder"),
        QStringLiteral("0406=Ny mappe"),
        QStringLiteral("0407=Neu Mappe"),
        QStringLiteral("0409=New folder"),
        QStringLiteral("0413=Nieuwe map"),
    });

    m_shellFileOp1 = new TShellFileOp(*m_services.fileOperations, this);
    m_shellFileOp1->setFilesOnly(true);
    m_shellFileOp1->setNoConfirmation(false);
    m_shellFileOp1->setAutoMakeDir(false);
    m_shellFileOp1->setRenameOnCollision(false);
    m_shellFileOp1->setAnimate(true);
    m_shellFileOp1->setProgressTitle(QStringLiteral("Vantoro"));

    buildWindow();
    FormCreate();
}

TActionForm::~TActionForm() = default;

void TActionForm::buildWindow()
{
    const QFontMetrics metrics(font());
    const int listWidth = metrics.horizontalAdvance(u'x') * 30;
    const int listHeight = metrics.lineSpacing() * 12;

    Label1 = new QLabel(QStringLiteral("Available Marked clips"), this);
    Label2 = new QLabel(QStringLiteral("Action Box"), this);
    for (QLabel* label : {Label1, Label2}) {
        label->setFont(styled(label->font(), true));
        TextContrast::fixWindowText(*label, kBlue);
    }

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    LeftBox = new QListWidget(panel);
    RightBox = new QListWidget(panel);
    LeftBox->setAccessibleName(Label1->text());
    RightBox->setAccessibleName(Label2->text());
    for (QListWidget* box : {LeftBox, RightBox}) {
        box->setSelectionMode(QAbstractItemView::ExtendedSelection);
        box->setFixedSize(listWidth, listHeight);
    }
    FillButton = new QPushButton(QStringLiteral(">"), panel);
    SelectButton = new QPushButton(QStringLiteral(">>"), panel);
    EmptyButton = new QPushButton(QStringLiteral("<"), panel);
    UnSelButton = new QPushButton(QStringLiteral("<<"), panel);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    for (QPushButton* button : {FillButton, SelectButton, EmptyButton, UnSelButton}) {
        button->setFont(styled(button->font(), true));
        // Tab stops, but not auto-default: Return still presses Go while one has the focus.
        button->setAutoDefault(false);
        button->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("<<")) * 2 + 16);
        moves->addWidget(button);
    }
    moves->addStretch();
    auto* panelRow = new QHBoxLayout(panel);
    panelRow->addWidget(LeftBox);
    panelRow->addStretch();
    panelRow->addLayout(moves);
    panelRow->addStretch();
    panelRow->addWidget(RightBox);
    connect(FillButton, &QPushButton::clicked, this, [this] { FillButtonClick(FillButton); });
    connect(SelectButton, &QPushButton::clicked, this, [this] { FillButtonClick(SelectButton); });
    connect(EmptyButton, &QPushButton::clicked, this, [this] { EmptyButtonClick(EmptyButton); });
    connect(UnSelButton, &QPushButton::clicked, this, [this] { EmptyButtonClick(UnSelButton); });

    MemoAction = new QPlainTextEdit(this);
    MemoAction->setReadOnly(true);
    MemoAction->setFocusPolicy(Qt::NoFocus);
    MemoAction->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoAction->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoAction->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoAction->setFont(styled(MemoAction->font(), true));
    MemoAction->setPlainText(MemoActionLines().join(u'\n'));
    {
        TextContrast::fixBackground(*MemoAction, QPalette::Base, kAqua);
        const QFontMetrics memoMetrics(MemoAction->font());
        int widest = 0;
        for (const QString& line : MemoActionLines())
            widest = std::max(widest, memoMetrics.horizontalAdvance(line));
        const int frame =
            2 * MemoAction->frameWidth() + 2 * qRound(MemoAction->document()->documentMargin());
        MemoAction->setFixedSize(
            widest + frame + 6,
            memoMetrics.lineSpacing() * static_cast<int>(MemoActionLines().size()) + frame + 6);
    }

    RadioGroup1 = new QGroupBox(QStringLiteral(" Choose Action "), this);
    m_actions = new QButtonGroup(this);
    auto* items = new QVBoxLayout(RadioGroup1);
    const QStringList actions = ActionItems();
    for (int i = 0; i < actions.size(); ++i) {
        auto* item = new QRadioButton(actions.at(i), RadioGroup1);
        m_actions->addButton(item, i);
        items->addWidget(item);
    }
    setItemIndex(kDelete);

    GoButton = new QPushButton(QStringLiteral("Go"), this);
    GoButton->setFont(styled(GoButton->font(), true, true));
    TextContrast::fixButtonText(*GoButton, kGreen);
    GoButton->setToolTip(QStringLiteral("Execute Action on items in Action Box"));
    GoButton->setDefault(true);
    // Close is a tab stop: Enter while it has the focus presses it, anywhere else Go.
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    connect(GoButton, &QPushButton::clicked, this, [this] { GoButtonClick(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);

    // Each caption stands over its list.
    auto* captions = new QHBoxLayout;
    const int indent = panelRow->contentsMargins().left() + panel->frameWidth();
    captions->setContentsMargins(indent, 0, indent, 0);
    for (QLabel* label : {Label1, Label2})
        label->setFixedWidth(listWidth);
    captions->addWidget(Label1);
    captions->addStretch();
    captions->addWidget(Label2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(GoButton);
    buttons->addWidget(CloseButton);
    auto* right = new QVBoxLayout;
    right->addWidget(RadioGroup1);
    right->addLayout(buttons);
    // The Undo button takes the free space above the action text: the window keeps its size.
    UndoButton = new QPushButton(QStringLiteral("Undo"), this);
    UndoButton->setAutoDefault(false);
    UndoButton->setVisible(false);
    connect(UndoButton, &QPushButton::clicked, this, [this] { UndoButtonClick(); });
    auto* undoShortcut = new QShortcut(QKeySequence::Undo, this);
    connect(undoShortcut, &QShortcut::activated, this, [this] {
        if (UndoButton->isVisible() && UndoButton->isEnabled())
            UndoButton->click();
    });
    auto* memoColumn = new QVBoxLayout;
    memoColumn->addWidget(UndoButton, 0, Qt::AlignLeft);
    memoColumn->addStretch();
    memoColumn->addWidget(MemoAction);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(memoColumn);
    bottom->addStretch();
    bottom->addLayout(right);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(captions);
    layout->addWidget(panel);
    layout->addLayout(bottom);
    // Not resizable: the window keeps the size its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab goes left to right, then down: the lists with the move buttons between them, the
    // actions, Go, Close and Undo.
    QList<QWidget*> order = {LeftBox, FillButton, SelectButton, EmptyButton, UnSelButton, RightBox};
    for (QAbstractButton* item : m_actions->buttons())
        order.append(item);
    order.append({GoButton, CloseButton, UndoButton});
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));
    LeftBox->installEventFilter(this);
    RightBox->installEventFilter(this);
}

bool TActionForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == LeftBox || watched == RightBox)) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
            moveByKey(watched == LeftBox, key->key()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool TActionForm::moveByKey(bool fromLeft, int key)
{
    const bool toRight = key == Qt::Key_Right || key == Qt::Key_Insert;
    const bool toLeft = key == Qt::Key_Left || key == Qt::Key_Delete;
    if (!(fromLeft ? toRight : toLeft))
        return false;
    QListWidget& box = fromLeft ? *LeftBox : *RightBox;
    // The entry under the keyboard cursor moves when nothing is selected.
    if (box.selectedItems().isEmpty() && box.currentItem() != nullptr)
        box.currentItem()->setSelected(true);
    int first = box.count();
    for (int i = 0; i < box.count(); ++i) {
        if (box.item(i)->isSelected()) {
            first = i;
            break;
        }
    }
    if (fromLeft)
        FillButtonClick(FillButton);
    else
        EmptyButtonClick(EmptyButton);
    // The next entry is selected, so that the same key moves clip after clip.
    if (box.count() > 0)
        box.setCurrentRow(std::min(first, box.count() - 1));
    return true;
}

void TActionForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TActionForm::closeEvent(QCloseEvent* event)
{
    // A spontaneous close comes from the window system; the program's own close() does not.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TActionForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred on the screen, whatever window opened it.
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        const QRect frame = frameGeometry();
        move(area.center() - QPoint(frame.width() / 2, frame.height() / 2) +
             (geometry().topLeft() - frame.topLeft()));
    }
}

QStringList TActionForm::MemoActionLines()
{
    return {QStringLiteral("Confirm by selecting and moving clips to the "),
            QStringLiteral("right-hand Action Box.  After the Action Box has "),
            QStringLiteral("your choice of clips, Choose Action you wish to "),
            QStringLiteral("perform. Finally, click the green Go button.  ")};
}

QStringList TActionForm::ActionItems()
{
    return {QStringLiteral("Delete"), QStringLiteral("Copy to another folder"),
            QStringLiteral("Move to another folder"), QStringLiteral("Add to existing playlist"),
            QStringLiteral("Add to new playlist")};
}

FileDialogSpec TActionForm::OpenDialog1Spec(const QString& folder)
{
    FileDialogSpec spec;
    spec.title = QStringLiteral("Playlist for Adding Clips");
    // The description is followed by its patterns, as every filter of the file dialogs is.
    spec.filters = {QStringLiteral("Playlists (*.asx)")};
    spec.filterIndex = 0;
    spec.initialFolder = folder;
    spec.defaultSuffix = QStringLiteral("asx");
    spec.multiSelect = false;
    return spec;
}

FileDialogSpec TActionForm::SaveDialog1Spec(const QString& folder)
{
    FileDialogSpec spec;
    spec.title = QStringLiteral("Name for New Playlist  (don't enter extension)");
    spec.filters = {QStringLiteral("Playlist (*.asx)")};
    spec.filterIndex = 0;
    spec.initialFolder = folder;
    spec.defaultSuffix = QStringLiteral("asx");
    // The window asks its own question about an existing file.
    spec.overwritePrompt = false;
    return spec;
}

int TActionForm::ItemIndex() const
{
    return m_actions->checkedId();
}

void TActionForm::setItemIndex(int index)
{
    if (QAbstractButton* item = m_actions->button(index))
        item->setChecked(true);
}

QStringList TActionForm::leftNames() const
{
    QStringList names;
    for (int i = 0; i < LeftBox->count(); ++i)
        names.append(LeftBox->item(i)->text());
    return names;
}

QStringList TActionForm::rightNames() const
{
    QStringList names;
    for (int i = 0; i < RightBox->count(); ++i)
        names.append(RightBox->item(i)->text());
    return names;
}

void TActionForm::FormCreate()
{
    if (!m_state.PathLeft.isEmpty())
        m_kxFolderDialog1->setFolder(PlaylistCommands::folderOf(m_state.PathLeft.first()));
    RightBox->clear();
    LeftBox->clear();
    m_pathRight.clear();
    m_pathLeft.clear();
    // The two marked-clip lists are kept of equal length; should they ever differ, only the
    // pairs that exist are taken, so that each name stays with its path.
    const qsizetype count = std::min(m_state.LeftBox.size(), m_state.PathLeft.size());
    for (qsizetype i = 0; i < count; ++i) {
        m_pathLeft.append(m_state.PathLeft.at(i));
        LeftBox->addItem(m_state.LeftBox.at(i));
    }
}

void TActionForm::moveSelected(QListWidget& fromBox, QStringList& fromPaths, QListWidget& toBox,
                               QStringList& toPaths)
{
    for (int k = fromBox.count() - 1; k >= 0; --k) {
        if (!fromBox.item(k)->isSelected())
            continue;
        toBox.addItem(fromBox.item(k)->text());
        toPaths.append(fromPaths.at(k));
        delete fromBox.takeItem(k);
        fromPaths.removeAt(k);
    }
}

void TActionForm::FillButtonClick(QPushButton* sender)
{
    if (sender == SelectButton)
        LeftBox->selectAll();
    moveSelected(*LeftBox, m_pathLeft, *RightBox, m_pathRight);
}

void TActionForm::EmptyButtonClick(QPushButton* sender)
{
    if (sender == UnSelButton)
        RightBox->selectAll();
    moveSelected(*RightBox, m_pathRight, *LeftBox, m_pathLeft);
}

void TActionForm::removeRight(int index)
{
    delete RightBox->takeItem(index);
    m_pathRight.removeAt(index);
}

bool TActionForm::sameFolder(const QString& first, const QString& second)
{
    struct stat firstInfo
    {
    };
    struct stat secondInfo
    {
    };
    const bool firstExists = ::stat(QFile::encodeName(first).constData(), &firstInfo) == 0;
    const bool secondExists = ::stat(QFile::encodeName(second).constData(), &secondInfo) == 0;
    if (firstExists && secondExists)
        return firstInfo.st_dev == secondInfo.st_dev && firstInfo.st_ino == secondInfo.st_ino;
    if (firstExists || secondExists)
        return false;
    return withoutTrailingSlashes(first) == withoutTrailingSlashes(second);
}

QString TActionForm::confirmationText(int action, qsizetype count, const QString& source,
                                      const QString& destination)
{
    const QString verb = action == kCopy ? QStringLiteral("COPY") : QStringLiteral("MOVE");
    const QString noun = count == 1 ? QStringLiteral(" clip ") : QStringLiteral(" clips ");
    return QStringLiteral("Ready to ") + verb + noun + QStringLiteral("from ") + source +
           QStringLiteral(" to ") + destination;
}

void TActionForm::GoButtonClick()
{
    const qsizetype count = m_pathRight.size();
    const int action = ItemIndex();
    m_goPaths = m_pathRight;
    m_goNames = rightNames();
    if (count == 0) {
        m_services.messages->plain(QString::fromLatin1(kEmptyActionBox));
        return;
    }
    switch (action) {
    case kDelete:
    case kCopy:
    case kMove:
        if (!runFileAction(action))
            return;
        break;
    case kAddToExistingPlaylist:
        if (!addToExistingPlaylist())
            return;
        break;
    case kAddToNewPlaylist:
        if (!addToNewPlaylist())
            return;
        break;
    default:
        return;
    }
    closeWhenNothingLeft();
}

bool TActionForm::runFileAction(int action)
{
    QString destination;
    if (action == kCopy || action == kMove) {
        if (!m_kxFolderDialog1->Execute())
            return false;
        destination = m_kxFolderDialog1->Folder();
        // A folder item without a place on disk cannot take files.
        if (destination.isEmpty())
            return false;
        // The same folder on disk, whatever text names it: another letter case names another
        // folder here, while a symbolic link may name the source folder under a different text.
        if (sameFolder(destination, m_state.SourceFolder)) {
            m_services.messages->error(QString::fromLatin1(kSameFolder));
            return false;
        }
        if (!m_services.messages->askOkCancel(
                confirmationText(action, m_pathRight.size(), m_state.SourceFolder, destination)))
            return false;
    }
    // The clips leave the Action Box now, whatever the operation then does with them: its own
    // boxes have told the user.
    for (qsizetype k = m_pathRight.size() - 1; k >= 0; --k) {
        m_shellFileOp1->AddFile(m_pathRight.at(k));
        removeRight(static_cast<int>(k));
    }
    switch (action) {
    case kDelete:
        m_shellFileOp1->DeleteFiles();
        break;
    case kCopy:
        m_shellFileOp1->CopyFiles(destination);
        break;
    case kMove:
        m_shellFileOp1->MoveFiles(destination);
        break;
    }
    ClipAction done;
    done.files = FileOperationUndo(m_shellFileOp1->LastJournal());
    pushUndo(done);
    return true;
}

QString TActionForm::playlistDialogFolder() const
{
    // The program folder of a portable copy; an installed copy keeps the user's playlists in
    // their own folder, made the first time a dialog opens in it.
    if (m_state.PlaylistFolder.isEmpty())
        return m_state.ProgramFolder;
    makeFolderPath(m_state.PlaylistFolder);
    return m_state.PlaylistFolder;
}

bool TActionForm::addToExistingPlaylist()
{
    const QStringList chosen =
        m_services.fileDialogs->openFiles(OpenDialog1Spec(playlistDialogFolder()));
    if (chosen.isEmpty())
        return true;
    const QString playlist = chosen.first();
    ClipList& clips = m_state.AllBox;
    // The playlist's clips whose files exist, in file order and unsorted.
    // A long read shows its progress; a cancelled one ends Go with the clip list unchanged.
    std::optional<DelayedProgress> progress;
    if (m_services.progress != nullptr)
        progress.emplace(*m_services.progress, QStringLiteral("Reading playlist %1").arg(playlist));
    QStringList missing;
    if (!ReadPlaylist(clips, playlist, *m_services.messages, progress ? &*progress : nullptr,
                      &missing))
        return false;
    // Entries whose files are not there now (an unplugged drive, a share not mounted) stay in
    // the playlist: adding clips must not cost the person the entries they never touched.
    for (const QString& entry : std::as_const(missing))
        clips.add(entry);
    // A clip already listed is not added twice; paths are compared exactly, as file names
    // here tell letter cases apart.
    QSet<QString> listed(clips.items().begin(), clips.items().end());
    for (qsizetype k = m_pathRight.size() - 1; k >= 0; --k) {
        const QString& path = m_pathRight.at(k);
        if (!listed.contains(path)) {
            listed.insert(path);
            clips.add(path);
        }
        removeRight(static_cast<int>(k));
    }
    clips.setSorted(true);
    ClipAction done;
    done.playlist = playlist;
    done.playlistExisted = readWhole(playlist, done.playlistBefore);
    // Written beside the old file and renamed over it: a failure leaves the playlist as it was.
    if (!WritePlaylist(clips, playlist, playlist, *m_services.messages))
        return false;
    pushUndo(done);
    return true;
}

bool TActionForm::addToNewPlaylist()
{
    const QString chosen =
        m_services.fileDialogs->saveFile(SaveDialog1Spec(playlistDialogFolder()));
    if (chosen.isEmpty())
        return true;
    if (nameIsTaken(chosen) &&
        !m_services.messages->askOkCancel(QString::fromLatin1(kPlaylistExists)))
        return false;
    ClipList& clips = m_state.AllBox;
    clips.clear();
    clips.setSorted(false);
    for (qsizetype k = m_pathRight.size() - 1; k >= 0; --k)
        clips.add(m_pathRight.at(k));
    clips.setSorted(true);
    ClipAction done;
    done.playlist = chosen;
    done.playlistExisted = readWhole(chosen, done.playlistBefore);
    // The Action Box keeps its clips for another action.
    if (!WritePlaylist(clips, chosen, chosen, *m_services.messages))
        return false;
    m_goPaths.clear(); // nothing to put back
    m_goNames.clear();
    pushUndo(done);
    return true;
}

void TActionForm::setUndoStack(UndoStack* stack)
{
    if (m_undo)
        disconnect(m_undo, nullptr, this, nullptr);
    m_undo = stack;
    UndoButton->setVisible(stack != nullptr);
    if (stack) {
        connect(stack, &UndoStack::changed, this, [this] { updateUndoButton(); });
        // Whoever started the undo (this window, the main window, the notification), the
        // clips of this window's action come back into its Action Box.
        connect(stack, &UndoStack::undone, this, [this](const ClipUndoResult& result) {
            if (result.action.window != m_serial)
                return;
            for (qsizetype i = 0; i < result.restoredPaths.size(); ++i) {
                m_pathRight.append(result.restoredPaths.at(i));
                RightBox->addItem(result.restoredNames.at(i));
            }
        });
    }
    updateUndoButton();
}

void TActionForm::updateUndoButton()
{
    const bool can = m_undo && m_undo->canUndo();
    UndoButton->setEnabled(can);
    UndoButton->setToolTip(can ? m_undo->hint() : QStringLiteral("Nothing to undo"));
}

void TActionForm::pushUndo(ClipAction& action)
{
    if (!m_undo)
        return;
    action.window = m_serial;
    action.boxPaths = m_goPaths;
    action.boxNames = m_goNames;
    action.clipCount = int(m_goPaths.size());
    if (!action.playlist.isEmpty()) {
        action.playlistWritten = FileIdentity::of(QFile::encodeName(action.playlist));
        if (action.clipCount == 0)
            action.clipCount = int(m_state.AllBox.items().size());
    }
    m_undo->push(std::move(action));
}

void TActionForm::UndoButtonClick()
{
    if (!m_undo || !m_undo->canUndo())
        return;
    // The restored clips come back through UndoStack::undone.
    m_undo->undoNewest(*m_services.messages, *m_services.fileOperations);
}

void TActionForm::closeWhenNothingLeft()
{
    if (m_pathLeft.isEmpty())
        close();
}

} // namespace vantoro
