#include "platform/QtMessageBoxes.h"

#include "platform/DialogOwner.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace vantoro {

QString QtMessageBoxes::caption(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Plain:
        return QApplication::applicationName();
    case MessageKind::Error:
        return QStringLiteral("Error");
    case MessageKind::Information:
        return QStringLiteral("Information");
    case MessageKind::Confirmation:
        return QStringLiteral("Confirm");
    case MessageKind::Warning:
        return QStringLiteral("Warning");
    }
    return {};
}

QString QtMessageBoxes::displayText(const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

MessageResult QtMessageBoxes::show(MessageKind kind, const QString& text, MessageButtons buttons)
{
    // Made a child of its window, so that the window system keeps it over that window (a
    // transient parent) and places it there, on Wayland too.
    QMessageBox box(dialogOwner());
    box.setWindowTitle(caption(kind));
    box.setText(displayText(text));
    // A screen reader reads the dialog's name and description when it appears.
    box.setAccessibleName(caption(kind));
    box.setAccessibleDescription(displayText(text));
    box.setTextFormat(Qt::PlainText);
    switch (kind) {
    case MessageKind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageKind::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageKind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MessageButtons::YesNoCancel:
        // Cancel is the box's escape button: Escape and the close box answer it.
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MessageButtons::ContinueCancel:
        // "Continue" in the place and role of OK.
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("Continue"));
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageResult::Yes;
    case QMessageBox::No:
        return MessageResult::No;
    case QMessageBox::Cancel:
        return MessageResult::Cancel;
    default:
        // Closing a Yes/No box by its close box answers No; an OK/Cancel box answers Cancel.
        if (buttons == MessageButtons::YesNo && box.clickedButton() == nullptr)
            return MessageResult::No;
        if ((buttons == MessageButtons::OkCancel || buttons == MessageButtons::ContinueCancel ||
             buttons == MessageButtons::YesNoCancel) &&
            box.clickedButton() == nullptr)
            return MessageResult::Cancel;
        return MessageResult::Ok;
    }
}

} // namespace vantoro
