#pragma once

#include "player/ChoiceDialog.h"

namespace vantoro {

struct ProgramState;

// The sleep timer dialog. Created once at start-up (after SleepChoice has been reset), selects
// SleepChoice, and is kept, hidden between uses; it keeps its last selection, also after
// Cancel.
//
// OK (BitBtn1) stores the selected index in SleepChoice and closes with QDialog::Accepted; the
// player window then sets its Sleep box and hands the index to its SleepTimer (see
// SleepTimer.h). Cancel (BitBtn2, or Escape) closes with QDialog::Rejected and nothing else.
class TSleepF : public ChoiceDialog
{
    Q_OBJECT

public:
    explicit TSleepF(ProgramState& state, QWidget* parent = nullptr);

    // The items of the "Shutdown:" group; SleepTimer::minutesOfItem gives their minutes.
    static QStringList sleepItems();
    // The twenty lines of the note beside the items ("" for an empty line).
    static QStringList noteLines();

    QGroupBox* sleepTimerGroup() const { return m_sleepTimer; }
    QPlainTextEdit* memo1() const { return m_memo1; }

protected:
    void showEvent(QShowEvent* event) override;
    void BitBtn1Click() override;

private:
    ProgramState& m_state;
    QGroupBox* m_sleepTimer = nullptr;
    QPlainTextEdit* m_memo1 = nullptr;
};

} // namespace vantoro
