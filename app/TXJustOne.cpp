#include "app/TXJustOne.h"

#include "platform/SingleInstance.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <utility>

namespace vantoro {

TXJustOne::TXJustOne(QObject* owner) : QObject(owner) {}

TXJustOne::~TXJustOne()
{
    // The socket file goes while the lock is still held, never after a next copy has made its own.
    delete m_channel;
}

bool TXJustOne::Loaded(const QString& name)
{
    if (m_loaded)
        return m_lock && (m_lock->isHeld() || !m_lock->failure().isEmpty());
    m_loaded = true;
    const QString title = name.left(255);
    m_lock = std::make_unique<NamedInstanceLock>(title);
    switch (m_lock->acquire()) {
    case NamedInstanceLock::Outcome::Acquired:
        m_channel = new InstanceChannel(title, this);
        connect(m_channel, &InstanceChannel::activationTokenReceived, this,
                [this](const QByteArray& token) { m_activationToken = token; });
        connect(m_channel, &InstanceChannel::foregroundRequested, this, &TXJustOne::bringForward);
        connect(m_channel, &InstanceChannel::playRequested, this, [this](const QString& playlist) {
            bringForward();
            Q_EMIT playRequested(playlist);
        });
        m_channel->listen();
        return true;
    case NamedInstanceLock::Outcome::Failed: {
        const QString reason = m_lock->failure();
        std::fprintf(stderr, "%s: cannot take the single-instance lock: %s\n", qPrintable(title),
                     qPrintable(reason));
        if (LockFailed)
            LockFailed(this, reason);
        return true;
    }
    case NamedInstanceLock::Outcome::HeldElsewhere:
        break;
    }
    if (AlreadyExist)
        AlreadyExist(this);
    // On Wayland only a token from the launcher lets the running copy take the focus: it goes
    // along with the request.
    InstanceChannel channel(title);
    channel.setActivationToken(qgetenv("XDG_ACTIVATION_TOKEN"));
    if (!PlaylistToHandOver.isEmpty())
        channel.requestPlay(PlaylistToHandOver);
    else if (SwitchToPrevious)
        channel.requestForeground();
    return false;
}

void TXJustOne::bringForward()
{
    const QByteArray token = std::exchange(m_activationToken, QByteArray());
    // The modal window in front, if one is open (a dialog or the player), else the owner window.
    QWidget* window = QApplication::activeModalWidget();
    if (!window)
        window = qobject_cast<QWidget*>(parent());
    if (!window)
        return;
    window = window->window();
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    // The owner of a modal window may itself be hidden (the main window while the player plays).
    window->show();
    window->raise();
    // Wayland lets no client raise itself: the compositor activates a window for a token it
    // issued (xdg-activation), which Qt's Wayland plugin reads from XDG_ACTIVATION_TOKEN when the
    // window asks to be activated. A compositor without the protocol leaves the window where it
    // is (most flag it as wanting attention); raise() and show() above are all a client can do.
    const bool handToCompositor =
        !token.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (handToCompositor)
        qputenv("XDG_ACTIVATION_TOKEN", token);
    window->activateWindow();
    if (handToCompositor)
        qunsetenv("XDG_ACTIVATION_TOKEN"); // good for one activation, never a later one
    m_lastActivationToken = handToCompositor ? token : QByteArray();
    Q_EMIT broughtForward(window);
}

} // namespace vantoro
