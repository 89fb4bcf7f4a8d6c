#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace vantoro {

// The editor's question before a clip leaves the playlist: a small yellow dialog without
// title-bar buttons, left only through Yes or No (Esc). Return presses the focused button: Yes,
// the default, while no other button has the focus; No when the focus is on No.
//
// Yes (OKbutton) closes with QDialog::Accepted, the only answer the editor takes as "delete";
// every other way out (No, Esc, the window manager closing it) closes with QDialog::Rejected.
// CheckBox1 asks for the clip's file to be sent to the Trash as well; it starts cleared.
class TConfirmKill final : public QDialog
{
    Q_OBJECT

public:
    explicit TConfirmKill(QWidget* parent = nullptr);

    // Whether the check box may be ticked; cleared and disabled when no Trash is at hand.
    void setTrashAvailable(bool available);

    QLabel* Label1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* OKbutton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OKbuttonClick();
};

} // namespace vantoro
