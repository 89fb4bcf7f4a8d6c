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

    // The load step, named by `name` (the application title). Answers true in the first copy;
    // false in a second copy, which must then end without showing a window.
    bool Loaded(const QString& name);

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
};

} // namespace vantoro
