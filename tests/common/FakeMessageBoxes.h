#pragma once

#include "platform/MessageBoxes.h"

#include <QList>
#include <QStringList>

#include <functional>

namespace vantoro::test {

// Records every box shown and answers from a script (first in, first out). When the script is
// empty, questions answer `defaultAnswer` (No / Cancel unless set) and other boxes answer OK.
class FakeMessageBoxes final : public MessageBoxes
{
public:
    struct Shown
    {
        MessageKind kind;
        QString text;
        MessageButtons buttons;
    };

    MessageResult show(MessageKind kind, const QString& text, MessageButtons buttons) override
    {
        shown.append({kind, text, buttons});
        if (onShow)
            onShow(shown.back());
        if (!answers.isEmpty())
            return answers.takeFirst();
        if (buttons == MessageButtons::YesNo)
            return defaultYesNo;
        if (buttons == MessageButtons::OkCancel)
            return defaultOkCancel;
        if (buttons == MessageButtons::YesNoCancel)
            return MessageResult::Cancel;
        return MessageResult::Ok;
    }

    QStringList texts() const
    {
        QStringList list;
        for (const Shown& s : shown)
            list.append(s.text);
        return list;
    }

    QList<Shown> shown;
    QList<MessageResult> answers;
    MessageResult defaultYesNo = MessageResult::No;
    MessageResult defaultOkCancel = MessageResult::Cancel;
    std::function<void(const Shown&)> onShow; // runs while the "box" is up
};

} // namespace vantoro::test
