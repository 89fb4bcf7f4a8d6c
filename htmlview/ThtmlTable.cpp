#include "htmlview/ThtmlTable.h"

#include <algorithm>

namespace vantoro {

ThtmlTable::ThtmlTable(TSectionList* owner, const TAttributeList& attributes, int level,
                       Justify defaultJustify, TCell* enclosing, bool directlyInDocument)
    : TSectionBase(owner), listLevel(level), enclosingCell(enclosing), justify(defaultJustify)
{
    for (const TAttribute& a : attributes.items()) {
        switch (a.which) {
        case Attr::Align: {
            const QString align = a.name.toLower();
            if (align == u"left") {
                justify = Justify::Left;
                floating = true;
            } else if (align == u"right") {
                justify = Justify::Right;
                floating = true;
            } else if (align == u"center") {
                justify = Justify::Centre;
            }
            break;
        }
        case Attr::Border:
            border = a.value > 0;
            break;
        case Attr::CellPadding:
            cellPadding = std::clamp(a.value, 0, 50);
            break;
        case Attr::CellSpacing:
            cellSpacing = std::clamp(a.value, 0, 40);
            break;
        case Attr::Width:
            if (a.name.endsWith(u'%')) {
                widthPercent = true;
                tableWidth = std::clamp(a.value, 0, 100) * 10;
            } else {
                tableWidth = std::max(0, a.value);
            }
            break;
        case Attr::Height:
            if (a.name.endsWith(u'%') && directlyInDocument) {
                heightPercent = true;
                tableHeight = std::clamp(a.value, 0, 110) * 10;
            } else {
                tableHeight = std::max(0, a.value);
            }
            break;
        case Attr::BgColor:
            if (const auto c = parseHtmlColor(a.name)) {
                bgColor = *c;
                hasBgColor = true;
            }
            break;
        case Attr::BorderColor:
            if (const auto c = parseHtmlColor(a.name)) {
                borderColor = *c;
                hasBorderColor = true;
            }
            break;
        case Attr::HSpace:
            hSpace = std::clamp(a.value, -40, 40);
            break;
        case Attr::VSpace:
            vSpace = std::clamp(a.value, -200, 200);
            break;
        default:
            break;
        }
    }
    if (border)
        cellSpacing += 2;
    cellSpacing = std::max(1, cellSpacing);
}

void ThtmlTable::releaseSections(std::vector<std::unique_ptr<TSectionBase>>& out)
{
    auto take = [&out](TCellObj* obj) {
        if (!obj || !obj->cell)
            return;
        for (auto& s : obj->cell->sections)
            out.push_back(std::move(s));
        obj->cell->sections.clear();
    };
    for (auto& row : rows) {
        for (auto& cell : row->cells)
            take(cell.get());
    }
    take(caption.get());
}

} // namespace vantoro
