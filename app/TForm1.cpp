#include "app/TForm1.h"

#include "app/ButtonGlyphs.h"
#include "app/Settings.h"
#include "app/TXJustOne.h"
#include "app/WebLinks.h"
#include "htmlview/GuideTexts.h"
#include "htmlview/THtmlTextView.h"
#include "platform/AtomicFileWriter.h"
#include "platform/DroppedPaths.h"
#include "platform/HelpPage.h"
#include "platform/MediaPlayerCheck.h"
#include "platform/MessageBoxes.h"
#include "platform/ShellOpener.h"
#include "platform/StderrMessageBoxes.h"
#include "platform/TextContrast.h"
#include "playlists/PlaylistCommandHandler.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocumentFragment>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace vantoro {

namespace {

// Client size of the main window, in pixels.
constexpr int kClientWidth = 660;
constexpr int kClientHeight = 368;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QColor& textColor, QRect geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    QFont font = button->font();
    font.setBold(true);
    button->setFont(font);
    TextContrast::fixButtonText(*button, textColor);
    return button;
}

QGroupBox* makeColouredBox(QWidget* parent, const char* name, const QString& title,
                           const QColor& background, const QColor& text, QRect geometry)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setAutoFillBackground(true);
    QPalette palette = box->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::WindowText, TextContrast::readableOn(text, background));
    }
    box->setPalette(palette);
    return box;
}

} // namespace

QString TForm1::guideHtml()
{
    return kMainGuideHtml.toString();
}

TForm1::TForm1(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_services(services)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(
        QStringLiteral("Vantoro 5.0 - Player, SlideShow Viewer, Playlister & Media Manager"));
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
    setAcceptDrops(true);
    XJustOne1 = new TXJustOne(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() = default;

QPlainTextEdit* TForm1::Memo1()
{
    if (!m_memo1) {
        m_memo1 = new QPlainTextEdit(this);
        m_memo1->setObjectName(QStringLiteral("Memo1"));
        m_memo1->setReadOnly(true);
        m_memo1->setPlainText(guideHtml().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        m_memo1->hide();
    }
    return m_memo1;
}

void TForm1::placeShopButtons(const QList<QPushButton*>& buttons)
{
    // One row across the box, each button at least as wide as its caption needs in the font it
    // is drawn with (measured by the style, as the button measures itself). The room left over
    // widens the narrowest buttons to one common width, so that the row looks even. Should the
    // captions not fit in that font (a very wide system font), the font steps down until they do.
    constexpr int kGap = 6;
    constexpr int kTop = 32;
    constexpr int kHeight = 32;
    const int room = GroupBox1->width() - (static_cast<int>(buttons.size()) + 1) * kGap;
    QList<int> needed;
    for (;;) {
        needed.clear();
        int total = 0;
        for (QPushButton* button : buttons) {
            needed.append(button->sizeHint().width());
            total += needed.back();
        }
        const int pointSize = buttons.front()->font().pointSize();
        if (total <= room || pointSize <= 6)
            break;
        for (QPushButton* button : buttons) {
            QFont smaller = button->font();
            smaller.setPointSize(pointSize - 1);
            button->setFont(smaller);
        }
    }
    const auto widthWith = [&](int common) {
        int total = 0;
        for (const int n : needed)
            total += std::max(n, common);
        return total;
    };
    int common = room / static_cast<int>(buttons.size());
    while (common > 0 && widthWith(common) > room)
        --common;
    int x = kGap;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        const int width = std::max(needed.at(i), common);
        buttons.at(i)->setGeometry(x, kTop, width, kHeight);
        x += width + kGap;
    }
}

void TForm1::buildControls()
{
    // The guide panel across the top: display only.
    MemoGuide = new THtmlTextView(this);
    MemoGuide->setObjectName(QStringLiteral("MemoGuide"));
    connect(MemoGuide, &THtmlTextView::OnError, this, [this](const QString& message) {
        if (m_services.messages)
            m_services.messages->error(message);
    });
    MemoGuide->setNoSelect(true);
    MemoGuide->setScrollBars(TScrollStyle::ssNone);
    MemoGuide->setViewImages(false);
    MemoGuide->setBorderStyle(THTMLBorderStyle::htSingle);
    MemoGuide->setMarginHeight(2);
    MemoGuide->setDefFontName(QStringLiteral("Times New Roman"));
    MemoGuide->setDefPreFontName(QStringLiteral("Courier New"));
    MemoGuide->setHistoryMaxCount(0);
    // The guide's text colours are fixed, so its background is too; a colour too weak for it
    // is drawn darker.
    MemoGuide->setDefBackground(Qt::white);
    MemoGuide->setDefFontColor(clBlack);
    MemoGuide->setTextColourFilter(&TextContrast::readableOn);
    MemoGuide->setAccessibleName(QStringLiteral("Guide"));
    MemoGuide->setImageCacheCount(0);
    MemoGuide->setGeometry(8, 8, kClientWidth - 16, 88);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel1->setLineWidth(2);
    Bevel1->setGeometry(8, 104, kClientWidth - 16, 92);

    PlayListBox =
        makeColouredBox(this, "PlayListBox", QStringLiteral("  Playlist  "),
                        QColor(0x00, 0x00, 0xFF), Qt::white, QRect(18, 112, kClientWidth - 36, 76));
    const int buttonWidth = 120;
    const int gap = (PlayListBox->width() - 4 * buttonWidth) / 5;
    auto playlistButton = [&](int index, const char* name, const char* caption, QColor colour,
                              const char* hint) {
        QPushButton* b = makeButton(PlayListBox, name, QString::fromUtf8(caption), colour,
                                    QRect(gap + index * (buttonWidth + gap), 30, buttonWidth, 32));
        if (hint)
            b->setToolTip(QString::fromUtf8(hint));
        return b;
    };
    PlaylistNew = playlistButton(0, "PlaylistNew", "&New", QColor(0x00, 0x80, 0x00),
                                 "Select Clip(s) for New Playlist");
    PlaylistLoad = playlistButton(1, "PlaylistLoad", "&Load", QColor(0x00, 0x00, 0x80),
                                  "Open Existing Playlist");
    PlaylistEdit = playlistButton(2, "PlaylistEdit", "&Edit", QColor(0x80, 0x00, 0x00),
                                  "Modify existing playlist");
    PlaylistDelete =
        playlistButton(3, "PlaylistDelete", "&Delete", QColor(0xFF, 0x00, 0x00), nullptr);

    BitBtn7 = new QPushButton(glyphs::website(), QStringLiteral("Visit our website"), this);
    BitBtn7->setObjectName(QStringLiteral("BitBtn7"));
    BitBtn7->setGeometry(8, 206, 200, 34);
    BitBtn9 = new QPushButton(glyphs::help(), QStringLiteral("&Help"), this);
    BitBtn9->setObjectName(QStringLiteral("BitBtn9"));
    BitBtn9->setGeometry(216, 206, 180, 34);
    ExitButton = new QPushButton(glyphs::close(), QStringLiteral("Close"), this);
    ExitButton->setObjectName(QStringLiteral("ExitButton"));
    ExitButton->setGeometry(404, 206, kClientWidth - 412, 34);

    BitBtn10 = new QPushButton(glyphs::mail(), QStringLiteral("Tell a friend about Vantoro"), this);
    BitBtn10->setObjectName(QStringLiteral("BitBtn10"));
    BitBtn10->setGeometry((kClientWidth - 280) / 2, 246, 280, 30);
    BitBtn10->setLayoutDirection(Qt::RightToLeft); // picture on the right of the caption
    BitBtn10->setToolTip(QStringLiteral("Click to e-mail a friend"));
    BitBtn10->setFocusPolicy(Qt::ClickFocus); // skipped by the Tab key
    {
        QFont font = BitBtn10->font();
        font.setBold(true);
        font.setItalic(true);
        BitBtn10->setFont(font);
        TextContrast::fixButtonText(*BitBtn10, QColor(0x80, 0x00, 0x00));
    }

    GroupBox1 = makeColouredBox(
        this, "GroupBox1", QStringLiteral("  Click below to check out today's top 100:  "),
        QColor(0x00, 0x80, 0x80), QColor(0x00, 0xFF, 0xFF), QRect(8, 284, kClientWidth - 16, 76));
    {
        QFont font = GroupBox1->font();
        font.setBold(true);
        GroupBox1->setFont(font);
    }
    const QColor purple(0x80, 0x00, 0x80);
    auto shopButton = [&](const char* name, const char* caption) {
        return makeButton(GroupBox1, name, QString::fromUtf8(caption), purple, QRect());
    };
    BitBtn1 = shopButton("BitBtn1", "VHS Video");
    BitBtn2 = shopButton("BitBtn2", "DVD Video");
    BitBtn3 = shopButton("BitBtn3", "Music");
    BitBtn4 = shopButton("BitBtn4", "Books");
    BitBtn6 = shopButton("BitBtn6", "Toys && Games");
    BitBtn6->setToolTip(QStringLiteral("Toys & Games by age"));
    BitBtn8 = shopButton("BitBtn8", "Apparel");
    BitBtn5 = shopButton("BitBtn5", "Zines");
    placeShopButtons({BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn6, BitBtn8, BitBtn5});

    connect(PlaylistNew, &QPushButton::clicked, this, &TForm1::PlaylistNewClick);
    connect(PlaylistLoad, &QPushButton::clicked, this, &TForm1::PlaylistLoadClick);
    connect(PlaylistEdit, &QPushButton::clicked, this, &TForm1::PlaylistEditClick);
    connect(PlaylistDelete, &QPushButton::clicked, this, &TForm1::PlaylistDeleteClick);
    connect(ExitButton, &QPushButton::clicked, this, &TForm1::ExitButtonClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm1::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm1::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TForm1::BitBtn6Click);
    connect(BitBtn7, &QPushButton::clicked, this, &TForm1::BitBtn7Click);
    connect(BitBtn8, &QPushButton::clicked, this, &TForm1::BitBtn8Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TForm1::BitBtn9Click);
    connect(BitBtn10, &QPushButton::clicked, this, &TForm1::BitBtn10Click);

    // Tab order: playlist box, middle row, shop buttons (BitBtn10 is skipped).
    QWidget* order[] = {PlaylistNew, PlaylistLoad, PlaylistEdit, PlaylistDelete, BitBtn7,
                        BitBtn9,     ExitButton,   BitBtn1,      BitBtn2,        BitBtn3,
                        BitBtn4,     BitBtn6,      BitBtn8,      BitBtn5};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void TForm1::FormCreate()
{
    // 1. The guide text (Memo1's) into the guide panel.
    const QString guide = guideHtml();
    MemoGuide->ShowHtml(guide);
    // What a screen reader reads of the panel, which draws its text itself.
    MemoGuide->setAccessibleDescription(
        QTextDocumentFragment::fromHtml(
            QString(guide).replace(QStringLiteral("\r\n"), QStringLiteral("\n")))
            .toPlainText()
            .simplified());
    // 2 - 5.
    m_state.SleepChoice = 0;
    m_state.ProgramFolder = m_services.programFolder;
    m_state.ShutdownPending = false;
    m_state.IniFileName = m_state.ProgramFolder + QStringLiteral("Vantoro.INI");
    m_state.PlaylistFolder =
        m_services.playlistFolder.isEmpty() ? m_state.ProgramFolder : m_services.playlistFolder;
    m_state.DefaultClipFolder =
        m_services.clipFolder.isEmpty() ? m_state.ProgramFolder : m_services.clipFolder;
    // 6. Settings. A write that fails ends start-up here: both bars off, empty folders.
    Settings settings(m_state, *m_services.messages);
    if (!settings.createIfMissing()) {
        m_sweepFolders = {m_state.ProgramFolder};
        if (!m_sweepDeferred)
            sweepStaleTemporaries();
        return;
    }
    settings.read();
    m_sweepFolders = {m_state.ProgramFolder, m_state.ClipFolder, m_state.ListFolder};
    if (!m_sweepDeferred)
        sweepStaleTemporaries();
    m_openDialog1Folder = m_state.ClipFolder;
    m_openDialog2Folder = m_state.ListFolder;
    // 7. The playback engine (possibly once its background load has finished).
    m_mediaCheckDue = true;
    if (!m_mediaCheckDeferred)
        checkMediaPlayer();
    // 8.
    m_state.Random.seed(static_cast<std::mt19937::result_type>(QDateTime::currentMSecsSinceEpoch() ^
                                                               QCoreApplication::applicationPid()));
}

void TForm1::sweepStaleTemporaries()
{
    QStringList folders = std::exchange(m_sweepFolders, {});
    folders.removeAll(QString());
    folders.removeDuplicates();
    if (folders.isEmpty())
        return;
    QThreadPool::globalInstance()->start([folders] {
        for (const QString& folder : folders)
            removeStaleWriterTemporaries(folder);
    });
}

void TForm1::checkMediaPlayer()
{
    if (!m_mediaCheckDue)
        return;
    m_mediaCheckDue = false;
    if (m_services.mediaCheck && !m_services.mediaCheck->mediaPlayerInstalled()) {
        m_services.messages->plain(
            QStringLiteral("ERROR:\rIt seems the media player engine (libmpv) is not installed\r"
                           "Please download + install latest version available free from\r ") +
            weblinks::kPlaybackEngineInstallPage);
    }
}

void TForm1::FormClose()
{
    // A failure has been reported; the window closes all the same.
    if (m_terminating) {
        StderrMessageBoxes report;
        Settings(m_state, report).save();
        return;
    }
    Settings(m_state, *m_services.messages).save();
}

void TForm1::closeOnTermination()
{
    m_terminating = true;
    close();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

QStringList TForm1::acceptableDrop(const QMimeData* mime) const
{
    if (!m_commands || QApplication::activeModalWidget())
        return {};
    return localPathsOfDrag(mime);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    m_draggedPaths = acceptableDrop(event->mimeData());
    if (m_draggedPaths.isEmpty() || !acceptAsCopy(event)) {
        m_draggedPaths.clear();
        event->ignore();
    }
}

void TForm1::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_draggedPaths.isEmpty() || QApplication::activeModalWidget())
        event->ignore();
    else
        acceptAsCopy(event);
}

void TForm1::dragLeaveEvent(QDragLeaveEvent* event)
{
    m_draggedPaths.clear();
    event->accept();
}

void TForm1::dropEvent(QDropEvent* event)
{
    QStringList paths = acceptableDrop(event->mimeData());
    // Over X11 a drop's data is fetched from the source once more, and that fetch can come back
    // empty (seen with Qt sources driven by synthetic input); the list read when the drag came in
    // is the same drag's.
    if (paths.isEmpty() && !QApplication::activeModalWidget() &&
        event->mimeData()->data(QStringLiteral("text/uri-list")).isEmpty())
        paths = m_draggedPaths;
    m_draggedPaths.clear();
    if (paths.isEmpty() || !acceptAsCopy(event)) {
        event->ignore();
        return;
    }
    // The file manager waits until the drop returns: the command, whose player runs modally,
    // starts once it has.
    QTimer::singleShot(0, this, [this, paths] {
        if (m_commands && !QApplication::activeModalWidget())
            m_commands->PlaylistDropped(paths);
    });
}

void TForm1::PlaylistNewClick()
{
    if (m_commands)
        m_commands->PlaylistNewClick();
}

void TForm1::PlaylistLoadClick()
{
    if (m_commands)
        m_commands->PlaylistLoadClick();
}

void TForm1::PlaylistEditClick()
{
    if (m_editPlaylist)
        m_editPlaylist();
}

void TForm1::PlaylistDeleteClick()
{
    if (m_commands)
        m_commands->PlaylistDeleteClick();
}

void TForm1::showMainWindow()
{
    showNormal();
    raise();
    activateWindow();
}

void TForm1::closeMainWindow()
{
    close();
}

void TForm1::ExitButtonClick()
{
    close();
}

void TForm1::openTarget(const QString& target)
{
    if (m_services.shell)
        m_services.shell->open(target);
}

void TForm1::BitBtn1Click()
{
    openTarget(weblinks::kShopVhsVideo);
}
void TForm1::BitBtn2Click()
{
    openTarget(weblinks::kShopDvdVideo);
}
void TForm1::BitBtn3Click()
{
    openTarget(weblinks::kShopMusic);
}
void TForm1::BitBtn4Click()
{
    openTarget(weblinks::kShopBooks);
}
void TForm1::BitBtn5Click()
{
    openTarget(weblinks::kShopMagazines);
}
void TForm1::BitBtn6Click()
{
    openTarget(weblinks::kShopToysAndGames);
}
void TForm1::BitBtn7Click()
{
    openTarget(weblinks::kProductPage);
}
void TForm1::BitBtn8Click()
{
    openTarget(weblinks::kShopApparel);
}
void TForm1::BitBtn9Click()
{
    if (m_services.shell && m_services.messages)
        openHelpPage(*m_services.shell, *m_services.messages, m_services.executableFolder);
}
void TForm1::BitBtn10Click()
{
    openTarget(weblinks::kTellAFriendMail);
}

} // namespace vantoro
