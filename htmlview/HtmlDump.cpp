#include "htmlview/HtmlDump.h"

#include "htmlview/TDListItem.h"
#include "htmlview/THeadingSpace.h"
#include "htmlview/THorzLine.h"
#include "htmlview/TOListItem.h"
#include "htmlview/TSectionList.h"
#include "htmlview/ThtmlTable.h"

namespace vantoro {

namespace {

QString colorText(TColor c)
{
    return QStringLiteral("#%1").arg(c, 8, 16, QLatin1Char('0')).toUpper();
}

const char* justifyName(Justify j)
{
    switch (j) {
    case Justify::Left:
        return "left";
    case Justify::Centre:
        return "center";
    case Justify::Right:
        return "right";
    }
    return "?";
}

QString styleText(FontStyles s)
{
    QString out;
    if (s & FontStyle::Bold)
        out += u'B';
    if (s & FontStyle::Italic)
        out += u'I';
    if (s & FontStyle::Underline)
        out += u'U';
    if (s & FontStyle::StrikeOut)
        out += u'S';
    return out.isEmpty() ? QStringLiteral("-") : out;
}

void dumpCell(const TCell& cell, int depth, QString& out);

void dumpText(const TSection& s, const QString& pad, QString& out)
{
    out += pad + QStringLiteral("  text \"") + visibleText(s.text) + QStringLiteral("\"\n");
    for (size_t i = 0; i < s.fonts.size(); ++i) {
        const TFontObj& f = *s.fonts[i];
        out += pad + QStringLiteral("  run @%1 \"%2\" %3pt/%4 %5 %6")
                         .arg(f.pos)
                         .arg(f.font.name.toString())
                         .arg(f.font.size)
                         .arg(f.font.nominalSize)
                         .arg(styleText(f.font.style), colorText(f.font.color));
        if (f.font.fixedPitch)
            out += QStringLiteral(" fixed");
        if (f.scriptState != 0)
            out += f.scriptState == 1 ? QStringLiteral(" sub") : QStringLiteral(" sup");
        if (f.font.charSet != HtmlCharSet::Default)
            out += QStringLiteral(" charset=%1").arg(int(f.font.charSet));
        if (f.isLink())
            out += QStringLiteral(" link=\"%1\"").arg(f.link->url);
        if (f.link && !f.link->target.isEmpty())
            out += QStringLiteral(" target=\"%1\"").arg(f.link->target);
        out += u'\n';
    }
    QString index;
    for (const IndexObj& r : s.sourceIndex)
        index += QStringLiteral(" %1:%2").arg(r.index).arg(r.pos);
    out += pad + QStringLiteral("  pos") + index + u'\n';
    for (const auto& image : s.images) {
        out += pad + QStringLiteral("  image @%1 src=\"%2\" float=%3\n")
                         .arg(image->pos)
                         .arg(image->source)
                         .arg(int(image->floating));
    }
    for (const auto& control : s.formControls) {
        out +=
            pad + QStringLiteral("  control @%1 kind=%2 type=%3 name=\"%4\" options=%5 lines=%6\n")
                      .arg(control->pos)
                      .arg(int(control->kind))
                      .arg(control->type, control->name)
                      .arg(control->options.size())
                      .arg(control->lines.size());
    }
}

void dumpSection(const TSectionBase& base, int index, int depth, QString& out)
{
    const QString pad(depth * 4, u' ');
    out += pad + QStringLiteral("[%1] ").arg(index);
    switch (base.kind()) {
    case SectionKind::ParagraphSpace:
        out += QStringLiteral("pspace height=%1\n").arg(base.sectionHeight);
        return;
    case SectionKind::HeadingSpace:
        out += QStringLiteral("hspace level=%1 height=%2\n")
                   .arg(static_cast<const THeadingSpace&>(base).level)
                   .arg(base.sectionHeight);
        return;
    case SectionKind::HorzLine: {
        const auto& h = static_cast<const THorzLine&>(base);
        out += QStringLiteral("hr size=%1 width=%2%3 align=%4 noshade=%5 color=%6 height=%7\n")
                   .arg(h.thickness)
                   .arg(h.width)
                   .arg(h.percent ? QStringLiteral("%") : QString())
                   .arg(QLatin1String(justifyName(h.align)))
                   .arg(int(h.noShade))
                   .arg(h.hasColor ? colorText(h.color) : QStringLiteral("none"))
                   .arg(h.sectionHeight);
        return;
    }
    case SectionKind::Table: {
        const auto& t = static_cast<const ThtmlTable&>(base);
        out += QStringLiteral("table rows=%1 level=%2 align=%3 float=%4 border=%5 padding=%6 "
                              "spacing=%7 width=%8%9 bg=%10\n")
                   .arg(t.rows.size())
                   .arg(t.listLevel)
                   .arg(QLatin1String(justifyName(t.justify)))
                   .arg(int(t.floating))
                   .arg(int(t.border))
                   .arg(t.cellPadding)
                   .arg(t.cellSpacing)
                   .arg(t.tableWidth)
                   .arg(t.widthPercent ? QStringLiteral("/1000") : QString())
                   .arg(t.hasBgColor ? colorText(t.bgColor) : QStringLiteral("none"));
        if (t.caption) {
            out +=
                pad + QStringLiteral("  caption %1\n")
                          .arg(t.captionBelow ? QStringLiteral("below") : QStringLiteral("above"));
            dumpCell(*t.caption->cell, depth + 1, out);
        }
        for (size_t r = 0; r < t.rows.size(); ++r) {
            const TCellList& row = *t.rows[r];
            out += pad + QStringLiteral("  row %1 cells=%2\n").arg(r).arg(row.cells.size());
            for (size_t c = 0; c < row.cells.size(); ++c) {
                const TCellObj* cell = row.cells[c].get();
                if (!cell) {
                    out += pad + QStringLiteral("    cell %1 empty\n").arg(c);
                    continue;
                }
                out +=
                    pad +
                    QStringLiteral("    cell %1 span=%2x%3 valign=%4 justify=%5 width=%6%7 "
                                   "bg=%8\n")
                        .arg(c)
                        .arg(cell->colSpan)
                        .arg(cell->rowSpan)
                        .arg(cell->vAlign)
                        .arg(QLatin1String(justifyName(cell->justify)))
                        .arg(cell->width)
                        .arg(cell->widthPercent ? QStringLiteral("/1000") : QString())
                        .arg(cell->hasBgColor ? colorText(cell->bgColor) : QStringLiteral("none"));
                dumpCell(*cell->cell, depth + 2, out);
            }
        }
        return;
    }
    default:
        break;
    }
    const auto& s = static_cast<const TSection&>(base);
    switch (base.kind()) {
    case SectionKind::Preformatted:
        out += QStringLiteral("pre");
        break;
    case SectionKind::UnorderedItem:
        out += QStringLiteral("ul-item plain=%1").arg(int(static_cast<const TUListItem&>(s).plain));
        break;
    case SectionKind::OrderedItem: {
        const auto& o = static_cast<const TOListItem&>(s);
        out += QStringLiteral("ol-item number=%1 type=%2").arg(o.number).arg(QChar(o.numberType));
        break;
    }
    case SectionKind::DefinitionItem:
        out += QStringLiteral("dl-item");
        break;
    default:
        out += QStringLiteral("text");
        break;
    }
    out += QStringLiteral(" justify=%1 level=%2 indent=%3 clear=%4 len=%5\n")
               .arg(QLatin1String(justifyName(s.justify)))
               .arg(s.listLevel)
               .arg(s.indent)
               .arg(s.clearMode)
               .arg(s.len());
    dumpText(s, pad, out);
}

void dumpCell(const TCell& cell, int depth, QString& out)
{
    for (size_t i = 0; i < cell.sections.size(); ++i)
        dumpSection(*cell.sections[i], int(i), depth, out);
}

} // namespace

QString visibleText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 32 || u == u'{' || u == kNbsp)
            out += QStringLiteral("{%1}").arg(int(u));
        else
            out += c;
    }
    return out;
}

QString dumpDocument(const TSectionList& document)
{
    QString out = QStringLiteral("document len=%1 sections=%2 links=%3 forms=%4 maps=%5 "
                                 "color=%6 background=%7\n")
                      .arg(document.len)
                      .arg(document.sections.size())
                      .arg(document.links.size())
                      .arg(document.forms.size())
                      .arg(document.maps.size())
                      .arg(colorText(document.fontColor), colorText(document.background));
    dumpCell(document, 0, out);
    return out;
}

} // namespace vantoro
