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
        m_lastFilter = filterAnswers.isEmpty() ? spec.filterIndex : filterAnswers.takeFirst();
        return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
    }
    QString saveFile(const FileDialogSpec& spec) override
    {
        asked.append(spec);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }

    // The filter the user leaves selected in each open dialog; without one, the one it opened on.
    int lastFilterIndex() const override { return m_lastFilter; }

    QList<QStringList> openAnswers;
    QList<int> filterAnswers;
    QStringList saveAnswers;
    QList<FileDialogSpec> asked;

private:
    int m_lastFilter = -1;
};

} // namespace vantoro::test
