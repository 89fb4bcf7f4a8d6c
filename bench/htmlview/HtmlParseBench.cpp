// Parsing the guide text and a generated 1 MB document with our parser and with
// QTextDocument::setHtml. Memory is counted two ways:
// - doc_bytes: the heap the finished document holds (glibc's allocator statistics before and
//   after building it, mapped blocks included);
// - growth_bytes: how much the process's peak resident memory grows while one document is
//   built, measured in a fresh copy of this program per case, so working memory the parse
//   needs on the way (and that the allocator keeps) counts too.

#include "bench/common/BenchMain.h"
#include "htmlview/GuideTexts.h"
#include "htmlview/HtmlParser.h"
#include "htmlview/ModelPool.h"
#include "htmlview/TSectionList.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

using namespace vantoro;

// About 1 MB of HTML: paragraphs with bold, italic and coloured runs and non-breaking spaces,
// a list every 40 paragraphs and 50 small tables spread through the text.
QString generatedDocument()
{
    QString html;
    html.reserve(1100 * 1024);
    const int paragraphs = 4800;
    for (int i = 0; i < paragraphs; ++i) {
        html += QStringLiteral("<p>Paragraph %1 with <b>bold words</b>, <i>italic text</i> and "
                               "<font color=\"#3333FF\">coloured</font>&nbsp;&nbsp;runs of "
                               "ordinary text\r\nthat wrap across several lines of the view.\r\n")
                    .arg(i);
        if (i % 40 == 39) {
            html += QStringLiteral("<ul><li>item one<li>item <b>two</b>&nbsp;here<li>item "
                                   "three</ul>\r\n");
        }
        if (i % (paragraphs / 50) == 0) {
            html += QStringLiteral("<table border=1 cellpadding=2><tr><td>cell a</td><td>cell "
                                   "b</td></tr><tr><td><i>cell c</i></td><td><font "
                                   "color=red>cell d</font></td></tr></table>\r\n");
        }
    }
    return html;
}

const QString& mainGuide()
{
    static const QString text = kMainGuideHtml.toString();
    return text;
}

const QString& bigDocument()
{
    static const QString text = generatedDocument();
    return text;
}

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; // small blocks plus the blocks given their own mapping
}

// Heap the finished document holds, from one build outside the timed loop. Our model keeps
// small objects in pool chunks that outlive a document; the chunks are taken out of the heap
// figure and the pool blocks the document holds are counted instead, so a pool warmed by an
// earlier build hides nothing.
template <typename Build> double documentBytes(Build build)
{
    const size_t before = heapInUse();
    const ModelPoolUsage poolBefore = modelPoolUsage();
    auto doc = build();
    const ModelPoolUsage poolAfter = modelPoolUsage();
    const double heap = double(heapInUse()) - double(before);
    const double chunks = double(poolAfter.chunkBytes) - double(poolBefore.chunkBytes);
    const double blocks = double(poolAfter.liveBytes) - double(poolBefore.liveBytes);
    return heap - chunks + blocks;
}

std::unique_ptr<TSectionList> buildOurs(const QString& html)
{
    auto doc = std::make_unique<TSectionList>();
    ParseHtmlBuffer(*doc, html);
    return doc;
}

std::unique_ptr<QTextDocument> buildQt(const QString& html)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setHtml(html);
    return doc;
}

// The process's peak resident set (VmHWM) in bytes.
qint64 peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

const char* const kGrowthOption = "--document-growth";

// Child side: builds one document of the named case after a small warm-up of both engines
// and prints the peak growth.
int measureGrowth(const char* which)
{
    const bool big = std::strstr(which, "big") != nullptr;
    const bool qt = std::strstr(which, "qt") != nullptr;
    const QString& html = big ? bigDocument() : mainGuide();
    const QString warm = QStringLiteral("<p>x <b>y</b> <font color=red>z</font></p>");
    buildOurs(warm);
    buildQt(warm);
    const qint64 before = peakResidentBytes();
    if (qt) {
        auto doc = buildQt(html);
        std::printf("%lld\n", static_cast<long long>(peakResidentBytes() - before));
    } else {
        auto doc = buildOurs(html);
        std::printf("%lld\n", static_cast<long long>(peakResidentBytes() - before));
    }
    return 0;
}

// Parent side: runs the case in a fresh copy of this program; -1 when that fails.
double growthBytes(const char* which)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kGrowthOption), QString::fromLatin1(which)});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return -1;
    bool ok = false;
    const double bytes = child.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? bytes : -1;
}

// One case: the document's memory figures, then the timed builds (each document is destroyed
// before the next is built).
template <typename Build>
void parseCase(benchmark::State& state, const QString& html, const char* growthCase, Build build)
{
    state.counters["doc_bytes"] = documentBytes(build);
    state.counters["growth_bytes"] = growthBytes(growthCase);
    for (auto _ : state) {
        auto doc = build();
        benchmark::DoNotOptimize(doc.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * html.size() * 2);
}

void parseOurs(benchmark::State& state, const QString& html, const char* growthCase)
{
    parseCase(state, html, growthCase, [&html] { return buildOurs(html); });
}

void parseQt(benchmark::State& state, const QString& html, const char* growthCase)
{
    parseCase(state, html, growthCase, [&html] { return buildQt(html); });
}

void BM_MainGuide_Ours(benchmark::State& state)
{
    parseOurs(state, mainGuide(), "guide-ours");
}
void BM_MainGuide_QTextDocument(benchmark::State& state)
{
    parseQt(state, mainGuide(), "guide-qt");
}
void BM_Generated1MB_Ours(benchmark::State& state)
{
    parseOurs(state, bigDocument(), "big-ours");
}
void BM_Generated1MB_QTextDocument(benchmark::State& state)
{
    parseQt(state, bigDocument(), "big-qt");
}

BENCHMARK(BM_MainGuide_Ours)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MainGuide_QTextDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Generated1MB_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Generated1MB_QTextDocument)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    bench::preferOffscreenPlatform();
    QGuiApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], kGrowthOption) == 0)
        return measureGrowth(argv[2]);
    std::printf("generated document: %lld bytes of UTF-16 text (%lld characters)\n",
                static_cast<long long>(bigDocument().size() * 2),
                static_cast<long long>(bigDocument().size()));
    return bench::runBenchmarks(argc, argv);
}
