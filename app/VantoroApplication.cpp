#include "app/VantoroApplication.h"

#include "app/BackgroundEngineCheck.h"
#include "app/CommandLine.h"
#include "app/FontConfigWarmUp.h"
#include "app/TForm1.h"
#include "app/TXJustOne.h"
#include "app/TerminationSignals.h"
#include "app/WebLinks.h"
#include "clipmanager/ClipManagerWindowOpener.h"
#include "clipmanager/UndoStack.h"
#include "fileops/ShellFileOperation.h"
#include "platform/DBusMediaSession.h"
#include "platform/DBusScreenSaverInhibitor.h"
#include "platform/DesktopNotifications.h"
#include "platform/FocusFrameStyle.h"
#include "platform/LogindPowerService.h"
#include "platform/ModalRunner.h"
#include "platform/MpvLibrary.h"
#include "platform/ProgramFolder.h"
#include "platform/QtFileDialogs.h"
#include "platform/QtFileOperationProgress.h"
#include "platform/QtFileOperationQuestions.h"
#include "platform/QtFolderBrowser.h"
#include "platform/QtMessageBoxes.h"
#include "platform/QtProgressWindows.h"
#include "platform/QtShellOpener.h"
#include "platform/QtTextInput.h"
#include "platform/QtTimerFactory.h"
#include "platform/Services.h"
#include "platform/WaylandSeat.h"
#include "player/PlayerWindowOpener.h"
#include "player/TSleepF.h"
#include "player/TSpeedF.h"
#include "playlists/PlaylistCommands.h"
#include "playlists/TMangle.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QShortcut>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <utility>

namespace vantoro {

namespace {

// Says what Ctrl+Z did in a line across the foot of the main window, for a few seconds. The
// main window has no status bar of its own; the line lies over its lowest edge meanwhile.
void showUndoNote(QWidget& window, const QString& text)
{
    auto* note = window.findChild<QLabel*>(QStringLiteral("UndoNote"));
    if (!note) {
        note = new QLabel(&window);
        note->setObjectName(QStringLiteral("UndoNote"));
        note->setAutoFillBackground(true);
        note->setBackgroundRole(QPalette::ToolTipBase);
        note->setForegroundRole(QPalette::ToolTipText);
        note->setMargin(3);
        auto* timer = new QTimer(note);
        timer->setObjectName(QStringLiteral("UndoNoteTimer"));
        timer->setSingleShot(true);
        timer->setInterval(6000);
        QObject::connect(timer, &QTimer::timeout, note, &QWidget::hide);
    }
    note->setText(text);
    note->setAccessibleName(text);
    const int height = note->sizeHint().height();
    note->setGeometry(0, window.height() - height, window.width(), height);
    note->raise();
    note->show();
    note->findChild<QTimer*>(QStringLiteral("UndoNoteTimer"))->start();
}

// Runs an action once, after the first paint of the window it watches.
class AfterFirstPaint final : public QObject
{
public:
    explicit AfterFirstPaint(std::function<void()> action) : m_action(std::move(action)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_action) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, std::exchange(m_action, nullptr));
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

// The player opener with the two option dialogs it borrows. The dialogs live for the whole run,
// but nothing needs them before the main window is on the screen: they are made after its first
// paint, or at the first call should one come sooner.
class DeferredPlayerOpener final : public PlayerOpener
{
public:
    DeferredPlayerOpener(ProgramState& state, const Services& services, QWidget* mainWindow)
        : m_state(state), m_services(services), m_mainWindow(mainWindow)
    {}

    void prepare()
    {
        if (m_opener)
            return;
        m_sleepDialog = std::make_unique<TSleepF>(m_state);
        m_speedDialog = std::make_unique<TSpeedF>();
        PlayerWindowSetup setup;
        setup.productPage = weblinks::kProductPage;
        m_opener = std::make_unique<PlayerWindowOpener>(m_state, m_services, *m_speedDialog,
                                                        *m_sleepDialog, m_mainWindow, setup);
    }

    PlayerResult OpenPlayer() override
    {
        prepare();
        return m_opener->OpenPlayer();
    }
    PlayerResult OpenPlayerAndGo() override
    {
        prepare();
        return m_opener->OpenPlayerAndGo();
    }

private:
    ProgramState& m_state;
    const Services& m_services;
    QWidget* m_mainWindow;
    // Destroyed before the dialogs it borrows.
    std::unique_ptr<TSleepF> m_sleepDialog;
    std::unique_ptr<TSpeedF> m_speedDialog;
    std::unique_ptr<PlayerWindowOpener> m_opener;
};

} // namespace

struct VantoroProgram::Parts
{
    QtMessageBoxes messages;
    QtShellOpener shell;
    ExecModalRunner modal;
    QtFileDialogs fileDialogs;
    BackgroundEngineCheck mediaCheck;
    // What the first paint of the main window does not need comes after it.
    AfterFirstPaint firstPaint{[this] {
        form->sweepStaleTemporaries();
        mediaCheck.start();
        playerOpener->prepare();
    }};
    LogindPowerService power;
    QtTimerFactory timers;
    QtFolderBrowser folderBrowser;
    QtTextInput textInput;
    // Both reach the session bus only when the player window first opens.
    DBusMediaSession mediaSession;
    DBusScreenSaverInhibitor screenSaver;
    QtFileOperationQuestions fileOperationQuestions;
    QtFileOperationProgress fileOperationProgress;
    ShellFileOperation fileOperations{fileOperationQuestions, fileOperationProgress};
    QtProgressWindows progress;
    Services services;

    std::unique_ptr<TForm1> form;
    std::unique_ptr<DeferredPlayerOpener> playerOpener;
    // The clip manager's actions of the whole run, newest first.
    UndoStack undoStack;
    // Says what each clip manager action did, with an Undo of its own (where the desktop has
    // a notification server); taken away once that action is undone another way.
    DesktopNotifications notifications;
    int notifiedDepth = 0;
    std::unique_ptr<ClipManagerWindowOpener> clipManagerOpener;
    std::unique_ptr<PlaylistCommands> commands;
    // Playlists handed over (command line, a second copy) and waiting for the main window.
    QStringList pendingPlaylists;
    QTimer* idleWatch = nullptr; // owned by the main window
};

VantoroProgram::VantoroProgram() : m_parts(std::make_unique<Parts>())
{
    Parts& p = *m_parts;
    p.services.messages = &p.messages;
    p.services.shell = &p.shell;
    p.services.modal = &p.modal;
    p.services.fileDialogs = &p.fileDialogs;
    p.services.mediaCheck = &p.mediaCheck;
    p.services.power = &p.power;
    p.services.timers = &p.timers;
    p.services.folderBrowser = &p.folderBrowser;
    p.services.textInput = &p.textInput;
    p.services.mediaSession = &p.mediaSession;
    p.services.screenSaver = &p.screenSaver;
    p.services.fileOperations = &p.fileOperations;
    p.services.progress = &p.progress;
    p.services.executableFolder = QCoreApplication::applicationDirPath();
    p.services.programFolder = resolveProgramFolder(p.services.executableFolder);
    p.services.playlistFolder =
        resolvePlaylistFolder(p.services.executableFolder, p.services.programFolder);
    p.services.clipFolder =
        resolveClipFolder(p.services.executableFolder, p.services.programFolder);

    p.form = std::make_unique<TForm1>(p.services);
    ProgramState& state = p.form->state();
    p.playerOpener = std::make_unique<DeferredPlayerOpener>(state, p.services, p.form.get());
    p.clipManagerOpener =
        std::make_unique<ClipManagerWindowOpener>(state, p.services, &p.undoStack);
    // Ctrl+Z in the main window undoes the newest clip manager action: files only, no list of
    // the main window is touched.
    // What it did is said in a line at the foot of the window.
    auto* undoShortcut = new QShortcut(QKeySequence::Undo, p.form.get());
    QObject::connect(undoShortcut, &QShortcut::activated, p.form.get(), [&p] {
        if (!p.undoStack.canUndo()) {
            showUndoNote(*p.form, QStringLiteral("Nothing to undo."));
            return;
        }
        if (p.undoStack.undoNewest(p.messages, p.fileOperations) || !p.undoStack.isBusy())
            showUndoNote(*p.form, p.undoStack.lastReport());
    });
    QObject::connect(&p.undoStack, &UndoStack::pushed, &p.notifications,
                     [&p](const QString& summary) {
                         if (p.notifications.showUndoable(summary))
                             p.notifiedDepth = p.undoStack.size();
                     });
    QObject::connect(&p.undoStack, &UndoStack::changed, &p.notifications, [&p] {
        if (p.notifiedDepth > p.undoStack.size()) {
            p.notifications.withdraw();
            p.notifiedDepth = 0;
        }
    });
    // The notification's Undo is the newest action's, the one it told of.
    // It waits while the program is busy with something else (a modal window, a running file
    // operation, another undo): an undo's questions and progress must not open in the middle of
    // those. The restored clips go back into an open clip manager through UndoStack::undone.
    QObject::connect(&p.notifications, &DesktopNotifications::undoChosen, p.form.get(), [&p] {
        if (p.notifiedDepth == 0)
            return;
        p.undoStack.undoWhenIdle(
            p.notifiedDepth,
            [&p] { return QApplication::activeModalWidget() || p.fileOperations.isRunning(); },
            p.messages, p.fileOperations);
    });
    p.commands = std::make_unique<PlaylistCommands>(state, p.services, *p.form, *p.playerOpener,
                                                    p.clipManagerOpener.get());
    p.form->setPlaylistCommands(p.commands.get());
    // The editor borrows the main window's clip dialog, which opens where it did at start-up.
    TForm1* form = p.form.get();
    p.form->setPlaylistEditor([form, &services = p.services] {
        TMangle::PlaylistEdit(form->state(), services, form->OpenDialog1InitialDir(), form);
    });
}

VantoroProgram::~VantoroProgram() = default;

TForm1& VantoroProgram::mainWindow()
{
    return *m_parts->form;
}

const Services& VantoroProgram::services() const
{
    return m_parts->services;
}

bool VantoroProgram::start()
{
    return start(QString());
}

void VantoroProgram::playWhenIdle(const QString& playlist)
{
    Parts& p = *m_parts;
    p.pendingPlaylists.append(playlist);
    if (!p.idleWatch) {
        p.idleWatch = new QTimer(p.form.get());
        p.idleWatch->setInterval(250);
        QObject::connect(p.idleWatch, &QTimer::timeout, p.form.get(), [this] {
            Parts& parts = *m_parts;
            if (QApplication::activeModalWidget() || !parts.form->isVisible() ||
                parts.pendingPlaylists.isEmpty())
                return;
            parts.idleWatch->stop();
            // Of several handed over while busy, the last one asked for is played.
            const QString next = parts.pendingPlaylists.takeLast();
            parts.pendingPlaylists.clear();
            parts.commands->playPlaylistFile(next);
        });
    }
    p.idleWatch->start();
}

bool VantoroProgram::start(const QString& playlist)
{
    Parts& p = *m_parts;
    p.form->XJustOne1->PlaylistToHandOver = playlist;
    // A second copy brings the running one forward and ends before touching anything.
    p.form->XJustOne1->LockFailed = [this](TXJustOne*, const QString& reason) {
        m_parts->messages.error(QStringLiteral("Unable to lock %1").arg(reason));
    };
    if (!p.form->XJustOne1->Loaded(QApplication::applicationName()))
        return false;
    p.form->setMediaCheckDeferred(true);
    p.form->setSweepDeferred(true);
    p.form->FormCreate();
    p.commands->setDialogFolders(p.form->OpenDialog1InitialDir(), p.form->OpenDialog2InitialDir());
    p.form->show();
    QObject::connect(&p.mediaCheck, &BackgroundEngineCheck::known, p.form.get(),
                     &TForm1::checkMediaPlayer, Qt::SingleShotConnection);
    p.form->installEventFilter(&p.firstPaint);
    QObject::connect(p.form->XJustOne1, &TXJustOne::playRequested, p.form.get(),
                     [this](const QString& handed) { playWhenIdle(handed); });
    if (!playlist.isEmpty())
        playWhenIdle(playlist);
    return true;
}

int runVantoro(int argc, char** argv)
{
    disableInputMethodsWithoutWaylandSeat();
    QApplication app(argc, argv);
    // Started here, not earlier: the connection to the display wants the second core for the X
    // server, while what follows waits on the session bus.
    const std::jthread fontConfiguration = warmUpFontConfiguration();
    QApplication::setApplicationName(QStringLiteral("Vantoro"));
    // Every focused button shows it: Return and Space press that one.
    QApplication::setStyle(new FocusFrameStyle);
    // The playback engine reads numbers with the C library: keep the decimal point a dot.
    MpvLibrary::useCNumericLocale();

    const CommandLineRequest request =
        parseCommandLine(QCoreApplication::arguments(), QDir::currentPath());
    if (request.kind == CommandLineRequest::Kind::Invalid) {
        std::fprintf(stderr, "%s\n", request.error.toLocal8Bit().constData());
        // Started from the menu or a file manager, nobody reads stderr.
        if (!startedFromTerminal()) {
            QtMessageBoxes().error(
                QStringLiteral("Vantoro cannot follow its command line:\r%1.").arg(request.reason));
        }
        return 2;
    }

    VantoroProgram program;
    if (!program.start(request.playlist))
        return 0;

    TerminationSignals signalsWatch;
    // Logout or kill: close the main window (the settings are written; a failure goes to
    // stderr, no box waits for a click), then leave every event loop, the nested ones of open
    // dialogs included; a dialog opened after this returns at once.
    TForm1& form = program.mainWindow();
    QObject::connect(&signalsWatch, &TerminationSignals::terminationRequested, &form, [&form] {
        form.closeOnTermination();
        QCoreApplication::exit(0);
    });
    return QApplication::exec();
}

} // namespace vantoro
