#pragma once

#include "player/ChoiceDialog.h"

#include <QPointer>

namespace vantoro {

// The playback speed dialog. Created once at start-up and kept, hidden between uses; it keeps
// its last selection, also after Cancel.
//
// OK (BitBtn1) closes with QDialog::Accepted; the player window then sets the control's Rate
// to rate() and its Speed box checked exactly when speedBoxChecked(). Cancel (BitBtn2, or
// Escape) closes with QDialog::Rejected and nothing else happens.
//
// Each time the dialog becomes active (first of all when it is shown) it moves vertically so
// that its bottom edge lines up with the player window's bottom edge; it is centred on the
// screen when first shown.
class TSpeedF : public ChoiceDialog
{
    Q_OBJECT

public:
    explicit TSpeedF(QWidget* parent = nullptr);

    static QStringList speedItems();
    // Rate of an item: 0 -> 1.0, 1 -> 0.2, 2 -> 0.5, 3 -> 1.5, 4 -> 2.0.
    static double rateOfItem(int index);

    double rate() const { return rateOfItem(itemIndex()); }
    bool speedBoxChecked() const { return itemIndex() != 0; }

    // The window the dialog aligns to; not owned, may be null (then it stays where it is).
    void setPlayerWindow(QWidget* player) { m_player = player; }

    QGroupBox* radioGroup1() const { return m_radioGroup1; }
    QPlainTextEdit* colorMemo1() const { return m_colorMemo1; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();

    QGroupBox* m_radioGroup1 = nullptr;
    QPlainTextEdit* m_colorMemo1 = nullptr;
    QPointer<QWidget> m_player;
    bool m_shownBefore = false;
};

} // namespace vantoro
