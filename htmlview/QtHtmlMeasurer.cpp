#include "htmlview/QtHtmlMeasurer.h"

#include <QHash>
#include <QTextLayout>

#include <algorithm>
#include <unordered_map>

namespace vantoro {

namespace {

// Characters below this code have their advances in a flat table; the rest in a hash.
constexpr int kTableSize = 0x3000;
// Characters of shaped runs kept per font (about 20 bytes of glyphs each); past this the font
// starts again with none. A screen of text holds a few thousand.
constexpr qsizetype kMaxShapedChars = 64 * 1024;

// Finds runs by the text being drawn without copying it into a key first.
struct TextHash
{
    using is_transparent = void;
    size_t operator()(QStringView text) const { return qHash(text); }
};
struct TextEqual
{
    using is_transparent = void;
    bool operator()(QStringView a, QStringView b) const { return a == b; }
};

} // namespace

struct QtHtmlMeasurer::Entry
{
    explicit Entry(const TMyFont& f) : key(f), font(makeQFont(f)), fm(font), fmf(font)
    {
        table.assign(kTableSize, -1);
        m.ascent = fm.ascent();
        m.descent = fm.descent();
        m.tmHeight = m.ascent + m.descent;
        m.height = m.tmHeight + std::max(0, fm.leading());
        m.overhang = 0;
    }

    int advance(char16_t c)
    {
        if (c < kTableSize) {
            int& slot = table[c];
            if (slot < 0)
                slot = measure(c);
            return slot;
        }
        auto it = others.constFind(c);
        if (it != others.constEnd())
            return *it;
        const int w = measure(c);
        others.insert(c, w);
        return w;
    }

    int measure(char16_t c) const
    {
        // A non-breaking space is drawn as a space (painting replaces it).
        if (c == kNbsp)
            c = u' ';
        return std::max(0, qRound(fmf.horizontalAdvance(QChar(c)) * kUnitsPerPixel));
    }

    TMyFont key;
    QFont font;
    QFontMetrics fm;
    QFontMetricsF fmf;
    HtmlFontMetrics m;
    std::vector<int> table;
    QHash<char16_t, int> others;
    // The font as a painter resolved it for drawing, and the runs shaped with it.
    QFont drawn;
    int drawnDpi = 0;
    std::unordered_map<QString, QList<QGlyphRun>, TextHash, TextEqual> shaped;
    qsizetype shapedChars = 0;
};

QtHtmlMeasurer::QtHtmlMeasurer() = default;
QtHtmlMeasurer::~QtHtmlMeasurer() = default;

QFont QtHtmlMeasurer::makeQFont(const TMyFont& f)
{
    QFont font(f.name);
    // Points at 96 dots per inch, as the platform the sizes were chosen for measures them.
    font.setPixelSize(std::max(1, mulDiv(std::max(1, f.size), 96, 72)));
    font.setBold(f.style.testFlag(FontStyle::Bold));
    font.setItalic(f.style.testFlag(FontStyle::Italic));
    font.setUnderline(f.style.testFlag(FontStyle::Underline));
    font.setStrikeOut(f.style.testFlag(FontStyle::StrikeOut));
    font.setKerning(false);
    if (f.fixedPitch)
        font.setFixedPitch(true);
    return font;
}

QtHtmlMeasurer::Entry& QtHtmlMeasurer::entry(const TMyFont& font)
{
    auto same = [&font](const Entry& e) {
        return e.key.size == font.size && e.key.style == font.style &&
               e.key.fixedPitch == font.fixedPitch && e.key.name == font.name;
    };
    if (m_last && same(*m_last))
        return *m_last;
    for (auto& e : m_entries) {
        if (same(*e)) {
            m_last = e.get();
            return *e;
        }
    }
    m_entries.push_back(std::make_unique<Entry>(font));
    m_last = m_entries.back().get();
    return *m_last;
}

HtmlFontMetrics QtHtmlMeasurer::metrics(const TMyFont& font)
{
    return entry(font).m;
}

const QFont& QtHtmlMeasurer::qfont(const TMyFont& font)
{
    return entry(font).font;
}

bool QtHtmlMeasurer::hasSimpleGlyphs(QStringView text)
{
    for (const QChar c : text) {
        // Below the first right-to-left script, and no tabs or other controls.
        if (c.unicode() < 0x20 || c.unicode() >= 0x0590)
            return false;
    }
    return true;
}

void QtHtmlMeasurer::setDrawnFont(const TMyFont& font, const QFont& drawn, int dpi)
{
    Entry& e = entry(font);
    if (e.drawnDpi == dpi && e.drawn == drawn && e.drawn.resolveMask() == drawn.resolveMask())
        return;
    e.drawn = drawn;
    e.drawnDpi = dpi;
    e.shaped.clear();
    e.shapedChars = 0;
}

const QList<QGlyphRun>& QtHtmlMeasurer::glyphRuns(const TMyFont& font, QStringView text)
{
    Entry& e = entry(font);
    if (const auto it = e.shaped.find(text); it != e.shaped.end())
        return it->second;
    if (e.shapedChars + text.size() > kMaxShapedChars) {
        e.shaped.clear();
        e.shapedChars = 0;
    }
    e.shapedChars += text.size();
    const QString key = text.toString();
    // One unwrapped line laid out as drawing a string lays it out: the same font, shaping and
    // direction. Its glyphs are moved from the line's top to its baseline.
    QTextLayout layout(key, e.drawn);
    QTextOption option;
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
    QList<QGlyphRun> runs = line.isValid() ? line.glyphRuns() : QList<QGlyphRun>();
    const qreal ascent = line.isValid() ? line.ascent() : 0;
    for (QGlyphRun& run : runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF& p : positions)
            p.ry() -= ascent;
        run.setPositions(positions);
    }
    return e.shaped.emplace(key, std::move(runs)).first->second;
}

void QtHtmlMeasurer::advances(const TMyFont& font, QStringView text, int* out)
{
    Entry& e = entry(font);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            out[i] = std::max(
                0, qRound(e.fmf.horizontalAdvance(text.mid(i, 2).toString()) * kUnitsPerPixel));
            out[i + 1] = 0;
            ++i;
            continue;
        }
        out[i] = e.advance(c);
    }
}

} // namespace vantoro
