#pragma once

#include "fileops/FileOperationEngine.h"

#include <QList>

#include <functional>

namespace vantoro::test {

// Records every request and answers a preset result; `onRun` may act on the files meanwhile
// (a test that wants real files moved can do it there, or wrap the real engine).
class FakeFileOperationEngine final : public FileOperationEngine
{
public:
    FileOperationResult run(const FileOperationRequest& request) override
    {
        requests.append(request);
        if (onRun)
            return onRun(request);
        return result;
    }

    QList<FileOperationRequest> requests;
    FileOperationResult result;
    std::function<FileOperationResult(const FileOperationRequest&)> onRun;
};

} // namespace vantoro::test
