#pragma once

#include "fileops/FileOperationEngine.h"

namespace vantoro {

class FileOperationQuestions;
class FileOperationProgress;

// The program's file-operation engine: delete (to the Trash with kAllowUndo), copy and move,
// with its questions and progress window going through the two interfaces. `run` is called on
// the GUI thread and returns when the operation is over; meanwhile the work runs on a worker
// thread and the GUI thread keeps handling events (the progress window, its Cancel button, the
// questions, which are always asked on the GUI thread). One operation at a time: a `run`
// called while another one runs does nothing and reports an abort.
//
// While a question is open the progress window stays away (FileOperationProgress::
// setQuestionOpen); a Cancel in the progress window closes an open question as Cancel. When the
// program quits (QCoreApplication::exit tells every event loop to leave), the operation is
// cancelled, every question still due is answered Cancel unasked, and `run` returns once the
// worker has stopped at its next safe point.
class ShellFileOperation final : public FileOperationEngine
{
public:
    ShellFileOperation(FileOperationQuestions& questions, FileOperationProgress& progress);

    FileOperationResult run(const FileOperationRequest& request) override;
    // An operation is running (its `run` has not returned yet).
    bool isRunning() const { return m_running; }

private:
    FileOperationQuestions& m_questions;
    FileOperationProgress& m_progress;
    bool m_running = false;
};

} // namespace vantoro
