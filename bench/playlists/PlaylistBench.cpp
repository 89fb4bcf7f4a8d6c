// Playlist reading (each format), writing and the clip list's sorting, each beside a baseline
// that does the least work the same result needs, measured in the same run. Targets: reading
// and writing within 1.3 times of their baselines, sorting within 1.5 times; a playlist whose
// entries all name their clips in another letter case within 2 times of the same playlist in
// the right case; one written on Windows, whose drive paths are found by their tails below the
// playlist's folder, within 2 times of the same list with the right relative paths.

#include "platform/MessageBoxes.h"
#include "playlists/ClipList.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/PlaylistFormat.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace {

using namespace vantoro;

constexpr int kEntries = 100000;

class NoBoxes final : public MessageBoxes
{
public:
    MessageResult show(MessageKind, const QString&, MessageButtons) override
    {
        ++shown;
        return MessageResult::Ok;
    }
    int shown = 0;
};

// 100,000 clip files in a folder tree (100 artists x 1000 tracks), and playlists naming them.
struct Fixture
{
    Fixture()
    {
        for (int artist = 0; artist < 100; ++artist) {
            const QString folder = dir.path() + QStringLiteral(u"/Artist %1 \u00e9/Album & Co")
                                                    .arg(artist, 3, 10, QLatin1Char('0'));
            QDir().mkpath(folder);
            for (int track = 0; track < 1000; ++track) {
                const QString path =
                    folder +
                    QStringLiteral("/Track %1 - Title.mp3").arg(track, 4, 10, QLatin1Char('0'));
                QFile(path).open(QIODevice::WriteOnly);
                paths.append(path);
            }
        }
        std::shuffle(paths.begin(), paths.end(), *QRandomGenerator::global());
        asx = dir.path() + QStringLiteral("/list.asx");
        m3u = dir.path() + QStringLiteral("/list.m3u");
        otherAsx = dir.path() + QStringLiteral("/other.asx");
        pls = dir.path() + QStringLiteral("/list.pls");
        xspf = dir.path() + QStringLiteral("/list.xspf");
        QFile asxFile(asx);
        asxFile.open(QIODevice::WriteOnly);
        writeAsxPlaylist(asxFile, asx, paths);
        QFile m3uFile(m3u);
        m3uFile.open(QIODevice::WriteOnly);
        m3uFile.write("#EXTM3U\r\n");
        for (const QString& p : std::as_const(paths))
            m3uFile.write("#EXTINF:123,Artist - Title\r\n" + p.toUtf8() + "\r\n");
        // As other programs write them: XML escapes, percent-encoded URIs, numbered keys.
        QFile otherFile(otherAsx);
        otherFile.open(QIODevice::WriteOnly);
        otherFile.write("<asx version=\"3.0\">\n<title>Other</title>\n");
        for (const QString& p : std::as_const(paths))
            otherFile.write("  <entry><title>Title</title><ref href=\"" +
                            p.toUtf8().replace("&", "&amp;") + "\"/></entry>\n");
        otherFile.write("</asx>\n");
        QFile plsFile(pls);
        plsFile.open(QIODevice::WriteOnly);
        plsFile.write("[playlist]\n");
        for (qsizetype i = 0; i < paths.size(); ++i)
            plsFile.write("File" + QByteArray::number(i + 1) + "=" + paths.at(i).toUtf8() +
                          "\nTitle" + QByteArray::number(i + 1) + "=Title\n");
        plsFile.write("NumberOfEntries=" + QByteArray::number(paths.size()) + "\nVersion=2\n");
        QFile xspfFile(xspf);
        xspfFile.open(QIODevice::WriteOnly);
        xspfFile.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
                       "xmlns=\"http://xspf.org/ns/0/\">\n<trackList>\n");
        for (const QString& p : std::as_const(paths))
            xspfFile.write("<track><location>file://" + QUrl::toPercentEncoding(p, "/") +
                           "</location><title>Title</title></track>\n");
        xspfFile.write("</trackList>\n</playlist>\n");
        // Relative names, as written on Windows: once in the disk's case, once all in capitals.
        rightCase = dir.path() + QStringLiteral("/right-case.m3u");
        wrongCase = dir.path() + QStringLiteral("/wrong-case.m3u");
        QFile rightFile(rightCase);
        rightFile.open(QIODevice::WriteOnly);
        QFile wrongFile(wrongCase);
        wrongFile.open(QIODevice::WriteOnly);
        for (const QString& p : std::as_const(paths)) {
            const QString relative = p.mid(dir.path().size() + 1);
            rightFile.write(relative.toUtf8() + "\r\n");
            wrongFile.write(relative.toUpper().toUtf8() + "\r\n");
        }
        // Vantoro's own files, once as written on Windows before the folder moved here, once
        // with the paths relative to where the playlist now lies.
        windowsPaths = dir.path() + QStringLiteral("/windows-paths.asx");
        relativePaths = dir.path() + QStringLiteral("/relative-paths.asx");
        QStringList windowsEntries;
        QStringList relativeEntries;
        for (const QString& p : std::as_const(paths)) {
            const QString relative = p.mid(dir.path().size() + 1);
            relativeEntries.append(relative);
            windowsEntries.append(QStringLiteral("C:\\Users\\Someone\\Music\\") +
                                  QString(relative).replace(u'/', u'\\'));
        }
        QFile windowsFile(windowsPaths);
        windowsFile.open(QIODevice::WriteOnly);
        writeAsxPlaylist(windowsFile, windowsPaths, windowsEntries);
        QFile relativeFile(relativePaths);
        relativeFile.open(QIODevice::WriteOnly);
        writeAsxPlaylist(relativeFile, relativePaths, relativeEntries);
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/vantoro-bench-XXXXXX")};
    QStringList paths;
    QString asx;
    QString m3u;
    QString otherAsx;
    QString pls;
    QString xspf;
    QString rightCase;
    QString wrongCase;
    QString windowsPaths;
    QString relativePaths;
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

void readPlaylist(benchmark::State& state, const QString& path)
{
    NoBoxes boxes;
    ClipList list;
    for (auto _ : state) {
        const std::optional<int> missing = ReadPlaylist(list, path, boxes);
        if (missing != 0 || list.count() != kEntries)
            state.SkipWithError("unexpected result");
        benchmark::DoNotOptimize(list.items().data());
    }
}

enum class Format { OwnAsx, OtherAsx, M3u, Pls, Xspf };

// The text between `open` and the next `close` in the line, or nothing.
std::optional<std::string_view> between(std::string_view line, std::string_view open,
                                        std::string_view close)
{
    const size_t at = line.find(open);
    if (at == std::string_view::npos)
        return std::nullopt;
    line.remove_prefix(at + open.size());
    return line.substr(0, line.find(close));
}

// The least work each format needs: read the file, split the lines, take each line's entry
// the plainest way the format allows (undoing "&amp;" and percent-encoding where the format
// has them), stat it. No rules beyond that, no clip list.
void readBaseline(benchmark::State& state, const QString& path, Format format)
{
    const QByteArray name = QFile::encodeName(path);
    for (auto _ : state) {
        std::FILE* f = std::fopen(name.constData(), "rb");
        std::string bytes;
        char buffer[1 << 16];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, n);
        std::fclose(f);
        int found = 0;
        std::string entry;
        size_t at = 0;
        while (at < bytes.size()) {
            size_t end = bytes.find('\n', at);
            if (end == std::string::npos)
                end = bytes.size();
            std::string_view line(bytes.data() + at, end - at);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            at = end + 1;
            std::optional<std::string_view> value;
            switch (format) {
            case Format::OwnAsx:
                value = between(line, "F=\"", "\"");
                break;
            case Format::OtherAsx:
                value = between(line, "href=\"", "\"");
                break;
            case Format::M3u:
                if (!line.empty() && line.front() != '#')
                    value = line;
                break;
            case Format::Pls:
                if (line.substr(0, 4) == "File")
                    value = between(line, "=", "\n");
                break;
            case Format::Xspf:
                value = between(line, "<location>file://", "<");
                break;
            }
            if (!value)
                continue;
            entry.clear();
            for (size_t i = 0; i < value->size(); ++i) {
                const char c = (*value)[i];
                if (format == Format::OtherAsx && c == '&' && value->substr(i, 5) == "&amp;") {
                    entry += '&';
                    i += 4;
                } else if (format == Format::Xspf && c == '%' && i + 2 < value->size()) {
                    const auto hex = [](char h) {
                        return h <= '9' ? h - '0' : (h | 0x20) - 'a' + 10;
                    };
                    entry += char(hex((*value)[i + 1]) * 16 + hex((*value)[i + 2]));
                    i += 2;
                } else {
                    entry += c;
                }
            }
            struct stat info
            {
            };
            found += ::stat(entry.c_str(), &info) == 0;
        }
        if (found != kEntries)
            state.SkipWithError("unexpected result");
    }
}

void BM_ReadPlaylistAsx(benchmark::State& state)
{
    readPlaylist(state, fixture().asx);
}
void BM_BaselineReadAsx(benchmark::State& state)
{
    readBaseline(state, fixture().asx, Format::OwnAsx);
}
void BM_ReadPlaylistOtherAsx(benchmark::State& state)
{
    readPlaylist(state, fixture().otherAsx);
}
void BM_BaselineReadOtherAsx(benchmark::State& state)
{
    readBaseline(state, fixture().otherAsx, Format::OtherAsx);
}
void BM_ReadPlaylistM3u(benchmark::State& state)
{
    readPlaylist(state, fixture().m3u);
}
void BM_BaselineReadM3u(benchmark::State& state)
{
    readBaseline(state, fixture().m3u, Format::M3u);
}
void BM_ReadPlaylistPls(benchmark::State& state)
{
    readPlaylist(state, fixture().pls);
}
void BM_BaselineReadPls(benchmark::State& state)
{
    readBaseline(state, fixture().pls, Format::Pls);
}
void BM_ReadPlaylistXspf(benchmark::State& state)
{
    readPlaylist(state, fixture().xspf);
}
void BM_BaselineReadXspf(benchmark::State& state)
{
    readBaseline(state, fixture().xspf, Format::Xspf);
}

void BM_ReadPlaylistWrongCase(benchmark::State& state)
{
    readPlaylist(state, fixture().wrongCase);
}
void BM_BaselineReadRightCase(benchmark::State& state)
{
    readPlaylist(state, fixture().rightCase);
}

void BM_ReadPlaylistWindowsPaths(benchmark::State& state)
{
    readPlaylist(state, fixture().windowsPaths);
}
void BM_BaselineReadRelativePaths(benchmark::State& state)
{
    readPlaylist(state, fixture().relativePaths);
}

void BM_WritePlaylist(benchmark::State& state)
{
    ClipList list;
    list.setItems(fixture().paths);
    NoBoxes boxes;
    const QString path = fixture().dir.path() + QStringLiteral("/written.asx");
    for (auto _ : state)
        if (!WritePlaylist(list, path, path, boxes))
            state.SkipWithError("write failed");
}

// The same bytes through one buffered stream: no temporary file, no check, no flush to disk.
void BM_BaselineWrite(benchmark::State& state)
{
    const QStringList& paths = fixture().paths;
    const QString path = fixture().dir.path() + QStringLiteral("/baseline.asx");
    const QByteArray name = QFile::encodeName(path);
    const QByteArray title = path.toUtf8();
    for (auto _ : state) {
        std::FILE* f = std::fopen(name.constData(), "wb");
        std::fputs("<ASX VERSION=\"3.0\">\r\n<!-- ", f);
        std::fputs(kProductWebAddress, f);
        std::fputs(" -->\r\n<Title>", f);
        std::fwrite(title.constData(), 1, size_t(title.size()), f);
        std::fputs("</Title>\r\n<Author>Vantoro Media Manager</Author>\r\n<Copyright>", f);
        std::fputs(kProductRightsNotice, f);
        std::fputs("</Copyright>\r\n", f);
        for (const QString& p : paths) {
            const QByteArray bytes = p.toUtf8();
            std::fputs(" <ENTRY><REF HREF=\"", f);
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
            std::fputs("\" /></ENTRY>\r\n", f);
        }
        std::fputs("</ASX>\r\n", f);
        std::fclose(f);
    }
}

void BM_SortSwitch(benchmark::State& state)
{
    ClipList list;
    for (auto _ : state) {
        state.PauseTiming();
        list.setItems(fixture().paths);
        state.ResumeTiming();
        list.setSorted(true);
        benchmark::DoNotOptimize(list.items().data());
    }
}

// Collation keys computed once per path (as the clip list must), then std::sort over them.
void BM_BaselineSortKeys(benchmark::State& state)
{
    const QStringList& paths = fixture().paths;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
        keys.reserve(size_t(paths.size()));
        for (qsizetype i = 0; i < paths.size(); ++i)
            keys.emplace_back(collator.sortKey(paths.at(i)), i);
        std::sort(keys.begin(), keys.end(),
                  [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
        benchmark::DoNotOptimize(keys.data());
    }
}

BENCHMARK(BM_ReadPlaylistAsx)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineReadAsx)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlaylistM3u)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineReadM3u)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlaylistOtherAsx)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineReadOtherAsx)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlaylistPls)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineReadPls)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlaylistXspf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineReadXspf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlaylistWrongCase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineReadRightCase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadPlaylistWindowsPaths)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineReadRelativePaths)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WritePlaylist)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortSwitch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineSortKeys)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
