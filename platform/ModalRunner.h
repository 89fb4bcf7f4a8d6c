#pragma once

class QDialog;

namespace vantoro {

// Shows a window modally and answers its result. The real runner calls exec(); a test runner
// drives the window from a script and closes it.
class ModalRunner
{
public:
    virtual ~ModalRunner() = default;
    virtual int exec(QDialog& dialog) = 0;
};

class ExecModalRunner final : public ModalRunner
{
public:
    int exec(QDialog& dialog) override;
};

} // namespace vantoro
