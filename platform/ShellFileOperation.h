#pragma once

#include "platform/FileOperationEngine.h"

#include <functional>

namespace vantoro {

class FileOperationQuestions;
class FileOperationProgress;

// The program's file-operation engine: delete (to the Trash with kAllowUndo), copy and move,
// with its questions and progress window going through the two interfaces. `run` is called on
// the GUI thread and returns when the operation is over; meanwhile the work runs on a worker
// thread and the GUI thread keeps handling events (the progress window, its Cancel button, the
// questions, which are always asked on the GUI thread). One operation at a time: a `run`
// called while another one runs does nothing and reports an abort.
class ShellFileOperation final : public FileOperationEngine
{
public:
    ShellFileOperation(FileOperationQuestions& questions, FileOperationProgress& progress);

    FileOperationResult run(const FileOperationRequest& request) override;
    // GUI thread, while `run` is under way (from a handler it dispatches): cancels the
    // operation; an open question is closed as Cancel and no further one is asked. Does nothing
    // when no operation runs.
    void cancel();

private:
    FileOperationQuestions& m_questions;
    FileOperationProgress& m_progress;
    bool m_running = false;
    std::function<void()> m_cancel; // set while an operation runs
};

} // namespace vantoro
