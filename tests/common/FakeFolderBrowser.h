#pragma once

#include "platform/FolderBrowser.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace vantoro::test {

// A folder browser without a tree: a plain widget stands for the window, so controls a caller
// adds to it can be found and clicked. Each showing runs the next script from `scripts` (or
// answers Cancel when none is left); a script acts on the window and answers the browse result.
class FakeFolderBrowser final : public FolderBrowser
{
public:
    class Window final : public FolderBrowserWindow
    {
    public:
        QWidget* widget() override { return &m_widget; }
        bool selectPath(const QString& path) override
        {
            selected = path;
            selectedPaths.append(path);
            return true;
        }
        void setStatusText(const QString& text) override { statusText = text; }
        void enableOk(bool enabled) override { okEnabled = enabled; }
        void closeAsCancelled() override { closedAsCancelled = true; }

        QString selected;
        QStringList selectedPaths;
        QString statusText;
        bool okEnabled = true;
        bool closedAsCancelled = false;

    private:
        QWidget m_widget;
    };

    // The script sees the window after browserInitialized has run and may call
    // callbacks.browserSelectionChanged itself to move the selection.
    using Script = std::function<std::optional<QString>(Window& window,
                                                        FolderBrowserCallbacks& callbacks)>;

    std::optional<QString> browse(const FolderBrowseSpec& spec,
                                  FolderBrowserCallbacks& callbacks) override
    {
        specs.append(spec);
        auto window = std::make_unique<Window>();
        window->widget()->resize(320, 380);
        callbacks.browserInitialized(*window);
        std::optional<QString> answer;
        if (!scripts.isEmpty())
            answer = scripts.takeFirst()(*window, callbacks);
        if (window->closedAsCancelled)
            answer.reset();
        lastSelected = window->selected;
        return answer;
    }

    // A script that selects `path` and presses OK.
    static Script choose(const QString& path)
    {
        return [path](Window& window, FolderBrowserCallbacks& callbacks) {
            window.selectPath(path);
            callbacks.browserSelectionChanged(window, path, path);
            return std::optional<QString>(path);
        };
    }

    QList<FolderBrowseSpec> specs;
    QList<Script> scripts;
    QString lastSelected;
};

} // namespace vantoro::test
