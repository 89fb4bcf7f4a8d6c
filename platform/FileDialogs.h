#pragma once

#include <QString>
#include <QStringList>

namespace vantoro {

// What one file dialog looks like and how it behaves. Filters are "Name (*.a *.b)" texts.
struct FileDialogSpec
{
    QString title;
    QStringList filters;
    int filterIndex = 0;   // filter selected when the dialog opens (0-based)
    QString initialFolder; // empty: the platform's default folder
    QString proposedName;  // save dialogs: the name proposed in the name field
    QString defaultSuffix; // added to a typed name without extension ("asx")
    bool multiSelect = false;
    bool picturePreview = false;
    bool acceptNonExisting = false; // open dialogs: a typed name that does not exist is accepted
    bool overwritePrompt = true;    // save dialogs
};

// Common file dialogs. Each call is modal and answers the chosen paths, empty when cancelled.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    virtual QStringList openFiles(const FileDialogSpec& spec) = 0;
    virtual QString saveFile(const FileDialogSpec& spec) = 0;
    // The filter (0-based) that was selected when the last dialog closed, whether chosen or
    // cancelled; -1 when not known.
    virtual int lastFilterIndex() const { return -1; }
};

} // namespace vantoro
