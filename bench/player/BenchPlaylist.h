#pragma once

// The playlist every player benchmark plays: an ASX file naming the given files, written or the
// benchmark stops.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace vantoro::bench {

inline void writeAsx(const QString& path, const QStringList& entries)
{
    QByteArray text = "<ASX VERSION=\"3.0\">\r\n<Title>bench</Title>\r\n";
    for (const QString& entry : entries)
        text += " <ENTRY><REF HREF=\"" + entry.toUtf8() + "\" /></ENTRY>\r\n";
    text += "</ASX>\r\n";
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace vantoro::bench
