#pragma once

#include <QString>

#include <optional>

namespace vantoro {

// A modal one-line input box.
class TextInput
{
public:
    virtual ~TextInput() = default;
    // Answers the text typed, or nullopt when the box was cancelled.
    virtual std::optional<QString> askText(const QString& caption, const QString& prompt,
                                           const QString& defaultText) = 0;
};

} // namespace vantoro
