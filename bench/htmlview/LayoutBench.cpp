// Parse + layout with our engine and with QTextDocument, in the same run, on the same input.
// Run with real fonts (fonts-liberation2); the offscreen platform is used when none is set.

#include "bench/common/BenchMain.h"
#include "htmlview/DocumentLayout.h"
#include "htmlview/GuideTexts.h"
#include "htmlview/HtmlParser.h"
#include "htmlview/QtHtmlMeasurer.h"
#include "htmlview/TSectionList.h"

#include <QApplication>
#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace vantoro {
namespace {

// About 1 MB of ordinary HTML: paragraphs of words with bold, italic, coloured and linked
// runs, line breaks, headings, lists and a small table now and then. Deterministic.
const QString& megabyteDocument()
{
    static const QString html = [] {
        static const char* const kWords[] = {
            "media",  "player",   "playlist", "the",       "a",     "clip",   "window",
            "select", "files",    "image",    "slideshow", "order", "random", "manager",
            "copy",   "move",     "delete",   "folder",    "and",   "of",     "to",
            "with",   "existing", "button",   "appear",    "marked"};
        quint32 seed = 12345;
        auto next = [&seed](quint32 n) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) % n;
        };
        QString out;
        out.reserve(1100 * 1024);
        int paragraph = 0;
        while (out.size() < 1024 * 1024) {
            ++paragraph;
            if (paragraph % 17 == 0)
                out += QStringLiteral("<h2>Section heading %1</h2>\n").arg(paragraph);
            if (paragraph % 23 == 0) {
                out += QStringLiteral("<ul>");
                for (int i = 0; i < 4; ++i)
                    out += QStringLiteral("<li>list item %1 with a few words</li>").arg(i);
                out += QStringLiteral("</ul>\n");
            }
            if (paragraph % 41 == 0) {
                out += QStringLiteral("<table border=1><tr><td>name</td><td>size</td></tr>"
                                      "<tr><td>clip one</td><td>1234</td></tr></table>\n");
            }
            out += QStringLiteral("<p>");
            const int words = 40 + int(next(80));
            for (int w = 0; w < words; ++w) {
                const QString word = QString::fromLatin1(kWords[next(std::size(kWords))]);
                switch (next(20)) {
                case 0:
                    out += QStringLiteral("<b>") + word + QStringLiteral("</b> ");
                    break;
                case 1:
                    out += QStringLiteral("<i>") + word + QStringLiteral("</i> ");
                    break;
                case 2:
                    out += QStringLiteral("<font color=\"#3333FF\">") + word +
                           QStringLiteral("</font> ");
                    break;
                case 3:
                    out +=
                        QStringLiteral("<a href=\"page.html\">") + word + QStringLiteral("</a> ");
                    break;
                case 4:
                    out += word + QStringLiteral("<br>\n");
                    break;
                default:
                    out += word + u' ';
                    break;
                }
            }
            out += QStringLiteral("</p>\n");
        }
        return out;
    }();
    return html;
}

void oursParseAndLayout(benchmark::State& state, QStringView html, int width, bool freshFonts)
{
    QtHtmlMeasurer shared;
    for (auto _ : state) {
        QtHtmlMeasurer fresh;
        QtHtmlMeasurer& measurer = freshFonts ? fresh : shared;
        TSectionList doc;
        ParseHtmlBuffer(doc, html);
        DocumentLayout layout(measurer);
        int widest = 0;
        benchmark::DoNotOptimize(layout.layout(doc, 0, width, &widest));
    }
}

void qtParseAndLayout(benchmark::State& state, const QString& html, int width)
{
    for (auto _ : state) {
        QTextDocument doc;
        doc.setHtml(html);
        doc.setTextWidth(width);
        benchmark::DoNotOptimize(doc.size());
    }
}

// The main window's guide panel: 560 pixels less 1 + 1 of border and 10 + 10 of margin.
constexpr int kGuideWidth = 560 - 3 - 20;

void BM_Ours_1MB_800px(benchmark::State& state)
{
    oursParseAndLayout(state, megabyteDocument(), 800, true);
    state.SetBytesProcessed(state.iterations() * megabyteDocument().size() * 2);
}
void BM_QTextDocument_1MB_800px(benchmark::State& state)
{
    qtParseAndLayout(state, megabyteDocument(), 800);
    state.SetBytesProcessed(state.iterations() * megabyteDocument().size() * 2);
}
void BM_Ours_Guide(benchmark::State& state)
{
    oursParseAndLayout(state, kMainGuideHtml, kGuideWidth, false);
}
void BM_QTextDocument_Guide(benchmark::State& state)
{
    qtParseAndLayout(state, kMainGuideHtml.toString(), kGuideWidth);
}

BENCHMARK(BM_Ours_1MB_800px)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTextDocument_1MB_800px)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ours_Guide)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QTextDocument_Guide)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vantoro

int main(int argc, char** argv)
{
    vantoro::bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    return vantoro::bench::runBenchmarks(argc, argv);
}
