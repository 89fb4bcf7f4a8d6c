#pragma once

#include "platform/TextInput.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace vantoro::test {

// Answers from a script (first in, first out); with the script empty it answers as Cancel.
class FakeTextInput final : public TextInput
{
public:
    std::optional<QString> askText(const QString& caption, const QString& prompt,
                                   const QString& defaultText) override
    {
        asked.append(caption);
        Q_UNUSED(prompt);
        Q_UNUSED(defaultText);
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }

    QStringList asked; // the captions, in order
    QList<std::optional<QString>> answers;
};

} // namespace vantoro::test
