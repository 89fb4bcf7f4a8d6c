#pragma once

#include "platform/FileDialogs.h"

#include <QList>
#include <QStringList>

namespace vantoro::test {

// Answers file dialogs from a script (first in, first out) and records each dialog's spec.
// An empty script answers "cancelled".
class FakeFileDialogs final : public FileDialogs
{
public:
    QStringList openFiles(const FileDialogSpec& spec) override
    {
        asked.append(spec);
        return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
    }
    QString saveFile(const FileDialogSpec& spec) override
    {
        asked.append(spec);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }

    QList<QStringList> openAnswers;
    QStringList saveAnswers;
    QList<FileDialogSpec> asked;
};

} // namespace vantoro::test
