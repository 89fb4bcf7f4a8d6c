#pragma once

#include <QIODevice>
#include <QString>

namespace vantoro {

// A regular file opened for reading, as a QIODevice that keeps the errno of every failure:
// open, read and close each report the system's own error code through error().
//
// Only regular files open: a folder gives EISDIR, and anything else that is not a regular file
// (a pipe, a device) gives EINVAL, so that reading can neither block nor run forever.
class ReadOnlyFileDevice final : public QIODevice
{
public:
    explicit ReadOnlyFileDevice(QString path);
    ~ReadOnlyFileDevice() override;

    // Opens the file; false (with error()) when that fails.
    bool openFile();
    // Closes the file; false (with error()) when the system reports a failure.
    bool closeFile();
    int error() const { return m_error; }
    // The file's size in bytes when it was opened.
    qint64 fileSize() const { return m_size; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    QString m_path;
    int m_fd = -1;
    int m_error = 0;
    qint64 m_size = 0;
};

} // namespace vantoro
