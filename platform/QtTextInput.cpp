#include "platform/QtTextInput.h"

#include "platform/DialogOwner.h"

#include <QApplication>
#include <QInputDialog>

namespace vantoro {

std::optional<QString> QtTextInput::askText(const QString& caption, const QString& prompt,
                                            const QString& defaultText)
{
    QInputDialog dialog(dialogOwner());
    dialog.setObjectName(QStringLiteral("TextInputBox"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

} // namespace vantoro
