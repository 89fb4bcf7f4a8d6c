#include "playlists/PlaylistFormat.h"

#include <QIODevice>

namespace vantoro {

namespace {

constexpr qsizetype kChunkBytes = 256 * 1024;

// Collects output in large blocks so that the device sees few writes, and checks each one.
class BlockWriter
{
public:
    explicit BlockWriter(QIODevice& out) : m_out(out) { m_buffer.reserve(kChunkBytes + 4096); }

    void line(const QByteArray& text)
    {
        m_buffer.append(text);
        m_buffer.append("\r\n", 2);
        if (m_buffer.size() >= kChunkBytes)
            flush();
    }
    bool flush()
    {
        if (m_ok && !m_buffer.isEmpty())
            m_ok = m_out.write(m_buffer) == m_buffer.size();
        m_buffer.resize(0);
        return m_ok;
    }
    bool ok() const { return m_ok; }

private:
    QIODevice& m_out;
    QByteArray m_buffer;
    bool m_ok = true;
};

} // namespace

PlaylistRules playlistRulesFor(const QString& path)
{
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart || dot + 1 >= path.size())
        return PlaylistRules::None;
    const QStringView extension = QStringView(path).mid(dot + 1);
    if (extension.compare(u"pls", Qt::CaseInsensitive) == 0)
        return PlaylistRules::Pls;
    if (extension.compare(u"xspf", Qt::CaseInsensitive) == 0)
        return PlaylistRules::Xspf;
    if (extension.compare(u"m3u8", Qt::CaseInsensitive) == 0)
        return PlaylistRules::M3u8;
    if (extension.compare(u"wpl", Qt::CaseInsensitive) == 0)
        return PlaylistRules::Wpl;
    // The Windows Media metafiles are ASX files under other names; .vlc is an M3U list.
    for (const char16_t* asx : {u"wax", u"wvx", u"wmx"}) {
        if (extension.compare(asx, Qt::CaseInsensitive) == 0)
            return PlaylistRules::Asx;
    }
    if (extension.compare(u"vlc", Qt::CaseInsensitive) == 0)
        return PlaylistRules::M3u;
    const QChar first = path.at(dot + 1).toUpper();
    if (first == QLatin1Char('A'))
        return PlaylistRules::Asx;
    if (first == QLatin1Char('M'))
        return PlaylistRules::M3u;
    return PlaylistRules::None;
}

QString escapeAsxLineBreaks(const QString& text)
{
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString out = text;
    out.replace(u'\r', QStringLiteral("&#13;"));
    out.replace(u'\n', QStringLiteral("&#10;"));
    return out;
}

bool writeAsxPlaylist(QIODevice& out, const QString& title, const QStringList& entries)
{
    BlockWriter writer(out);
    writer.line("<ASX VERSION=\"3.0\">");
    writer.line(QByteArray("<!-- ") + kProductWebAddress + " -->");
    writer.line("<Title>" + escapeAsxLineBreaks(title).toUtf8() + "</Title>");
    writer.line("<Author>Vantoro Media Manager</Author>");
    writer.line(QByteArray("<Copyright>") + kProductRightsNotice + "</Copyright>");
    QByteArray entryLine;
    for (const QString& entry : entries) {
        entryLine.resize(0);
        entryLine.append(" <ENTRY><REF HREF=\"");
        entryLine.append(escapeAsxLineBreaks(entry).toUtf8());
        entryLine.append("\" /></ENTRY>");
        writer.line(entryLine);
        if (!writer.ok())
            return false;
    }
    writer.line("</ASX>");
    return writer.flush();
}

bool readPlaylistEntries(QIODevice& in, PlaylistRules rules, const PlaylistEntrySink& sink,
                         const PlaylistReadProgress& progress)
{
    PlaylistReader reader(rules, sink);
    QByteArray buffer(kChunkBytes, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            return false;
        if (n == 0)
            break;
        total += n;
        if (!reader.feed(buffer.constData(), n))
            return true;
        if (progress && !progress(total))
            return false;
    }
    reader.finish();
    return true;
}

} // namespace vantoro
