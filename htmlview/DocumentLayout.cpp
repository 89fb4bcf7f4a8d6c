#include "htmlview/DocumentLayout.h"

#include "htmlview/HtmlPainter.h"
#include "htmlview/IndentManagerBasic.h"
#include "htmlview/THorzLine.h"
#include "htmlview/TImageObj.h"
#include "htmlview/TSection.h"
#include "htmlview/TSectionList.h"
#include "htmlview/TableLayout.h"
#include "htmlview/ThtmlTable.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

namespace vantoro {

namespace {

bool isTextKind(SectionKind k)
{
    switch (k) {
    case SectionKind::Text:
    case SectionKind::Preformatted:
    case SectionKind::UnorderedItem:
    case SectionKind::OrderedItem:
    case SectionKind::DefinitionItem:
        return true;
    default:
        return false;
    }
}

bool isImageChar(QChar c)
{
    return c.unicode() == kImageChar || c.unicode() == kNoBreakImageChar;
}

bool isControlChar(QChar c)
{
    return c.unicode() == kFormControlChar || c.unicode() == kNoBreakFormControlChar;
}

// Collects the font runs of every text section inside `table`, nested tables included
// (nesting is bounded by the parser).
void collectRuns(const ThtmlTable& table, std::unordered_set<const TFontObj*>& out)
{
    auto visitCell = [&out](const TCell& cell) {
        for (const auto& s : cell.sections) {
            if (s->kind() == SectionKind::Table) {
                collectRuns(static_cast<const ThtmlTable&>(*s), out);
            } else if (isTextKind(s->kind())) {
                for (const auto& run : static_cast<const TSection&>(*s).fonts)
                    out.insert(run.get());
            }
        }
    };
    for (const auto& row : table.rows) {
        for (const auto& cell : row->cells) {
            if (cell)
                visitCell(*cell->cell);
        }
    }
    if (table.caption)
        visitCell(*table.caption->cell);
}

// A table that is dropped takes its link runs with it: the document must not keep pointers to
// them.
void forgetLinks(const ThtmlTable& table, TSectionList* doc)
{
    if (!doc)
        return;
    std::unordered_set<const TFontObj*> runs;
    collectRuns(table, runs);
    auto& links = doc->links;
    links.erase(std::remove_if(links.begin(), links.end(),
                               [&runs](const TFontObj* r) { return runs.count(r) > 0; }),
                links.end());
    if (runs.count(doc->activeLink))
        doc->activeLink = nullptr;
}

} // namespace

DocumentLayout::DocumentLayout(HtmlMeasurer& measurer, ErrorHandler onError)
    : m_measurer(measurer), m_onError(std::move(onError)), m_sections(measurer, m_store),
      m_tables(std::make_unique<TableLayout>(*this))
{}

DocumentLayout::~DocumentLayout() = default;

int DocumentLayout::layout(TSectionList& doc, int topY, int width, int* maxWidth)
{
    m_store.clear();
    int cursor = 0;
    int widest = 0;
    const int height = layoutCell(doc, topY, std::max(0, width), cursor, widest);
    if (maxWidth)
        *maxWidth = widest;
    return height;
}

int DocumentLayout::layoutCell(TCell& cell, int y, int width, int& cursor, int& maxWidth)
{
    IndentManagerBasic im;
    im.reset(0, width);
    cell.yValue = y;
    cell.startCurs = cursor;
    int total = 0;
    for (size_t i = 0; i < cell.sections.size();) {
        TSectionBase& s = *cell.sections[i];
        const int sy = y + total;
        int h = 0;
        if (isTextKind(s.kind())) {
            h = m_sections.layoutText(static_cast<TSection&>(s), sy, im, maxWidth, cursor);
        } else if (s.kind() == SectionKind::HorzLine) {
            s.startCurs = cursor;
            h = m_sections.layoutRule(static_cast<THorzLine&>(s), sy, im, maxWidth);
        } else if (s.kind() == SectionKind::Table) {
            QString error;
            if (!m_tables->layout(static_cast<ThtmlTable&>(s), sy, im, maxWidth, cursor, h,
                                  error)) {
                // The table cannot be shown: say so and lay out the rest without it.
                if (m_onError)
                    m_onError(error);
                forgetLinks(static_cast<const ThtmlTable&>(s), cell.document);
                cell.sections.erase(cell.sections.begin() + qsizetype(i));
                continue;
            }
        } else {
            s.yValue = sy;
            s.startCurs = cursor;
            s.drawHeight = s.sectionHeight;
            h = s.sectionHeight;
            maxWidth = std::max(maxWidth, width);
        }
        total += h;
        ++i;
    }
    cell.len = cursor - cell.startCurs;
    return std::max(total, im.imageBottom() - y);
}

void DocumentLayout::measureCell(TCell& cell, int& minWidth, int& maxWidth)
{
    if (const auto it = m_store.cellWidths.find(&cell); it != m_store.cellWidths.end()) {
        minWidth = it->second.first;
        maxWidth = it->second.second;
        return;
    }
    minWidth = maxWidth = 0;
    for (auto& section : cell.sections) {
        int mn = 0;
        int mx = 0;
        if (isTextKind(section->kind()))
            m_sections.measureText(static_cast<TSection&>(*section), mn, mx);
        else if (section->kind() == SectionKind::Table)
            m_tables->measure(static_cast<ThtmlTable&>(*section), mn, mx);
        minWidth = std::max(minWidth, mn);
        maxWidth = std::max(maxWidth, mx);
    }
    m_store.cellWidths[&cell] = {minWidth, maxWidth};
}

int DocumentLayout::paint(TSectionList& doc, HtmlCanvas& canvas, const QRect& clip, int x, int y,
                          int clipWidth)
{
    PaintContext pc;
    pc.canvas = &canvas;
    pc.document = &doc;
    pc.clip = clip;
    pc.scrollOffset = doc.scrollOffset;
    pc.clipWidth = clipWidth;
    return paintCell(doc, pc, x, y, clipWidth);
}

const LayoutStore::SectionIndex* DocumentLayout::sectionIndex(const TCell& cell)
{
    // A cell of a few sections is walked: an index would cost more than it saves.
    constexpr size_t kIndexedFrom = 16;
    const size_t n = cell.sections.size();
    if (n < kIndexedFrom)
        return nullptr;
    auto& index = m_store.sectionIndexes[&cell];
    if (index.tops.size() == n + 1)
        return &index;
    index.tops.assign(n + 1, 0);
    index.reach.assign(n, 0);
    int top = 0;
    int reach = std::numeric_limits<int>::min();
    for (size_t i = 0; i < n; ++i) {
        const TSectionBase& s = *cell.sections[i];
        // What each painter takes as its extent when it decides to skip a section; sections
        // that never draw reach no further than their top.
        int bottom = top;
        if (isTextKind(s.kind()))
            bottom = top + s.drawHeight;
        else if (s.kind() == SectionKind::HorzLine)
            bottom = top + s.sectionHeight;
        else if (s.kind() == SectionKind::Table)
            bottom = top + m_tables->paintReach(static_cast<const ThtmlTable&>(s));
        reach = std::max(reach, bottom);
        index.reach[i] = reach;
        if (s.sectionHeight < 0) {
            // Tops must not go back up for the search; such a cell is walked.
            m_store.sectionIndexes.erase(&cell);
            return nullptr;
        }
        top += s.sectionHeight;
        index.tops[i + 1] = top;
    }
    return &index;
}

int DocumentLayout::paintCell(TCell& cell, const PaintContext& pc, int x, int y, int /*width*/)
{
    HtmlPainter painter(m_measurer, m_store);
    size_t first = 0;
    const int cellTop = y;
    const LayoutStore::SectionIndex* index = sectionIndex(cell);
    if (index) {
        // Every section before the first whose reach passes the clip's top would skip itself.
        const int above = pc.clip.top() + pc.scrollOffset - cellTop;
        first = size_t(std::upper_bound(index->reach.begin(), index->reach.end(), above) -
                       index->reach.begin());
        y = cellTop + index->tops[first];
    }
    for (size_t i = first; i < cell.sections.size(); ++i) {
        TSectionBase& s = *cell.sections[i];
        // Sections below the clip cannot draw anything: they only move y on.
        if (y - pc.scrollOffset > pc.clip.bottom()) {
            if (index)
                return cellTop + index->tops.back();
            y += s.sectionHeight;
            continue;
        }
        if (isTextKind(s.kind()))
            y = painter.paintText(static_cast<TSection&>(s), pc, x, y);
        else if (s.kind() == SectionKind::HorzLine)
            y = painter.paintRule(static_cast<const THorzLine&>(s), pc, x, y);
        else if (s.kind() == SectionKind::Table)
            y = m_tables->paint(static_cast<ThtmlTable&>(s), pc, x, y);
        else
            y += s.sectionHeight;
    }
    return y;
}

namespace {

// The section of `cell` whose band holds y (tables and text sections only), or null.
const TSectionBase* sectionAt(const TCell& cell, int y)
{
    for (const auto& s : cell.sections) {
        const int bottom = s->yValue + std::max(s->drawHeight, s->sectionHeight);
        if (y >= s->yValue && y < bottom &&
            (isTextKind(s->kind()) || s->kind() == SectionKind::Table))
            return s.get();
    }
    return nullptr;
}

// The line of a text section whose band holds y, and the top of that band.
const LineRec* lineAt(const TSection& s, int y, int& bandTop)
{
    int top = s.yValue;
    for (const LineRec& line : s.lines) {
        const int band = line.spaceBefore + line.textHeight + line.spaceAfter;
        if (y >= top && y < top + band) {
            bandTop = top;
            return &line;
        }
        top += band;
    }
    return nullptr;
}

} // namespace

CursorPosition DocumentLayout::cursorAt(const TSectionList& doc, int x, int y)
{
    return cursorInCell(doc, x, y);
}

CursorPosition DocumentLayout::cursorInCell(const TCell& cell, int x, int y)
{
    CursorPosition result;
    const TSectionBase* found = sectionAt(cell, y);
    if (!found)
        return result;
    if (found->kind() == SectionKind::Table)
        return m_tables->cursorAt(static_cast<const ThtmlTable&>(*found), x, y);
    auto& s = const_cast<TSection&>(static_cast<const TSection&>(*found));
    int bandTop = 0;
    const LineRec* line = lineAt(s, y, bandTop);
    if (!line)
        return result;
    result.caretHeight = line->textHeight;
    result.caretY = bandTop + line->spaceBefore;
    result.caretX = line->leftIndent;
    result.index = s.startCurs + line->start;
    if (x < line->leftIndent || line->count == 0)
        return result;
    m_sections.prepare(s, -1);
    const int count = m_sections.charsThatFit(s, line->start, line->count, x - line->leftIndent);
    int width = m_sections.rangeWidth(s, line->start, line->start + count);
    int index = line->start + count;
    if (count < line->count) {
        const int next = m_sections.rangeWidth(s, index, index + 1);
        if (width + next / 2 < x - line->leftIndent) {
            ++index;
            width += next;
        }
    }
    result.caretX = line->leftIndent + width;
    result.index = s.startCurs + index;
    result.inText = index < line->start + line->count;
    if (count < line->count)
        result.charIndex = s.startCurs + line->start + count;
    return result;
}

const TUrlTarget* DocumentLayout::linkAt(TSectionList& doc, int x, int y)
{
    TFontObj* previous = doc.activeLink;
    doc.activeLink = nullptr;
    doc.activeImage = nullptr;
    const TUrlTarget* target = linkInCell(doc, x, y);
    if (doc.hoverColoring && previous != doc.activeLink) {
        if (previous)
            previous->hover = false;
        if (doc.activeLink)
            doc.activeLink->hover = true;
    }
    return target;
}

int DocumentLayout::charUnder(TSection& s, int x, int y)
{
    int bandTop = 0;
    const LineRec* line = lineAt(s, y, bandTop);
    if (!line || x < line->leftIndent || line->count == 0)
        return -1;
    m_sections.prepare(s, -1);
    const int index =
        line->start + m_sections.charsThatFit(s, line->start, line->count, x - line->leftIndent);
    return index < line->start + line->count ? index : -1;
}

namespace {

// The floating image of `s` whose place holds the point (relative to the section's cell).
const TImageObj* floatingImageAt(const TSection& s, const LayoutStore& store, int x, int y)
{
    for (const auto& img : s.images) {
        if (img->floating == TImageObj::Float::None)
            continue;
        const auto place = store.images.find(img.get());
        if (place != store.images.end() && place->second.translated(0, s.yValue).contains(x, y))
            return img.get();
    }
    return nullptr;
}

// The inline image standing at index `i` of `s`, or null.
const TImageObj* inlineImageAt(const TSection& s, int i)
{
    if (i < 0 || !isImageChar(s.text[i].unicode()))
        return nullptr;
    const auto it = std::lower_bound(s.images.begin(), s.images.end(), i,
                                     [](const auto& img, int p) { return img->pos < p; });
    if (it == s.images.end() || (*it)->pos != i || (*it)->floating != TImageObj::Float::None)
        return nullptr;
    return it->get();
}

// The link run an image at index `pos` of `s` stands in, or null.
TFontObj* linkRunAt(TSection& s, int pos)
{
    TFontObj* run = s.fonts[size_t(s.fontRunAt(pos))].get();
    return run->isLink() ? run : nullptr;
}

} // namespace

const TUrlTarget* DocumentLayout::linkInCell(TCell& cell, int x, int y)
{
    const TSectionBase* found = sectionAt(cell, y);
    if (!found)
        return nullptr;
    if (found->kind() == SectionKind::Table)
        return m_tables->linkAt(const_cast<ThtmlTable&>(static_cast<const ThtmlTable&>(*found)), x,
                                y);
    auto& s = const_cast<TSection&>(static_cast<const TSection&>(*found));
    // An image answers first: a link around it makes the whole image a link.
    TFontObj* run = nullptr;
    if (const TImageObj* img = floatingImageAt(s, m_store, x, y)) {
        run = linkRunAt(s, img->pos);
    } else {
        const int index = charUnder(s, x, y);
        if (index < 0 || isControlChar(s.text[index].unicode()))
            return nullptr;
        if (isImageChar(s.text[index].unicode()) && !inlineImageAt(s, index))
            return nullptr; // the placeholder of a floating image takes no room in the line
        run = linkRunAt(s, index);
    }
    if (!run)
        return nullptr;
    if (s.document)
        s.document->activeLink = run;
    return run->link;
}

const TImageObj* DocumentLayout::imageAt(TSectionList& doc, int x, int y)
{
    doc.activeImage = const_cast<TImageObj*>(imageInCell(doc, x, y));
    return doc.activeImage;
}

const TImageObj* DocumentLayout::imageInCell(TCell& cell, int x, int y)
{
    const TSectionBase* found = sectionAt(cell, y);
    if (!found)
        return nullptr;
    if (found->kind() == SectionKind::Table)
        return m_tables->imageAt(const_cast<ThtmlTable&>(static_cast<const ThtmlTable&>(*found)), x,
                                 y);
    auto& s = const_cast<TSection&>(static_cast<const TSection&>(*found));
    if (const TImageObj* img = floatingImageAt(s, m_store, x, y))
        return img;
    return inlineImageAt(s, charUnder(s, x, y));
}

const TSection* DocumentLayout::sectionHolding(const TCell& cell, int index) const
{
    for (const auto& section : cell.sections) {
        const TSectionBase& base = *section;
        if (base.kind() == SectionKind::Table) {
            if (const TSection* s =
                    m_tables->sectionHolding(static_cast<const ThtmlTable&>(base), index))
                return s;
            continue;
        }
        if (!isTextKind(base.kind()))
            continue;
        const auto& s = static_cast<const TSection&>(base);
        if (index >= s.startCurs && index < s.startCurs + s.len())
            return &s;
    }
    return nullptr;
}

QString DocumentLayout::copySelection(TSectionList& doc, int start, int end)
{
    QString out;
    copyFromCell(doc, start, end, out);
    doc.copyBuffer = out;
    return out;
}

void DocumentLayout::copyFromCell(const TCell& cell, int start, int end, QString& out)
{
    if (start >= end)
        return;
    for (const auto& section : cell.sections) {
        const TSectionBase& base = *section;
        if (base.kind() == SectionKind::Table) {
            m_tables->copy(static_cast<const ThtmlTable&>(base), start, end, out);
            continue;
        }
        if (base.startCurs >= end)
            break;
        if (base.kind() == SectionKind::ParagraphSpace) {
            if (base.startCurs > start)
                out += QStringLiteral("\r\n");
            continue;
        }
        if (!isTextKind(base.kind()))
            continue;
        const auto& s = static_cast<const TSection&>(base);
        if (s.startCurs + s.len() <= start)
            continue;
        const LineRec* lastLine = nullptr;
        for (const LineRec& line : s.lines) {
            if (line.count > 0)
                lastLine = &line;
        }
        for (const LineRec& line : s.lines) {
            const int lineStart = s.startCurs + line.start;
            const int lineEnd = lineStart + line.count;
            if (line.count == 0 || lineEnd <= start || lineStart >= end)
                continue;
            if (start <= lineStart)
                out += QString(3 * (line.leftIndent / IndentManagerBasic::kListIndent), u' ');
            const int a = std::max(start, lineStart) - s.startCurs;
            const int b = std::min(end, lineEnd) - s.startCurs;
            for (int i = a; i < b; ++i) {
                const char16_t c = s.text[i].unicode();
                if (c == kNbsp)
                    out += u' ';
                else if (c >= 32)
                    out += QChar(c);
            }
            // Only the section's last line ends at a break in the text (a <br>, a paragraph, a
            // block); where the panel wrapped a line, the copy goes on after the line's own
            // space, so that a wrapped sentence reads as one line wherever it is pasted.
            if (end >= lineEnd && &line == lastLine)
                out += QStringLiteral("\r\n");
        }
    }
}

} // namespace vantoro
