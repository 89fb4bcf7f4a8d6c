#pragma once

#include "platform/FolderBrowser.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTreeView;

namespace vantoro {

class FolderTreeModel;

// The folder browser's window: a title label, the folder tree, a status line, a "Show hidden
// folders" switch, and OK and Cancel at the bottom right. The bottom left is left free for a
// control the caller adds (a new-folder button). Reports to the callbacks as FolderBrowser.h
// describes.
class FolderBrowserDialog final : public QDialog, public FolderBrowserWindow
{
    Q_OBJECT
public:
    FolderBrowserDialog(const FolderBrowseSpec& spec, FolderBrowserCallbacks& callbacks,
                        QWidget* parent = nullptr);
    ~FolderBrowserDialog() override;

    // Sets the window up, tells the callbacks, shows it modally centred on the screen; answers
    // the chosen item's path (empty for an item without one) or nullopt when cancelled.
    std::optional<QString> run();

    QWidget* widget() override { return this; }
    bool selectPath(const QString& path) override;
    void setStatusText(const QString& text) override;
    void enableOk(bool enabled) override;
    void closeAsCancelled() override;

    QTreeView* tree() const { return m_tree; }
    FolderTreeModel* model() const { return m_model; }
    QCheckBox* showHiddenBox() const { return m_showHidden; }
    QPushButton* okButton() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Sizes and lays the window out, so that the callbacks see its final geometry.
    void prepare();
    void centreOnScreen();
    void currentChanged();
    void showHiddenToggled(bool show);

    FolderBrowserCallbacks& m_callbacks;
    FolderTreeModel* m_model = nullptr;
    QLabel* m_title = nullptr;
    QTreeView* m_tree = nullptr;
    QLabel* m_status = nullptr;
    QCheckBox* m_showHidden = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    bool m_closedEarly = false;
};

} // namespace vantoro
