#pragma once

#include "platform/FileOperationEngine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace vantoro::test {

// Writes a file by its path bytes, with a fixed modification time and permission bits.
void makeFile(const QByteArray& path, const QByteArray& contents, time_t mtime = 1500000000,
              mode_t mode = 0644);
// Contents of a file by its path bytes; empty when it cannot be read.
QByteArray fileContents(const QByteArray& path);
bool pathExists(const QByteArray& path);
// Every name in a folder, hidden ones included, sorted.
QList<QByteArray> folderEntries(const QByteArray& path);
QByteArray patternBytes(qint64 size, int seed);

FileOperationRequest makeRequest(FileOperationCode operation, const QStringList& sources,
                                 const QString& destination = {}, quint16 flags = 0);

// The Trash of the test's private XDG_DATA_HOME.
QString homeTrash();
// Runs a program and answers its exit code (-1 when it could not run); output is collected.
int runProgram(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
               int timeoutMs = 60000);

} // namespace vantoro::test
