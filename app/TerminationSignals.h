#pragma once

#include <QObject>

class QSocketNotifier;

namespace vantoro {

// Turns SIGTERM, SIGINT and SIGHUP (session logout, Ctrl+C in a terminal) into the signal
// `terminationRequested` on the GUI thread, so the program closes its main window normally and
// saves its settings instead of dying mid-way. The request must end the program promptly: a
// second signal of the same kind ends it at once, and SIGALRM ends it a few seconds after the
// first should the close hang. One instance per process.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    void readPending();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace vantoro
