#pragma once

#include <QDialog>
#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace vantoro {

struct ProgramState;

// The sleep timer dialog. Created once at start-up (after SleepChoice has been reset), selects
// SleepChoice, and is kept, hidden between uses; it keeps its last selection, also after
// Cancel.
//
// OK (BitBtn1) stores the selected index in SleepChoice and closes with QDialog::Accepted; the
// player window then sets its Sleep box and hands the index to its SleepTimer (see
// SleepTimer.h). Cancel (BitBtn2, or Escape) closes with QDialog::Rejected and nothing else.
class TSleepF : public QDialog
{
    Q_OBJECT

public:
    explicit TSleepF(ProgramState& state, QWidget* parent = nullptr);

    // The items of the "Shutdown:" group; SleepTimer::minutesOfItem gives their minutes.
    static QStringList sleepItems();
    // The twenty lines of the note beside the items ("" for an empty line).
    static QStringList noteLines();

    int itemIndex() const;
    void setItemIndex(int index);

    QGroupBox* sleepTimerGroup() const { return m_sleepTimer; }
    QRadioButton* item(int index) const;
    QPlainTextEdit* memo1() const { return m_memo1; }
    QPushButton* bitBtn1() const { return m_bitBtn1; }
    QPushButton* bitBtn2() const { return m_bitBtn2; }

    // Fetches the buttons' pictures before the first show.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BitBtn1Click();
    void BitBtn2Click();

    ProgramState& m_state;
    QGroupBox* m_sleepTimer = nullptr;
    QButtonGroup* m_items = nullptr;
    QPlainTextEdit* m_memo1 = nullptr;
    QPushButton* m_bitBtn1 = nullptr;
    QPushButton* m_bitBtn2 = nullptr;
};

} // namespace vantoro
