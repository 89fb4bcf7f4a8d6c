#pragma once

#include "platform/MessageBoxes.h"

namespace vantoro {

// Message boxes shown with QMessageBox over the window they belong to (see dialogOwner).
class QtMessageBoxes final : public MessageBoxes
{
public:
    MessageResult show(MessageKind kind, const QString& text, MessageButtons buttons) override;

    static QString caption(MessageKind kind);
    // The text as shown: each carriage return (alone or before a line feed) becomes one line break.
    static QString displayText(const QString& text);
};

} // namespace vantoro
