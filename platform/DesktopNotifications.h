#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace vantoro {

// Tells the desktop what was just done, in a notification with an "Undo" action, through the
// session bus's org.freedesktop.Notifications where the desktop has a notification server;
// without one (no session bus, no server) nothing is shown and nothing waits. Calls never block,
// not even on a stalled bus: whether a server is there is asked once, without waiting, and then
// followed as servers come and go; the server's answers arrive later in the event loop.
class DesktopNotifications : public QObject
{
    Q_OBJECT
public:
    explicit DesktopNotifications(QObject* parent = nullptr);

    // Shows `text` ("2 clips moved to the Trash") with an "Undo" action, replacing the
    // notification shown before (only the newest action can be undone from the desktop).
    // Answers false when no notification server is there (known once the bus has answered;
    // until then the notification is sent all the same, and is lost without a server).
    bool showUndoable(const QString& text);
    // Takes the current notification away (its action was undone another way).
    void withdraw();

Q_SIGNALS:
    // The person chose "Undo" on the current notification.
    void undoChosen();

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& actionKey);
    void onClosed(uint id, uint reason);

private:
    void followServer();

    bool m_listening = false;
    std::optional<bool> m_serverThere; // empty until the bus has answered
    uint m_current = 0;                // the id of the notification showing, 0 for none
    quint64 m_generation = 0;
};

} // namespace vantoro
