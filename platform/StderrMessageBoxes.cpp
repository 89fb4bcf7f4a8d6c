#include "platform/StderrMessageBoxes.h"

#include <QCoreApplication>

namespace vantoro {

MessageResult StderrMessageBoxes::show(MessageKind kind, const QString& text,
                                       MessageButtons buttons)
{
    const QString prefix = QCoreApplication::applicationName() +
                           (kind == MessageKind::Error     ? QStringLiteral(": error: ")
                            : kind == MessageKind::Warning ? QStringLiteral(": warning: ")
                                                           : QStringLiteral(": "));
    QString lines = text;
    lines.replace(u'\r', u'\n');
    std::fprintf(m_stream, "%s%s\n", qPrintable(prefix), qPrintable(lines));
    std::fflush(m_stream);
    switch (buttons) {
    case MessageButtons::YesNo:
        return MessageResult::No;
    case MessageButtons::OkCancel:
    case MessageButtons::ContinueCancel:
    case MessageButtons::YesNoCancel:
        return MessageResult::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return MessageResult::Ok;
}

} // namespace vantoro
