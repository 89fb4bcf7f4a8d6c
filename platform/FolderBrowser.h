#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace vantoro {

// Flags of a folder browser (the values the shell's BROWSEINFO carries).
namespace FolderBrowseFlag {
constexpr unsigned kReturnOnlyFsDirs = 0x0001;   // BIF_RETURNONLYFSDIRS
constexpr unsigned kDontGoBelowDomain = 0x0002;  // BIF_DONTGOBELOWDOMAIN
constexpr unsigned kStatusText = 0x0004;         // BIF_STATUSTEXT: the window has a status line
constexpr unsigned kReturnFsAncestors = 0x0008;  // BIF_RETURNFSANCESTORS
constexpr unsigned kBrowseForComputer = 0x1000;  // BIF_BROWSEFORCOMPUTER
constexpr unsigned kBrowseForPrinter = 0x2000;   // BIF_BROWSEFORPRINTER
} // namespace FolderBrowseFlag

struct FolderBrowseSpec
{
    QString title;     // the label above the folder tree
    unsigned flags = 0; // FolderBrowseFlag values
    // Folder at the top of the tree; empty: the default tree (home, the desktop's usual places
    // and the mounted volumes, as a file manager's sidebar shows them).
    QString rootPath;
};

// The open browser window, as the callbacks see it. Valid only during the callback's call and
// until the browser closes.
class FolderBrowserWindow
{
public:
    virtual ~FolderBrowserWindow() = default;
    // The dialog window itself: the parent for controls a caller adds (a button at the bottom
    // left), and the geometry those controls are placed by.
    virtual QWidget* widget() = 0;
    // Selects the folder at `path` in the tree, expanding its parents; false when it is not a
    // folder the tree can show.
    virtual bool selectPath(const QString& path) = 0;
    virtual void setStatusText(const QString& text) = 0;
    virtual void enableOk(bool enabled) = 0;
    // Closes the window as if Cancel had been pressed.
    virtual void closeAsCancelled() = 0;
};

class FolderBrowserCallbacks
{
public:
    virtual ~FolderBrowserCallbacks() = default;
    // Once per showing, after the window is set up and before the user can act.
    virtual void browserInitialized(FolderBrowserWindow& window) = 0;
    // On every change of the selected item: its file-system path (empty for an item that has
    // none, such as a heading of the default tree) and the name the tree shows for it.
    virtual void browserSelectionChanged(FolderBrowserWindow& window, const QString& path,
                                         const QString& displayName) = 0;
};

// Shows a modal folder browser centred on the screen.
class FolderBrowser
{
public:
    virtual ~FolderBrowser() = default;
    // Answers the path of the item chosen with OK (empty for an item without a path), or
    // nullopt when the window was cancelled or closed.
    virtual std::optional<QString> browse(const FolderBrowseSpec& spec,
                                          FolderBrowserCallbacks& callbacks) = 0;
};

} // namespace vantoro
