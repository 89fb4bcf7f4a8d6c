#pragma once

#include <QString>

namespace vantoro {

enum class MessageKind { Plain, Error, Information, Confirmation, Warning };
// ContinueCancel: "Continue" answers Ok.
enum class MessageButtons { Ok, YesNo, OkCancel, ContinueCancel, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

// Modal message boxes. Texts are the program's own; a single carriage return in a text is a
// line break. Plain boxes carry the application title as caption.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;

    virtual MessageResult show(MessageKind kind, const QString& text, MessageButtons buttons) = 0;

    void plain(const QString& text) { show(MessageKind::Plain, text, MessageButtons::Ok); }
    void error(const QString& text) { show(MessageKind::Error, text, MessageButtons::Ok); }
    void information(const QString& text)
    {
        show(MessageKind::Information, text, MessageButtons::Ok);
    }
    // Something went less well than asked but nothing failed; titled as a warning.
    void warning(const QString& text) { show(MessageKind::Warning, text, MessageButtons::Ok); }
    // Confirmation with Yes and No; answers true for Yes.
    bool askYesNo(const QString& text)
    {
        return show(MessageKind::Confirmation, text, MessageButtons::YesNo) == MessageResult::Yes;
    }
    // Confirmation with OK and Cancel; answers true for OK.
    bool askOkCancel(const QString& text)
    {
        return show(MessageKind::Confirmation, text, MessageButtons::OkCancel) == MessageResult::Ok;
    }
    // Confirmation with Yes, No and Cancel; Escape and the close box answer Cancel, which
    // must leave everything as it was.
    MessageResult askYesNoCancel(const QString& text)
    {
        return show(MessageKind::Confirmation, text, MessageButtons::YesNoCancel);
    }
    // Confirmation with Continue and Cancel; answers true for Continue.
    bool askContinueCancel(const QString& text)
    {
        return show(MessageKind::Confirmation, text, MessageButtons::ContinueCancel) ==
               MessageResult::Ok;
    }
};

} // namespace vantoro
