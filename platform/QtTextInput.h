#pragma once

#include "platform/TextInput.h"

namespace vantoro {

// The one-line input box as a QInputDialog over the active window.
class QtTextInput final : public TextInput
{
public:
    std::optional<QString> askText(const QString& caption, const QString& prompt,
                                   const QString& defaultText) override;
};

} // namespace vantoro
