#include "htmlview/SectionLayout.h"

#include "htmlview/IndentManagerBasic.h"
#include "htmlview/LayoutStore.h"
#include "htmlview/THorzLine.h"
#include "htmlview/TSection.h"

#include <algorithm>

namespace vantoro {

namespace {

constexpr int kUnknownImageSide = 20; // an image whose size the markup does not give

bool isImageChar(char16_t c)
{
    return c == kImageChar || c == kNoBreakImageChar;
}

bool isControlChar(char16_t c)
{
    return c == kFormControlChar || c == kNoBreakFormControlChar;
}

bool isPlaceholder(char16_t c)
{
    return isImageChar(c) || isControlChar(c);
}

// Where a line may end: after a space or after an object outside NOBR. A non-breaking space
// never is one.
bool isBreakAfter(char16_t c)
{
    return c == u' ' || c == kImageChar || c == kFormControlChar;
}

int runEnd(const TSection& s, int run)
{
    return run + 1 < int(s.fonts.size()) ? std::min(s.len(), s.fonts[size_t(run) + 1]->pos)
                                         : s.len();
}

} // namespace

SectionLayout::SectionLayout(HtmlMeasurer& measurer, LayoutStore& store)
    : m_measurer(measurer), m_store(store)
{}

QSize SectionLayout::controlSize(const TFormControlObj& c)
{
    switch (c.kind) {
    case TFormControlObj::Kind::Select:
        return {120, 22};
    case TFormControlObj::Kind::TextArea:
        return {std::clamp(c.cols, 1, 200) * 8 + 8, std::clamp(c.rows, 1, 100) * 16 + 6};
    case TFormControlObj::Kind::Input:
        break;
    }
    if (c.type == u"CHECKBOX" || c.type == u"RADIO")
        return {13, 13};
    if (c.type == u"HIDDEN")
        return {0, 0};
    if (c.type == u"SUBMIT" || c.type == u"RESET" || c.type == u"BUTTON")
        return {75, 25};
    return {std::clamp(c.size > 0 ? c.size : 20, 1, 200) * 7 + 8, 22};
}

QSize SectionLayout::imageSize(const TImageObj& image) const
{
    const auto it = m_store.images.find(&image);
    if (it != m_store.images.end())
        return it->second.size();
    return {image.specWidth >= 0 && !image.widthPercent ? image.specWidth : kUnknownImageSide,
            image.specHeight >= 0 && !image.heightPercent ? image.specHeight : kUnknownImageSide};
}

const TImageObj* SectionLayout::imageAt(const TSection& s, int index) const
{
    auto it = std::lower_bound(s.images.begin(), s.images.end(), index,
                               [](const auto& img, int i) { return img->pos < i; });
    return it != s.images.end() && (*it)->pos == index ? it->get() : nullptr;
}

const TFormControlObj* SectionLayout::controlAt(const TSection& s, int index) const
{
    auto it = std::lower_bound(s.formControls.begin(), s.formControls.end(), index,
                               [](const auto& c, int i) { return c->pos < i; });
    return it != s.formControls.end() && (*it)->pos == index ? it->get() : nullptr;
}

void SectionLayout::prepare(TSection& s, int available)
{
    const int n = s.len();
    m_advance.assign(size_t(n), 0);
    m_overhang.assign(s.fonts.size(), 0);
    m_bounds.clear();
    for (size_t r = 0; r < s.fonts.size(); ++r) {
        TFontObj& run = *s.fonts[r];
        const HtmlFontMetrics m = m_measurer.metrics(run.font);
        run.fontHeight = m.height;
        run.tmHeight = m.tmHeight;
        run.descent = m.descent;
        run.overhang = m.overhang;
        m_overhang[r] = m.overhang;
        const int a = std::clamp(run.pos, 0, n);
        const int e = std::max(a, runEnd(s, int(r)));
        m_bounds.push_back(a);
        if (e > a)
            m_measurer.advances(run.font, QStringView(s.text).mid(a, e - a), m_advance.data() + a);
    }
    for (const auto& img : s.images) {
        if (available < 0)
            break; // hit testing: keep the sizes of the last layout
        QSize size(img->specWidth >= 0 ? img->specWidth : kUnknownImageSide,
                   img->specHeight >= 0 ? img->specHeight : kUnknownImageSide);
        if (img->widthPercent)
            size.setWidth(mulDiv(std::max(0, available), std::clamp(img->specWidth, 0, 100), 100));
        if (img->heightPercent)
            size.setHeight(kUnknownImageSide);
        size = size.expandedTo(QSize(0, 0)).boundedTo(QSize(32000, 32000));
        m_store.images[img.get()] = QRect(QPoint(0, 0), size);
    }
    const QChar* text = s.text.constData();
    for (int i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (isImageChar(c)) {
            const TImageObj* img = imageAt(s, i);
            m_advance[size_t(i)] = (img && img->floating == TImageObj::Float::None
                                        ? imageSize(*img).width() + 2 * std::abs(img->hSpace)
                                        : 0) *
                                   HtmlMeasurer::kUnitsPerPixel;
        } else if (isControlChar(c)) {
            const TFormControlObj* ctl = controlAt(s, i);
            m_advance[size_t(i)] =
                (ctl ? controlSize(*ctl).width() : 0) * HtmlMeasurer::kUnitsPerPixel;
        } else {
            continue;
        }
        m_bounds.push_back(i);
        m_bounds.push_back(i + 1);
    }
    m_bounds.push_back(n);
    std::sort(m_bounds.begin(), m_bounds.end());
    m_bounds.erase(std::unique(m_bounds.begin(), m_bounds.end()), m_bounds.end());
    m_cumulative.resize(size_t(n) + 1);
    // Pixel positions are rounded from the exact sum, so they never drift from the drawing.
    qint64 units = 0;
    m_cumulative[0] = 0;
    for (int i = 0; i < n; ++i) {
        units = std::min<qint64>(units + m_advance[size_t(i)], qint64(INT_MAX / 2) * 64);
        m_cumulative[size_t(i) + 1] = HtmlMeasurer::toPixels(units);
    }
}

int SectionLayout::nextBoundary(int index) const
{
    return *std::upper_bound(m_bounds.begin(), m_bounds.end(), index);
}

int SectionLayout::charsThatFit(const TSection& s, int start, int count, int width) const
{
    const int end = start + count;
    int used = 0;
    int i = start;
    while (i < end) {
        const char16_t c = s.text[i].unicode();
        if (isPlaceholder(c)) {
            const int w = m_cumulative[size_t(i) + 1] - m_cumulative[size_t(i)];
            if (used + w > width)
                return i - start;
            used += w;
            ++i;
            continue;
        }
        const int segEnd = std::min(end, nextBoundary(i));
        const int oh = m_overhang[size_t(s.fontRunAt(i))];
        // Largest k with extent(i, i + k) - overhang <= width - used.
        const qint64 limit = qint64(m_cumulative[size_t(i)]) + width - used + oh;
        const auto first = m_cumulative.begin() + i + 1;
        const auto last = m_cumulative.begin() + segEnd + 1;
        const int fit = int(std::upper_bound(first, last, limit,
                                             [](qint64 v, int e) { return v < qint64(e); }) -
                            m_cumulative.begin()) -
                        1;
        if (fit < segEnd)
            return fit - start;
        used += m_cumulative[size_t(segEnd)] - m_cumulative[size_t(i)] - oh;
        i = segEnd;
    }
    return count;
}

int SectionLayout::rangeWidth(const TSection& s, int from, int to) const
{
    int w = 0;
    int i = from;
    while (i < to) {
        const int segEnd = std::min(to, nextBoundary(i));
        w += m_cumulative[size_t(segEnd)] - m_cumulative[size_t(i)];
        if (!isPlaceholder(s.text[i].unicode()))
            w -= m_overhang[size_t(s.fontRunAt(i))];
        i = segEnd;
    }
    return w;
}

int SectionLayout::clearDistance(const TSection& s, const IndentManagerBasic& im, int y) const
{
    const int left = std::max(0, im.leftImageBottom() - y);
    const int right = std::max(0, im.rightImageBottom() - y);
    switch (s.clearMode) {
    case 1:
        return left;
    case 2:
        return right;
    case 3:
        return std::max(left, right);
    default:
        return 0;
    }
}

void SectionLayout::placeFloat(const TSection& s, const TImageObj& img, int y,
                               IndentManagerBasic& im, int& floatHeight)
{
    const QSize size = imageSize(img);
    const int hs = std::abs(img.hSpace);
    const int vs = std::abs(img.vSpace);
    const int outerW = size.width() + 2 * hs;
    const int outerH = size.height() + 2 * vs;
    QRect place(QPoint(0, y - s.yValue + vs), size);
    if (img.floating == TImageObj::Float::Left) {
        place.moveLeft(im.leftIndent(y) - im.lfEdge + hs);
        im.addLeftFloat(outerW, y, y + outerH);
    } else {
        place.moveLeft(im.rightSide(y) - im.lfEdge - outerW + hs);
        im.addRightFloat(outerW, y, y + outerH);
    }
    m_store.images[&img] = place;
    floatHeight = std::max(floatHeight, outerH);
}

int SectionLayout::layoutEmptyPre(TSection& s)
{
    s.sectionHeight = s.fonts.empty() ? 0 : std::max(0, s.fonts.front()->font.size);
    s.drawHeight = s.sectionHeight;
    return s.sectionHeight;
}

int SectionLayout::layoutText(TSection& s, int y, IndentManagerBasic& im, int& maxWidth,
                              int& cursor)
{
    s.yValue = y;
    s.startCurs = cursor;
    s.lines.clear();
    const bool pre = s.kind() == SectionKind::Preformatted;
    const int step =
        s.listLevel > 0 && s.indent > 0 ? s.indent / s.listLevel : IndentManagerBasic::kListIndent;
    im.setLevel(y, s.listLevel, step);
    const int len = s.len();
    const int clear = clearDistance(s, im, y);
    if (len == 0) {
        if (pre)
            return layoutEmptyPre(s);
        s.sectionHeight = s.drawHeight = clear;
        return clear;
    }
    prepare(s, im.rightSide(y) - im.leftIndent(y));
    s.firstLineLeft = im.leftIndent(y);
    int widthOut = pre ? rangeWidth(s, 0, len) + s.indent : im.width;
    for (const auto& img : s.images)
        widthOut = std::max(widthOut, imageSize(*img).width() + s.indent);
    for (const auto& ctl : s.formControls)
        widthOut = std::max(widthOut, controlSize(*ctl).width() + s.indent);

    const QChar* text = s.text.constData();
    int height = 0;
    if (clear > 0) {
        LineRec gap;
        gap.spaceBefore = clear;
        gap.drawHeight = clear;
        gap.leftIndent = im.leftIndent(y);
        s.lines.push_back(gap);
        height += clear;
        y += clear;
    }
    int pos = 0;
    while (pos < len) {
        int floatHeight = 0;
        // Floating images at the start of a line go beside it at once.
        int lead = pos;
        while (lead < len && isImageChar(text[lead].unicode())) {
            const TImageObj* img = imageAt(s, lead);
            if (!img || img->floating == TImageObj::Float::None)
                break;
            placeFloat(s, *img, y, im, floatHeight);
            ++lead;
        }
        const int available = pre ? 32000 : im.rightSide(y) - im.leftIndent(y);
        int n = std::max(1, charsThatFit(s, pos, len - pos, available));
        if (pos + n < len) {
            const char16_t lastFit = text[pos + n - 1].unicode();
            const char16_t next = text[pos + n].unicode();
            if (lastFit == u' ' || next == u' ') {
                // The line ends at a space: it takes every space that follows.
                while (pos + n < len && text[pos + n] == u' ')
                    ++n;
            } else if (next == kImageChar || next == kFormControlChar) {
                // Break before the object.
            } else {
                int k = pos + n - 1;
                while (k >= pos && !isBreakAfter(text[k].unicode()))
                    --k;
                if (k >= pos) {
                    n = k - pos + 1;
                } else {
                    // A word longer than the line overflows; it is never split.
                    int e = pos + n;
                    while (e < len && !isBreakAfter(text[e].unicode()))
                        ++e;
                    while (e < len && text[e] == u' ')
                        ++e;
                    n = e - pos;
                }
            }
        }

        LineRec line;
        line.start = pos;
        line.count = n;
        const int end = pos + n;
        int h = 0;
        int d = 0;
        for (int r = s.fontRunAt(pos); r < int(s.fonts.size()) && s.fonts[size_t(r)]->pos < end;
             ++r) {
            const int a = std::max(pos, s.fonts[size_t(r)]->pos);
            const int e = std::min(end, runEnd(s, r));
            bool hasText = false;
            for (int i = a; i < e && !hasText; ++i)
                hasText = !isPlaceholder(text[i].unicode());
            if (hasText) {
                h = std::max(h, s.fonts[size_t(r)]->fontHeight);
                d = std::max(d, s.fonts[size_t(r)]->descent);
            }
        }
        int before = 0;
        int after = 0;
        for (int i = pos; i < end; ++i) {
            const char16_t c = text[i].unicode();
            if (isImageChar(c)) {
                const TImageObj* img = imageAt(s, i);
                if (!img || img->floating != TImageObj::Float::None)
                    continue;
                const int ih = imageSize(*img).height() + 2 * std::abs(img->vSpace);
                switch (img->vAlign) {
                case TImageObj::VAlign::Top:
                    after = std::max(after, ih - h);
                    break;
                case TImageObj::VAlign::Middle: {
                    const int half = (ih - h) / 2;
                    before = std::max(before, ih - h - half);
                    after = std::max(after, half);
                    break;
                }
                case TImageObj::VAlign::Bottom:
                    before = std::max(before, ih + d - h);
                    break;
                }
            } else if (isControlChar(c)) {
                if (const TFormControlObj* ctl = controlAt(s, i))
                    before = std::max(before, controlSize(*ctl).height() - h);
            }
        }
        int textEnd = end;
        while (textEnd > pos + 1 && text[textEnd - 1] == u' ')
            --textEnd;
        const int left = im.leftIndent(y);
        const int right = im.rightSide(y);
        const int textWidth = rangeWidth(s, pos, textEnd);
        if (!pre && textWidth > right - left) // an over-long word: offer the width it needs
            widthOut = std::max(widthOut, textWidth + left - im.lfEdge);
        switch (s.justify) {
        case Justify::Centre:
            line.leftIndent = std::max(left, (left + right - textWidth) / 2);
            break;
        case Justify::Right:
            line.leftIndent = right - textWidth - 1;
            break;
        case Justify::Left:
            line.leftIndent = left;
            break;
        }
        line.textHeight = h;
        line.descent = d;
        line.spaceBefore = before;
        line.spaceAfter = after;
        const int advance = before + h + after;
        height += advance;
        y += advance;
        line.drawHeight = std::max(advance, floatHeight);
        // Floating images later in the line go below it.
        for (int i = lead; i < end; ++i) {
            if (!isImageChar(text[i].unicode()))
                continue;
            const TImageObj* img = imageAt(s, i);
            if (img && img->floating != TImageObj::Float::None) {
                int queued = 0;
                placeFloat(s, *img, y, im, queued);
                line.drawHeight = std::max(line.drawHeight, queued);
            }
        }
        s.lines.push_back(line);
        pos = end;
    }
    cursor = s.startCurs + len;
    s.sectionHeight = height;
    s.drawHeight = std::max(height, im.imageBottom() - s.yValue);
    maxWidth = std::max(maxWidth, widthOut);
    return height;
}

void SectionLayout::measureText(TSection& s, int& minWidth, int& maxWidth)
{
    minWidth = maxWidth = 0;
    const int len = s.len();
    if (len == 0)
        return;
    prepare(s, -1);
    const QChar* text = s.text.constData();
    int widest = 0;
    int start = 0;
    for (int i = 0; i <= len; ++i) {
        if (i == len || isBreakAfter(text[i].unicode())) {
            int end = i;
            if (i < len && text[i] != u' ')
                end = i + 1; // an object belongs to the piece before the break after it
            widest = std::max(widest, rangeWidth(s, start, end));
            start = i + 1;
        }
    }
    int total = len;
    while (total > 1 && text[total - 1] == u' ')
        --total;
    const int full = rangeWidth(s, 0, total);
    if (s.kind() == SectionKind::Preformatted) {
        minWidth = std::min(2000, full + s.indent);
        maxWidth = full + s.indent;
        return;
    }
    minWidth = widest + s.indent;
    maxWidth = std::max(minWidth, full + s.indent);
}

int SectionLayout::layoutRule(THorzLine& rule, int y, IndentManagerBasic& im, int& maxWidth)
{
    rule.yValue = y;
    rule.drawHeight = rule.sectionHeight;
    m_store.rules[&rule] = {im.leftIndent(y) - im.lfEdge, im.rightSide(y) - im.lfEdge};
    maxWidth = std::max(maxWidth, im.width);
    return rule.sectionHeight;
}

} // namespace vantoro
