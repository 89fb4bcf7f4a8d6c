#include "platform/MultiFileDialog.h"

#include <QFileInfo>

namespace vantoro {

MultiFileDialog::MultiFileDialog(QWidget* parent) : QFileDialog(parent)
{
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFiles);
}

QStringList MultiFileDialog::chosenFiles() const
{
    return m_files.isEmpty() ? selectedFiles() : m_files;
}

void MultiFileDialog::accept()
{
    m_files.clear();
    const QStringList selected = selectedFiles();
    QStringList files;
    bool folders = false;
    bool missing = false;
    for (const QString& name : selected) {
        const QFileInfo info(name);
        if (info.isDir())
            folders = true;
        else if (info.exists())
            files.append(name);
        else
            missing = true;
    }
    if (missing) {
        QFileDialog::accept(); // says which name is not there
        return;
    }
    if (!folders || files.isEmpty()) {
        QFileDialog::accept();
        return;
    }
    m_files = files;
    QDialog::accept();
}

} // namespace vantoro
