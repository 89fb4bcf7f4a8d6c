#pragma once

#include <QFileDialog>
#include <QStringList>

namespace vantoro {

// Qt's file dialog for picking several existing files, where Open on a selection that holds
// files takes those files and passes over the folders selected with them (Select All in a
// folder with subfolders): Qt's own dialog would go into the first folder instead. Open on
// folders alone goes into the folder, as before.
class MultiFileDialog final : public QFileDialog
{
    Q_OBJECT

public:
    explicit MultiFileDialog(QWidget* parent);

    // The files chosen by the last accepted Open.
    QStringList chosenFiles() const;

    void accept() override;

private:
    QStringList m_files; // set when folders were passed over
};

} // namespace vantoro
