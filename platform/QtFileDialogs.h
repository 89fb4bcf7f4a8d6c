#pragma once

#include "platform/FileDialogs.h"

#include <QSize>

class QFileDialog;
class QWidget;

namespace vantoro {

// File dialogs shown with Qt's own QFileDialog widget (never the desktop's native dialog, so
// that the picture preview pane can be added), modal over the active window.
//
// Filters are shown by their descriptions only. The pattern "*.*" means every file, as the
// program's filters intend, also for names without an extension.
class QtFileDialogs final : public FileDialogs
{
public:
    // Size of the picture preview pane beside the file list.
    static constexpr QSize kPreviewPaneSize{220, 220};
    // Size the dialog with the preview pane opens at, where the screen has room for it: the
    // file list with its Name, Size, Type and Date columns beside the pane.
    static constexpr QSize kPreviewDialogSize{1040, 640};
    // Time the selection must rest on a file before its picture is decoded.
    static constexpr int kPreviewDelayMs = 120;

    QStringList openFiles(const FileDialogSpec& spec) override;
    QString saveFile(const FileDialogSpec& spec) override;
    int lastFilterIndex() const override { return m_lastFilterIndex; }

    // The filter as QFileDialog takes it: the patterns of "Name (*.a *.b)" with "*.*" as "*".
    static QString dialogFilter(const QString& filter);

private:
    static void configure(QFileDialog& dialog, const FileDialogSpec& spec);
    static void addPicturePreview(QFileDialog& dialog);
    void rememberFilter(const QFileDialog& dialog);

    int m_lastFilterIndex = -1;
};

} // namespace vantoro
