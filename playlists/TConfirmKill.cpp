#include "playlists/TConfirmKill.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace vantoro {

namespace {

const QColor kYellow(255, 255, 0);

} // namespace

TConfirmKill::TConfirmKill(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Confirm clip deletion from playlist"));
    // A title but no title-bar buttons: the dialog is left through its own buttons or keys.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kYellow);
    setPalette(palette);
    setAutoFillBackground(true);

    Label1 = new QLabel(
        QStringLiteral("Are you sure you want to delete selected clip from the playlist?"), this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    CheckBox1 = new QCheckBox(QStringLiteral("Send clip to the Trash also"), this);
    CheckBox1->setChecked(false);

    OKbutton = new QPushButton(style()->standardIcon(QStyle::SP_DialogYesButton),
                               QStringLiteral("&Yes"), this);
    OKbutton->setDefault(true);
    OKbutton->setAutoDefault(true);
    CancelButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogNoButton),
                                   QStringLiteral("&No"), this);
    // Return presses the button that has the focus: Yes while no other button has it, No once
    // it is tabbed to.
    CancelButton->setAutoDefault(true);
    connect(OKbutton, &QPushButton::clicked, this, [this] { OKbuttonClick(); });
    // Esc reaches QDialog::reject() as well.
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKbutton);
    buttons->addSpacing(24);
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(14);
    layout->addWidget(Label1);
    layout->addWidget(CheckBox1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    OKbutton->setFocus();
}

void TConfirmKill::setTrashAvailable(bool available)
{
    if (!available)
        CheckBox1->setChecked(false);
    CheckBox1->setEnabled(available);
}

void TConfirmKill::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TConfirmKill::OKbuttonClick()
{
    accept();
}

} // namespace vantoro
