#pragma once

#include "platform/MessageBoxes.h"

#include <cstdio>

namespace vantoro {

// Message boxes for a program that must not wait for anyone: each text goes to a stream
// (stderr unless told otherwise) as one line per carriage return, prefixed with the application
// name, and questions answer No or Cancel at once. Used while the program ends on a termination
// request, when nobody is there to click.
class StderrMessageBoxes final : public MessageBoxes
{
public:
    explicit StderrMessageBoxes(std::FILE* stream = stderr) : m_stream(stream) {}

    MessageResult show(MessageKind kind, const QString& text, MessageButtons buttons) override;

private:
    std::FILE* m_stream;
};

} // namespace vantoro
