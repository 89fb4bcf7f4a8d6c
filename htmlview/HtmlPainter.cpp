#include "htmlview/HtmlPainter.h"

#include "htmlview/DocumentLayout.h"
#include "htmlview/HtmlCanvas.h"
#include "htmlview/HtmlMeasurer.h"
#include "htmlview/LayoutStore.h"
#include "htmlview/SectionLayout.h"
#include "htmlview/THorzLine.h"
#include "htmlview/TOListItem.h"
#include "htmlview/TSectionList.h"

#include <algorithm>

namespace vantoro {

namespace {

constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clBtnHighlight = 0x80000014;

bool isImageChar(char16_t c)
{
    return c == kImageChar || c == kNoBreakImageChar;
}

bool isControlChar(char16_t c)
{
    return c == kFormControlChar || c == kNoBreakFormControlChar;
}

TColor plain(TColor c)
{
    return c & 0x00FFFFFF;
}

} // namespace

HtmlPainter::HtmlPainter(HtmlMeasurer& measurer, LayoutStore& store)
    : m_measurer(measurer), m_store(store)
{}

QString HtmlPainter::orderedMarker(int number, char16_t type)
{
    static const char* const kRoman[] = {"i",    "ii",  "iii",  "iv",    "v",   "vi",   "vii",
                                         "viii", "ix",  "x",    "xi",    "xii", "xiii", "xiv",
                                         "xv",   "xvi", "xvii", "xviii", "xix", "xx"};
    QString text;
    switch (type) {
    case u'A':
    case u'a':
        text = QChar(char16_t(type + std::clamp(number, 1, 26) - 1));
        break;
    case u'I':
    case u'i':
        text = QString::fromLatin1(kRoman[std::clamp(number, 1, 20) - 1]);
        if (type == u'I')
            text = text.toUpper();
        break;
    default:
        text = QString::number(number);
        break;
    }
    return text + u'.';
}

bool HtmlPainter::backgroundIsWhite(const TSectionList& doc, const HtmlCanvas& canvas)
{
    if (doc.background == clWindow)
        return canvas.resolveColor(clWindow) == clWhite;
    return !(doc.background & 0x80000000u) && plain(doc.background) == clWhite;
}

bool HtmlPainter::bulletFill(const TSectionList& doc, const HtmlCanvas& canvas, int level,
                             TColor& fill)
{
    const TColor bg = doc.background;
    const bool defaultBackground = bg == clBtnFace || backgroundIsWhite(doc, canvas) ||
                                   (!(bg & 0x80000000u) && plain(bg) == clSilver);
    if (!defaultBackground)
        return false;
    switch (level) {
    case 1:
    case 4:
        fill = clNavy;
        break;
    case 3:
        fill = clRed;
        break;
    default: // 2, 5, and deeper levels keep the last colour chosen
        fill = clMaroon;
        break;
    }
    return true;
}

void HtmlPainter::paintMarker(const TSection& s, const PaintContext& pc, int x, int y, int baseline,
                              int textHeight)
{
    HtmlCanvas& canvas = *pc.canvas;
    const int edge = x + s.firstLineLeft;
    if (s.kind() == SectionKind::OrderedItem) {
        const auto& item = static_cast<const TOListItem&>(s);
        const TFontObj& first = *s.fonts.front();
        const QString marker = orderedMarker(item.number, item.numberType);
        const int w = m_measurer.textWidth(first.font, marker);
        canvas.drawText(edge - 5 - w, baseline, marker, first.font,
                        first.displayColor(*pc.document));
        return;
    }
    if (s.kind() != SectionKind::UnorderedItem || static_cast<const TUListItem&>(s).plain)
        return;
    const int cy = y - textHeight / 2 - pc.scrollOffset;
    const QRect dot(edge - 8 - 2, cy - 2, 5, 5);
    TColor fill = clBlack;
    if (bulletFill(*pc.document, canvas, s.listLevel, fill))
        canvas.drawEllipse(dot, fill, &fill);
    else
        canvas.drawEllipse(dot, pc.document->fontColor, nullptr);
}

int HtmlPainter::paintText(TSection& s, const PaintContext& pc, int x, int y)
{
    const int top = y;
    const int scroll = pc.scrollOffset;
    const QRect& clip = pc.clip;
    if (s.len() == 0 || y + s.drawHeight - scroll <= clip.top() || y - scroll > clip.bottom())
        return top + s.sectionHeight;
    HtmlCanvas& canvas = *pc.canvas;
    const TSectionList& doc = *pc.document;
    const bool pre = s.kind() == SectionKind::Preformatted;
    const bool listItem =
        s.kind() == SectionKind::OrderedItem || s.kind() == SectionKind::UnorderedItem;
    const int selStart = doc.selStart;
    const int selEnd = doc.selEnd;
    const bool hasSelection = selStart >= 0 && selEnd > selStart;
    const QChar* text = s.text.constData();
    QString buffer;
    std::vector<int> widths;

    for (size_t li = 0; li < s.lines.size(); ++li) {
        LineRec& line = s.lines[li];
        const int band = line.spaceBefore + line.textHeight + line.spaceAfter;
        if (y - scroll + line.drawHeight <= clip.top() || y - scroll > clip.bottom()) {
            y += band;
            continue;
        }
        const int lineTop = y;
        line.drawnX = x + line.leftIndent;
        line.drawnY = lineTop;
        y += line.textHeight + line.spaceBefore;
        const int baseline = y - line.descent - scroll;
        if (li == 0 && listItem && line.count > 0)
            paintMarker(s, pc, x, y, baseline, line.textHeight);
        else if (li == 1 && listItem && s.lines[0].count == 0)
            paintMarker(s, pc, x, y, baseline, line.textHeight);

        // Runs start where the exact sum of the advances before them puts them.
        int X = x + line.leftIndent;
        qint64 xUnits = qint64(X) * HtmlMeasurer::kUnitsPerPixel;
        int i = line.start;
        const int end = line.start + line.count;
        while (i < end) {
            const char16_t c = text[i].unicode();
            if (isImageChar(c)) {
                const auto it =
                    std::lower_bound(s.images.begin(), s.images.end(), i,
                                     [](const auto& img, int p) { return img->pos < p; });
                if (it != s.images.end() && (*it)->pos == i) {
                    const TImageObj& img = **it;
                    const auto place = m_store.images.find(&img);
                    const QRect r = place != m_store.images.end() ? place->second : QRect();
                    if (img.floating == TImageObj::Float::None) {
                        const int hs = std::abs(img.hSpace);
                        int imgTop = baseline - r.height();
                        if (img.vAlign == TImageObj::VAlign::Top)
                            imgTop = lineTop - scroll + line.spaceBefore;
                        else if (img.vAlign == TImageObj::VAlign::Middle)
                            imgTop = lineTop - scroll + line.spaceBefore + line.textHeight / 2 -
                                     r.height() / 2;
                        canvas.drawBevel(QRect(X + hs, imgTop, r.width(), r.height()), clBtnShadow,
                                         clBtnHighlight);
                        xUnits += qint64(r.width() + 2 * hs) * HtmlMeasurer::kUnitsPerPixel;
                        X = HtmlMeasurer::toPixels(xUnits);
                    } else {
                        canvas.drawBevel(r.translated(x, top - scroll), clBtnShadow,
                                         clBtnHighlight);
                    }
                }
                ++i;
                continue;
            }
            if (isControlChar(c)) {
                const auto it =
                    std::lower_bound(s.formControls.begin(), s.formControls.end(), i,
                                     [](const auto& ctl, int p) { return ctl->pos < p; });
                if (it != s.formControls.end() && (*it)->pos == i) {
                    const QSize size = SectionLayout::controlSize(**it);
                    canvas.drawBevel(QRect(X, baseline + line.descent - size.height(), size.width(),
                                           size.height()),
                                     clBtnShadow, clBtnHighlight);
                    xUnits += qint64(size.width()) * HtmlMeasurer::kUnitsPerPixel;
                    X = HtmlMeasurer::toPixels(xUnits);
                }
                ++i;
                continue;
            }
            // A run of text: up to a font change, an object or a selection boundary.
            const int runIndex = s.fontRunAt(i);
            const TFontObj& run = *s.fonts[size_t(runIndex)];
            int stop = std::min(end, i + s.runLengthFrom(i));
            for (int k = i + 1; k < stop; ++k) {
                const char16_t ck = text[k].unicode();
                if (isImageChar(ck) || isControlChar(ck)) {
                    stop = k;
                    break;
                }
            }
            const int docIndex = s.startCurs + i;
            const bool selected = hasSelection && docIndex >= selStart && docIndex < selEnd;
            if (hasSelection) {
                const int boundary = selected ? selEnd : (docIndex < selStart ? selStart : -1);
                if (boundary > docIndex)
                    stop = std::min(stop, boundary - s.startCurs);
            }
            buffer = QString(text + i, stop - i);
            for (QChar& ch : buffer) {
                if (ch.unicode() == kNbsp)
                    ch = u' ';
            }
            widths.resize(size_t(buffer.size()));
            m_measurer.advances(run.font, buffer, widths.data());
            qint64 units = 0;
            for (int w : widths)
                units += w;
            int shift = 0;
            if (run.scriptState == 2)
                shift = -(run.fontHeight / 3);
            else if (run.scriptState == 1)
                shift = run.descent / 2 + 1;
            const TColor color = run.displayColor(doc);
            // A pre-formatted line is limited to its own band, descenders included.
            if (pre)
                canvas.setClip(QRect(X, lineTop - scroll, std::max(0, x + pc.clipWidth - X), band));
            if (selected) {
                const TColor back = color;
                canvas.drawText(X - run.overhang / 2, baseline + shift, buffer, run.font,
                                doc.background, &back);
            } else {
                canvas.drawText(X - run.overhang / 2, baseline + shift, buffer, run.font, color);
            }
            if (pre)
                canvas.clearClip();
            if (doc.showCaret && !hasSelection && docIndex == selStart) {
                canvas.fillRect(QRect(X - run.overhang, baseline + run.descent - run.fontHeight, 1,
                                      run.fontHeight),
                                color);
            }
            xUnits += units - qint64(run.overhang) * HtmlMeasurer::kUnitsPerPixel;
            X = HtmlMeasurer::toPixels(xUnits);
            i = stop;
        }
        y += line.spaceAfter;
    }
    return top + s.sectionHeight;
}

int HtmlPainter::paintRule(const THorzLine& rule, const PaintContext& pc, int x, int y)
{
    const int scroll = pc.scrollOffset;
    if (y + rule.sectionHeight - scroll <= pc.clip.top() || y - scroll > pc.clip.bottom())
        return y + rule.sectionHeight;
    const auto it = m_store.rules.find(&rule);
    if (it == m_store.rules.end())
        return y + rule.sectionHeight;
    const int left = x + it->second.first;
    const int right = x + it->second.second;
    const int top = y + (rule.sectionHeight - rule.thickness) / 2 - scroll;
    int l = left + 10;
    int r = right - 10;
    if (rule.width > 0) {
        const int w = rule.percent ? mulDiv(right - left, rule.width, 100) : rule.width;
        switch (rule.align) {
        case Justify::Left:
            l = left;
            break;
        case Justify::Centre:
            l = left + (right - left - w) / 2;
            break;
        case Justify::Right:
            l = right - w;
            break;
        }
        r = l + w;
    }
    HtmlCanvas& canvas = *pc.canvas;
    const QRect bar(l, top, std::max(0, r - l), rule.thickness);
    if (rule.hasColor) {
        canvas.fillRect(bar, rule.color);
    } else {
        const TColor topLeft = rule.noShade ? clBlack : clBtnShadow;
        const TColor bottomRight = rule.noShade                              ? clBlack
                                   : backgroundIsWhite(*pc.document, canvas) ? clSilver
                                                                             : clBtnHighlight;
        canvas.drawBevel(bar, topLeft, bottomRight);
    }
    return y + rule.sectionHeight;
}

} // namespace vantoro
