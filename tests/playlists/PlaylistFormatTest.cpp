#include "playlists/PlaylistFormat.h"
#include "playlists/PlaylistReader.h"

#include <QBuffer>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace vantoro {
namespace {

// The first lines of every ASX file Vantoro writes: its entries keep the writer's rules.
const QByteArray kOwnHeader = "<ASX VERSION=\"3.0\">\r\n<!-- x -->\r\n<Title>t</Title>\r\n"
                              "<Author>Vantoro Media Manager</Author>\r\n";

QStringList readAll(const QByteArray& bytes, PlaylistRules rules)
{
    QStringList entries;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_TRUE(readPlaylistEntries(buffer, rules, [&](const PlaylistEntry& e) {
        entries.append(QString::fromUtf8(e.bytes));
    }));
    return entries;
}

// Feeds one byte at a time, so that every line end and marker falls across a boundary.
QStringList readByteByByte(const QByteArray& bytes, PlaylistRules rules)
{
    QStringList entries;
    PlaylistReader reader(
        rules, [&](const PlaylistEntry& e) { entries.append(QString::fromUtf8(e.bytes)); });
    for (const char c : bytes)
        if (!reader.feed(&c, 1))
            break;
    reader.finish();
    return entries;
}

// A device that produces `prefix`, then `fillCount` copies of `fill`, then `suffix`, without
// ever holding the whole stream.
class GeneratedDevice final : public QIODevice
{
public:
    GeneratedDevice(QByteArray prefix, char fill, qint64 fillCount, QByteArray suffix)
        : m_prefix(std::move(prefix)), m_fill(fill), m_fillCount(fillCount),
          m_suffix(std::move(suffix))
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 total = m_prefix.size() + m_fillCount + m_suffix.size();
        qint64 n = 0;
        while (n < maxSize && m_pos < total) {
            if (m_pos < m_prefix.size()) {
                data[n++] = m_prefix.at(m_pos++);
            } else if (m_pos < m_prefix.size() + m_fillCount) {
                const qint64 run = std::min(maxSize - n, m_prefix.size() + m_fillCount - m_pos);
                std::memset(data + n, m_fill, size_t(run));
                n += run;
                m_pos += run;
            } else {
                data[n++] = m_suffix.at(m_pos++ - m_prefix.size() - m_fillCount);
            }
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_prefix;
    char m_fill;
    qint64 m_fillCount;
    QByteArray m_suffix;
    qint64 m_pos = 0;
};

long peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs first in this binary, before other tests raise the peak memory figure.
TEST(PlaylistReaderHugeLine, StaysBoundedAndLinear)
{
    constexpr qint64 kLine = 256LL * 1024 * 1024;
    const long before = peakRssKb();
    QElapsedTimer timer;
    timer.start();

    QStringList asx;
    GeneratedDevice asxLine(kOwnHeader + " <ENTRY><REF HREF=\"", 'a', kLine,
                            "\" /></ENTRY>\r\nnext");
    ASSERT_TRUE(readPlaylistEntries(asxLine, PlaylistRules::Asx, [&](const PlaylistEntry& e) {
        asx.append(QString::fromUtf8(e.bytes));
    }));
    ASSERT_EQ(asx.size(), 1);
    EXPECT_EQ(asx.front(), QString(PlaylistReader::kMaxAsxEntryChars, QLatin1Char('a')));

    // An M3U line longer than any path, and one whose extension follows a long run of blanks.
    QStringList m3u;
    GeneratedDevice m3uLine("/", 'b', kLine, ".mp3\n");
    GeneratedDevice blanks("/music/a", ' ', kLine, "b.mp3 \t\n");
    for (QIODevice* device : {static_cast<QIODevice*>(&m3uLine), static_cast<QIODevice*>(&blanks)})
        ASSERT_TRUE(readPlaylistEntries(*device, PlaylistRules::M3u, [&](const PlaylistEntry& e) {
            m3u.append(QString::fromUtf8(e.bytes));
        }));
    EXPECT_EQ(m3u, QStringList({QString(), QString()}));

    EXPECT_LT(peakRssKb() - before, 64 * 1024) << "memory grew with the line length";
    EXPECT_LT(timer.elapsed(), 60000);
}

TEST(PlaylistReader, OwnAsxLineRules)
{
    const struct
    {
        QByteArray line;
        QStringList entries;
    } cases[] = {
        {" <ENTRY><REF HREF=\"/m/a.mp3\" /></ENTRY>", {"/m/a.mp3"}},
        {"<REF HREF=\"/m/a.mp3\"/>", {"/m/a.mp3"}}, // marker at position 9
        {"HREF=\"/m/a.mp3\"", {}},                  // marker at position 4
        {"12345F=\"abc\"", {}},                     // position 6
        {"123456F=\"abc\"", {"abc"}},               // position 7
        {"\t \x01 123456F=\"abc\"", {"abc"}},       // blanks trimmed first
        {"\xc3\xa9\xc3\xa9\xc3\xa9"
         "F=\"abc\"",
         {}},                                            // position 4 in characters
        {"<REF href=\"/m/a.mp3\"/>", {}},                // lower case
        {"<REF HREF = \"/m/a.mp3\"/>", {}},              // blanks around '='
        {"<REF HREF=\"/m/no-quote.mp3 />", {QString()}}, // no closing quote
        {"<a HREF=\"one\" HREF=\"two\">", {"one"}},      // first marker only
        {"F=\"a\" <REF HREF=\"b\">", {}},                // first marker too early
        {"<A HREF=\"http://example.org/x.html\">", {"http://example.org/x.html"}},
        {"<REF HREF=\"/m/Tom & Jerry's \xc3\xa9t\xc3\xa9.ogg\"/>",
         {QStringLiteral(u"/m/Tom & Jerry's \u00e9t\u00e9.ogg")}},
        {"<REF HREF=\"\"/>", {QString()}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readAll(kOwnHeader + c.line + "\r\n", PlaylistRules::Asx), c.entries)
            << c.line.constData();
        EXPECT_EQ(readByteByByte(kOwnHeader + c.line, PlaylistRules::Asx), c.entries)
            << c.line.constData();
    }
}

TEST(PlaylistReader, OwnAsxEntryIsCutAt999Characters)
{
    const QString path = QStringLiteral(u"/m/") + QString(1500, QChar(u'\u00e9'));
    const QByteArray line = kOwnHeader + "<REF HREF=\"" + path.toUtf8() + "\"/>";
    const QStringList entries = readAll(line, PlaylistRules::Asx);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.front(), path.left(999));
    EXPECT_EQ(readByteByByte(line, PlaylistRules::Asx), entries);
    EXPECT_EQ(
        readAll(kOwnHeader + "<REF HREF=\"" + QByteArray(100000, 'x') + "\"/>", PlaylistRules::Asx),
        QStringList(QString(999, QLatin1Char('x'))));
}

TEST(PlaylistReader, M3uLongLinesAreNoPaths)
{
    // Longer than any path: passed on empty, so that it counts as missing.
    const QByteArray longLine = "/" + QByteArray(PlaylistReader::kMaxEntryBytes, 'x') + ".mp3";
    EXPECT_EQ(readAll(longLine, PlaylistRules::M3u), QStringList(QString()));
    const QByteArray longest = "/" + QByteArray(PlaylistReader::kMaxEntryBytes - 5, 'x') + ".mp3";
    EXPECT_EQ(readAll(longest, PlaylistRules::M3u), QStringList(QString::fromLatin1(longest)));
    EXPECT_EQ(readByteByByte(longest + "  \t", PlaylistRules::M3u),
              QStringList(QString::fromLatin1(longest)));
}

TEST(PlaylistReader, LineEnds)
{
    const QStringList three = {"/m/1.mp3", "/m/2.mp3", "/m/3.mp3"};
    const struct
    {
        const char* name;
        QByteArray bytes;
        QStringList entries;
    } cases[] = {
        {"CR LF", "/m/1.mp3\r\n/m/2.mp3\r\n/m/3.mp3\r\n", three},
        {"CR", "/m/1.mp3\r/m/2.mp3\r/m/3.mp3\r", three},
        {"LF", "/m/1.mp3\n/m/2.mp3\n/m/3.mp3\n", three},
        {"mixed", "/m/1.mp3\r/m/2.mp3\n\r\n/m/3.mp3\r\n\r\n", three},
        {"LF CR", "/m/1.mp3\n\r/m/2.mp3\n\r/m/3.mp3", three},
        {"no end at last", "/m/1.mp3\r\n/m/2.mp3\r\n/m/3.mp3", three},
        {"Ctrl-Z ends the file",
         "/m/1.mp3\r\n/m/2.mp3\x1a\r\n/m/3.mp3\r\n",
         {"/m/1.mp3", "/m/2.mp3"}},
        {"Ctrl-Z first", "\x1a/m/1.mp3\r\n", {}},
        {"NUL inside", QByteArray("/m/1\0x.mp3\n", 11), {QString::fromLatin1("/m/1\0x.mp3", 10)}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readAll(c.bytes, PlaylistRules::M3u), c.entries) << c.name;
        EXPECT_EQ(readByteByByte(c.bytes, PlaylistRules::M3u), c.entries) << c.name;
    }
}

TEST(PlaylistReader, NoRulesReadsNothing)
{
    EXPECT_TRUE(readAll("/m/1.mp3\n<REF HREF=\"/m/2.mp3\"/>\n", PlaylistRules::None).isEmpty());
}

TEST(PlaylistRules, ChosenByFirstLetterOfExtension)
{
    const struct
    {
        const char* path;
        PlaylistRules rules;
    } cases[] = {
        {"/p/list.asx", PlaylistRules::Asx},   {"/p/LIST.ASX", PlaylistRules::Asx},
        {"/p/list.a", PlaylistRules::Asx},     {"/p/list.m3u", PlaylistRules::M3u},
        {"/p/list.M3U8", PlaylistRules::M3u8}, {"/p/list.mp3", PlaylistRules::M3u},
        {"/p/list.pls", PlaylistRules::Pls},   {"/p/list", PlaylistRules::None},
        {"/p/LIST.PLS", PlaylistRules::Pls},   {"/p/list.xspf", PlaylistRules::Xspf},
        {"/p/list.XSPF", PlaylistRules::Xspf}, {"/p/list.m3u8", PlaylistRules::M3u8},
        {"/p/list.plsx", PlaylistRules::None}, {"/p/list.xsp", PlaylistRules::None},
        {"/p.asx/list", PlaylistRules::None},  {"/p/list.", PlaylistRules::None},
        {"/p/.asx", PlaylistRules::Asx},       {"list.x.asx", PlaylistRules::Asx},
        {"/p/radio.wax", PlaylistRules::Asx},  {"/p/film.WVX", PlaylistRules::Asx},
        {"/p/list.wmx", PlaylistRules::Asx},   {"/p/list.vlc", PlaylistRules::M3u},
        {"/p/list.wma", PlaylistRules::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(playlistRulesFor(QString::fromUtf8(c.path)), c.rules) << c.path;
}

QByteArray written(const QString& title, const QStringList& entries)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeAsxPlaylist(buffer, title, entries));
    return buffer.data();
}

TEST(AsxWriter, WritesTheLinesExactly)
{
    const QByteArray header = QByteArray("<ASX VERSION=\"3.0\">\r\n<!-- ") + kProductWebAddress +
                              " -->\r\n<Title>/p/My & \"Best\".asx</Title>\r\n"
                              "<Author>Vantoro Media Manager</Author>\r\n<Copyright>" +
                              kProductRightsNotice + "</Copyright>\r\n";
    EXPECT_EQ(written("/p/My & \"Best\".asx", {}), header + "</ASX>\r\n");
    EXPECT_EQ(written("/p/My & \"Best\".asx",
                      {"/m/a & b.mp3", QStringLiteral(u"/m/\u00e9t\u00e9 1.ogg")}),
              header + " <ENTRY><REF HREF=\"/m/a & b.mp3\" /></ENTRY>\r\n"
                       " <ENTRY><REF HREF=\"/m/\xc3\xa9t\xc3\xa9 1.ogg\" /></ENTRY>\r\n"
                       "</ASX>\r\n");
}

TEST(AsxWriter, ReadsBackTheSameEntries)
{
    QStringList entries = {
        "/m/a & b.mp3",   "/m/a & b.mp3",   QStringLiteral(u"/m/\u00e9\u4e2d.ogg"),
        "relative/x.jpg", "  spaced  .mp3", QString(5000, QLatin1Char('y'))};
    const QStringList back = readAll(written("t", entries), PlaylistRules::Asx);
    entries.last() = entries.last().left(999);
    EXPECT_EQ(back, entries);
}

// A device that takes a fixed number of bytes and then fails, as a full disk does.
class FullAfterDevice final : public QIODevice
{
public:
    explicit FullAfterDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }
    qint64 taken = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 size) override
    {
        const qint64 n = std::min(size, m_room - taken);
        taken += n;
        return n == 0 ? -1 : n;
    }

private:
    qint64 m_room;
};

TEST(AsxWriter, ReportsAShortWrite)
{
    QStringList entries;
    for (int i = 0; i < 20000; ++i)
        entries.append(QStringLiteral("/m/clip %1.mp3").arg(i));
    for (const qint64 room : {0LL, 100LL, 300000LL}) {
        FullAfterDevice device(room);
        EXPECT_FALSE(writeAsxPlaylist(device, QStringLiteral("t"), entries)) << room;
    }
}

} // namespace
} // namespace vantoro
