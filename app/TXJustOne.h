#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace vantoro {

class InstanceChannel;
class NamedInstanceLock;

// Keeps one copy of the program running per user. Sits on the main window and acts once, after
// the window has been built and before its start-up handler runs: the first copy takes the
// named lock and listens for requests; a later copy asks the first to come forward and ends.
class TXJustOne final : public QObject
{
    Q_OBJECT

public:
    explicit TXJustOne(QObject* owner);
    ~TXJustOne() override;

    // Bring the running copy forward when this copy is a second one. Default on.
    bool SwitchToPrevious = true;
    // A playlist (absolute path) this copy was asked to play: a second copy hands it to the
    // running one. Empty: none.
    QString PlaylistToHandOver;
    // Called when this copy is a second one. Default none.
    std::function<void(TXJustOne* sender)> AlreadyExist;
    // Called when the lock cannot be taken at all (say, its folder belongs to someone else), with
    // the reason; this copy then runs unguarded. The reason also goes to stderr. Default none.
    std::function<void(TXJustOne* sender, const QString& reason)> LockFailed;

    // The load step, named by `name` (the application title). Answers true in the first copy,
    // and when the lock failed (a copy is not silently kept from starting); false in a second
    // copy, which must then end without showing a window.
    bool Loaded(const QString& name);

    // The activation token the last bringing forward handed to the window system: on Wayland,
    // the one a second copy's launcher gave it. Empty when none was (X11, or no token came).
    QByteArray lastActivationToken() const { return m_lastActivationToken; }

Q_SIGNALS:
    // First copy: a second copy asked it to come forward; the top window has been raised.
    void broughtForward(QWidget* window);
    // First copy: a second copy handed over a playlist to play; the window has come forward.
    void playRequested(const QString& playlist);

private:
    void bringForward();

    std::unique_ptr<NamedInstanceLock> m_lock;
    InstanceChannel* m_channel = nullptr;
    bool m_loaded = false;
    QByteArray m_activationToken; // sent with the request being served
    QByteArray m_lastActivationToken;
};

} // namespace vantoro
