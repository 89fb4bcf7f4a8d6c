#pragma once

#include "platform/ModalRunner.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace vantoro::test {

// Runs each window it is given with exec() and runs the next script against it from inside the
// window's own event loop, as a user would. A window still open when its script ends (or that
// has no script) is closed with reject(). Scripts are taken in the order the windows are shown,
// nested ones included.
class ScriptedModalRunner final : public ModalRunner
{
public:
    using Script = std::function<void(QDialog&)>;

    int exec(QDialog& dialog) override
    {
        shown.append(dialog.windowTitle());
        Script script = scripts.isEmpty() ? Script() : scripts.takeFirst();
        QTimer::singleShot(0, &dialog, [&dialog, script] {
            if (script)
                script(dialog);
            if (dialog.isVisible())
                dialog.reject();
        });
        return dialog.exec();
    }

    QList<Script> scripts;
    QStringList shown; // window titles, in the order shown
};

} // namespace vantoro::test
