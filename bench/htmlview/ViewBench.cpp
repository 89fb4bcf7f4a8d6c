// Painting in the text view with real fonts, each figure against its baseline in the same run:
// - one screen of a 4,000 x 50 table scrolled to its end, against one screen of plain text of
//   the same length scrolled to its end (target: within 2x);
// - a one-line keyboard scroll in a 1 MB document, against a full repaint of the view
//   (target: under a tenth).
// For reference only: Page Down through the same document, where each full repaint draws text
// the view has not drawn before (the repeated repaint above redraws runs shaped earlier); and
// the floor under any one-line scroll: the toolkit moving the pixels of an opaque widget of
// the text panel's size that paints nothing at all.

#include "bench/common/BenchMain.h"
#include "htmlview/THtmlTextView.h"
#include "htmlview/TPaintPanel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

namespace vantoro {
namespace {

constexpr QSize kViewSize(800, 600);

QString bigTable()
{
    QString html = QStringLiteral("<table border>");
    for (int r = 0; r < 4000; ++r) {
        html += QStringLiteral("<tr>");
        for (int c = 0; c < 50; ++c)
            html += QStringLiteral("<td>%1").arg(c);
    }
    return html + QStringLiteral("</table>");
}

// Plain text with the table's characters: the same cell texts as words.
QString plainOfTheSameLength()
{
    QString html;
    for (int r = 0; r < 4000; ++r) {
        for (int c = 0; c < 50; ++c)
            html += QStringLiteral("%1 ").arg(c);
    }
    return html;
}

QString megabyte()
{
    QString html;
    int i = 0;
    while (html.size() < 1024 * 1024)
        html += QStringLiteral("word%1 <b>bold</b> text<br>\n").arg(i++);
    return html;
}

// A shown view holding `html`, scrolled to its end.
struct View
{
    explicit View(const QString& html, bool toEnd)
    {
        view.resize(kViewSize);
        view.show();
        view.ShowHtml(html);
        if (toEnd)
            view.ScrollToY(view.scrollRange());
        QApplication::processEvents();
    }
    THtmlTextView view;
};

void paintScreen(benchmark::State& state, const QString& html)
{
    View v(html, true);
    for (auto _ : state)
        v.view.paintPanel()->repaint();
}

void BM_TableScreenAtTheEnd(benchmark::State& state)
{
    static const QString html = bigTable();
    paintScreen(state, html);
}

void BM_PlainTextScreenAtTheEnd(benchmark::State& state)
{
    static const QString html = plainOfTheSameLength();
    paintScreen(state, html);
}

void BM_FullRepaint1MB(benchmark::State& state)
{
    static const QString html = megabyte();
    View v(html, false);
    v.view.ScrollToY(v.view.scrollRange() / 2);
    for (auto _ : state) {
        v.view.paintPanel()->update();
        QApplication::processEvents();
    }
}

void BM_OneLineKeyScroll1MB(benchmark::State& state)
{
    static const QString html = megabyte();
    View v(html, false);
    v.view.ScrollToY(v.view.scrollRange() / 2);
    QApplication::processEvents();
    bool down = true;
    for (auto _ : state) {
        QKeyEvent key(QEvent::KeyPress, down ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
        QApplication::sendEvent(&v.view, &key);
        QApplication::processEvents();
        down = !down;
    }
}

void BM_PageDownThrough1MB(benchmark::State& state)
{
    static const QString html = megabyte();
    View v(html, false);
    QApplication::processEvents();
    for (auto _ : state) {
        if (v.view.position() + v.view.paintPanel()->height() >= v.view.scrollRange())
            v.view.ScrollToY(0);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(&v.view, &key);
        QApplication::processEvents();
    }
}

// An opaque widget of the text panel's size that draws nothing.
class BlankPanel final : public QWidget
{
public:
    explicit BlankPanel(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {}
};

void BM_PixelMoveOnly(benchmark::State& state)
{
    View v(QStringLiteral("x"), false);
    BlankPanel blank(&v.view);
    blank.setGeometry(v.view.paintPanel()->geometry());
    blank.show();
    QApplication::processEvents();
    const int line = QFontMetrics(v.view.font()).height();
    bool down = true;
    for (auto _ : state) {
        blank.scroll(0, down ? -line : line);
        QApplication::processEvents();
        down = !down;
    }
}

BENCHMARK(BM_TableScreenAtTheEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainTextScreenAtTheEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaint1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OneLineKeyScroll1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageDownThrough1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixelMoveOnly)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vantoro

int main(int argc, char** argv)
{
    vantoro::bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    return vantoro::bench::runBenchmarks(argc, argv);
}
