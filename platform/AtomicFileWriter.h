#pragma once

#include <QIODevice>
#include <QString>

namespace vantoro {

// Writes a file so that it is either the old file or the complete new one, never torn.
//
// The data goes to a temporary file in the same folder; every write is checked to its last
// byte (a short write on a full disk is an error, not a success); commit() flushes the data to
// disk and only then renames the temporary file over the target. Any failure, or destroying the
// writer without commit(), removes the temporary file and leaves the old file byte for byte.
// error() is the errno of the first failure, 0 while all is well.
class AtomicFileWriter final : public QIODevice
{
public:
    explicit AtomicFileWriter(QString targetPath);
    ~AtomicFileWriter() override;

    // Creates the temporary file; false (with error()) when that fails.
    bool begin();
    bool commit();
    int error() const { return m_error; }
    QString targetPath() const { return m_target; }

    // Convenience: the whole file at once.
    static int writeWhole(const QString& targetPath, const QByteArray& bytes);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void discard();
    void fail(int errnoValue);

    QString m_target;
    QByteArray m_tempPath;
    int m_fd = -1;
    int m_error = 0;
};

} // namespace vantoro
