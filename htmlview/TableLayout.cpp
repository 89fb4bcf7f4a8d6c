#include "htmlview/TableLayout.h"

#include "htmlview/DocumentLayout.h"
#include "htmlview/HtmlCanvas.h"
#include "htmlview/HtmlPainter.h"
#include "htmlview/IndentManagerBasic.h"
#include "htmlview/TSectionList.h"
#include "htmlview/ThtmlTable.h"

#include <QRegion>

#include <algorithm>
#include <numeric>
#include <optional>
#include <tuple>

namespace vantoro {

namespace {

constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clBtnHighlight = 0x80000014;

int sum(const std::vector<int>& v, int from = 0, int count = -1)
{
    const int end = count < 0 ? int(v.size()) : std::min(int(v.size()), from + count);
    qint64 total = 0;
    for (int i = std::max(0, from); i < end; ++i)
        total += v[size_t(i)];
    return int(std::clamp<qint64>(total, INT_MIN / 2, INT_MAX / 2));
}

// Gives `amount` to the chosen columns in proportion to `weights` (evenly when the weights add
// up to 0); whatever rounding leaves goes to the last chosen column.
void spread(std::vector<int>& widths, const std::vector<bool>& chosen,
            const std::vector<int>& weights, int amount)
{
    int weightSum = 0;
    int count = 0;
    int last = -1;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (chosen[i]) {
            weightSum += weights[i];
            ++count;
            last = int(i);
        }
    }
    if (count == 0 || amount == 0)
        return;
    int given = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (!chosen[i])
            continue;
        const int part = weightSum > 0 ? mulDiv(amount, weights[i], weightSum) : amount / count;
        widths[i] += part;
        given += part;
    }
    widths[size_t(last)] += amount - given;
}

} // namespace

TableLayout::TableLayout(DocumentLayout& document) : m_document(document) {}

bool TableLayout::buildGrid(const ThtmlTable& table, TableGeometry& g, QString& error)
{
    g.grid.clear();
    const int rowCount = int(table.rows.size());
    g.grid.resize(size_t(rowCount));
    for (int r = 0; r < rowCount; ++r) {
        const TCellList& row = *table.rows[size_t(r)];
        auto& out = g.grid[size_t(r)];
        for (const auto& cellPtr : row.cells) {
            TCellObj* cell = cellPtr.get();
            if (!cell)
                continue;
            GridSlot slot;
            slot.cell = cell;
            slot.colSpan = std::clamp(cell->colSpan, 1, kMaxColumns + 1);
            slot.rowSpan = std::max(1, cell->rowSpan);
            if (cell->hasBgColor) {
                slot.background = cell->bgColor;
                slot.hasBackground = true;
            } else if (row.hasBgColor) {
                slot.background = row.bgColor;
                slot.hasBackground = true;
            } else if (g.hasBackground) {
                slot.background = g.background;
                slot.hasBackground = true;
            }
            out.push_back(slot);
            for (int k = 1; k < slot.colSpan; ++k) {
                GridSlot filler;
                filler.colSpan = slot.rowSpan >= 2 ? 0 : 1;
                filler.rowSpan = slot.rowSpan >= 2 ? slot.rowSpan : 1;
                out.push_back(filler);
            }
            if (int(out.size()) > kMaxColumns) {
                error = kTooManyColumns;
                return false;
            }
        }
    }
    // Row spans: cut to the rows that remain, then cover the rows below with placeholders.
    for (int col = 0;; ++col) {
        bool any = false;
        for (int r = 0; r < rowCount; ++r) {
            auto& row = g.grid[size_t(r)];
            if (col >= int(row.size()))
                continue;
            any = true;
            GridSlot& slot = row[size_t(col)];
            if (slot.rowSpan <= 1)
                continue;
            slot.rowSpan = std::min(slot.rowSpan, rowCount - r);
            for (int k = 1; k < slot.rowSpan; ++k) {
                auto& below = g.grid[size_t(r + k)];
                if (int(below.size()) < col)
                    below.resize(size_t(col));
                GridSlot cover;
                cover.colSpan = 0;
                cover.rowSpan = 0;
                below.insert(below.begin() + col, cover);
                if (int(below.size()) > kMaxColumns) {
                    error = kTooManyColumns;
                    return false;
                }
            }
        }
        if (!any)
            break;
    }
    g.columns = 0;
    g.pixelWidths = false;
    for (const auto& row : g.grid) {
        g.columns = std::max(g.columns, int(row.size()));
        for (const GridSlot& s : row) {
            if (s.cell && s.cell->width > 0 && !s.cell->widthPercent)
                g.pixelWidths = true;
        }
    }
    if (g.columns > kMaxColumns) {
        error = kTooManyColumns;
        return false;
    }
    for (auto& row : g.grid) {
        // A cell's column span never reaches past the last column.
        for (int c = 0; c < int(row.size()); ++c) {
            if (row[size_t(c)].cell)
                row[size_t(c)].colSpan = std::min(row[size_t(c)].colSpan, g.columns - c);
        }
    }
    return true;
}

void TableLayout::measureColumns(ThtmlTable& t, TableGeometry& g, int available, bool useShares)
{
    const int n = g.columns;
    g.minWidths.assign(size_t(n), 0);
    g.maxWidths.assign(size_t(n), 0);
    g.shares.assign(size_t(n), 0);
    const int extra = 2 * t.cellPadding + t.cellSpacing;
    const bool pixelRules = !useShares;
    int maxSpan = 1;
    for (int span = 1; span <= maxSpan; ++span) {
        for (auto& row : g.grid) {
            for (int c = 0; c < int(row.size()); ++c) {
                const GridSlot& slot = row[size_t(c)];
                if (!slot.cell)
                    continue;
                maxSpan = std::max(maxSpan, slot.colSpan);
                if (slot.colSpan != span)
                    continue;
                TCellObj& cell = *slot.cell;
                int mn = 0;
                int mx = 0;
                const TColor savedColor = m_enclosingColor;
                const bool savedHas = m_enclosingHasColor;
                m_enclosingColor = slot.background;
                m_enclosingHasColor = slot.hasBackground;
                m_document.measureCell(*cell.cell, mn, mx);
                m_enclosingColor = savedColor;
                m_enclosingHasColor = savedHas;
                mn += extra;
                mx += extra;
                if (pixelRules && cell.width > 0 && !cell.widthPercent) {
                    mn = std::max(mn, cell.width + extra);
                    mx = std::max(mn, cell.width + extra);
                }
                int share = 0;
                if (!pixelRules && cell.width > 0)
                    share = cell.widthPercent ? cell.width
                                              : std::min(1000, mulDiv(cell.width, 1000, available));
                if (span == 1) {
                    g.minWidths[size_t(c)] = std::max(g.minWidths[size_t(c)], mn);
                    g.maxWidths[size_t(c)] = std::max(g.maxWidths[size_t(c)], mx);
                    g.shares[size_t(c)] = std::max(g.shares[size_t(c)], share);
                    continue;
                }
                const int minSum = sum(g.minWidths, c, span);
                const int maxSum = sum(g.maxWidths, c, span);
                std::vector<bool> chosen(size_t(n), false);
                int unshared = 0;
                int shareSum = 0;
                for (int k = c; k < c + span; ++k) {
                    if (g.shares[size_t(k)] == 0) {
                        chosen[size_t(k)] = true;
                        ++unshared;
                    }
                    shareSum += g.shares[size_t(k)];
                }
                if (!pixelRules && (share > 0 || shareSum > 0)) {
                    if (unshared == 0 && share > shareSum) {
                        for (int k = c; k < c + span; ++k)
                            g.shares[size_t(k)] = mulDiv(g.shares[size_t(k)], share, shareSum);
                    } else if (unshared > 0 && (share - shareSum) / unshared > 0) {
                        for (int k = c; k < c + span; ++k) {
                            if (chosen[size_t(k)])
                                g.shares[size_t(k)] = (share - shareSum) / unshared;
                        }
                    }
                    const int total = std::max(share, shareSum);
                    if (mn > minSum) {
                        if (unshared == 0) {
                            for (int k = c; k < c + span; ++k)
                                g.minWidths[size_t(k)] = std::max(
                                    g.minWidths[size_t(k)], mulDiv(mn, g.shares[size_t(k)], total));
                        } else {
                            spread(g.minWidths, chosen, g.maxWidths, mn - minSum);
                        }
                    }
                    if (mx > maxSum) {
                        if (unshared == 0) {
                            for (int k = c; k < c + span; ++k)
                                g.maxWidths[size_t(k)] = std::max(
                                    g.maxWidths[size_t(k)], mulDiv(mx, g.shares[size_t(k)], total));
                        } else {
                            spread(g.maxWidths, chosen, std::vector<int>(size_t(n), 0),
                                   mx - maxSum);
                        }
                    }
                } else {
                    // Without shares a span's shortfall is spread in proportion to the minimums
                    // (maximums); a zero sum gives it evenly.
                    std::vector<bool> all(size_t(n), false);
                    for (int k = c; k < c + span; ++k)
                        all[size_t(k)] = true;
                    if (mn > minSum)
                        spread(g.minWidths, all, g.minWidths, mn - minSum);
                    if (mx > maxSum)
                        spread(g.maxWidths, all, g.maxWidths, mx - maxSum);
                }
            }
        }
    }
    for (int c = 0; c < n; ++c)
        g.maxWidths[size_t(c)] = std::max(g.maxWidths[size_t(c)], g.minWidths[size_t(c)]);
    g.minTotal = sum(g.minWidths);
    g.maxTotal = sum(g.maxWidths);
}

void TableLayout::columnWidths(const ThtmlTable& t, TableGeometry& g, int W)
{
    const int n = g.columns;
    std::vector<int> mins = g.minWidths;
    std::vector<int> maxs = g.maxWidths;
    std::vector<int> shares = g.shares;
    std::vector<int>& w = g.widths;
    w = mins;
    if (n == 0 || g.minTotal >= W)
        return;
    const bool ownWidth = t.tableWidth > 0;
    auto finalRule = [&] {
        const int minTotal = sum(mins);
        const int maxTotal = sum(maxs);
        for (int i = 0; i < n; ++i) {
            if (maxTotal <= W || maxTotal == minTotal)
                w[size_t(i)] = maxs[size_t(i)];
            else
                w[size_t(i)] = mins[size_t(i)] + mulDiv(maxs[size_t(i)] - mins[size_t(i)],
                                                        W - minTotal, maxTotal - minTotal);
        }
    };
    if (g.pixelWidths && !ownWidth) {
        finalRule();
        return;
    }
    if (ownWidth) {
        std::vector<bool> fixed(size_t(n), false);
        for (int i = 0; i < n; ++i) {
            if (shares[size_t(i)] == 0)
                continue;
            const int v = mulDiv(W, shares[size_t(i)], 1000);
            if (v > mins[size_t(i)])
                w[size_t(i)] = v;
            else
                fixed[size_t(i)] = true;
        }
        const int total = sum(w);
        const bool allShared =
            std::all_of(shares.begin(), shares.end(), [](int s) { return s > 0; });
        if (total < W) {
            const int rest = W - total;
            std::vector<bool> chosen(size_t(n), false);
            if (allShared) {
                for (int i = 0; i < n; ++i)
                    chosen[size_t(i)] = !fixed[size_t(i)];
                if (std::none_of(chosen.begin(), chosen.end(), [](bool b) { return b; }))
                    chosen.assign(size_t(n), true);
                spread(w, chosen, shares, rest);
            } else {
                std::vector<int> slack(size_t(n), 0);
                int slackSum = 0;
                for (int i = 0; i < n; ++i) {
                    chosen[size_t(i)] = shares[size_t(i)] == 0;
                    slack[size_t(i)] = maxs[size_t(i)] - mins[size_t(i)];
                    if (chosen[size_t(i)])
                        slackSum += slack[size_t(i)];
                }
                if (slackSum <= 0 || slackSum < rest / 2)
                    slack.assign(size_t(n), 0);
                spread(w, chosen, slack, rest);
            }
        } else if (total > W) {
            // Take the excess from the shared columns in proportion to their shares; a column
            // that would fall below its minimum is fixed there and leaves the sum.
            for (int pass = 0; pass < 5; ++pass) {
                const int excess = sum(w) - W;
                if (excess <= 0)
                    break;
                int shareSum = 0;
                for (int i = 0; i < n; ++i) {
                    if (!fixed[size_t(i)] && shares[size_t(i)] > 0)
                        shareSum += shares[size_t(i)];
                }
                if (shareSum == 0)
                    break;
                bool fixedSome = false;
                for (int i = 0; i < n; ++i) {
                    if (fixed[size_t(i)] || shares[size_t(i)] == 0)
                        continue;
                    const int cut = mulDiv(excess, shares[size_t(i)], shareSum);
                    if (pass < 4 && w[size_t(i)] - cut < mins[size_t(i)]) {
                        w[size_t(i)] = mins[size_t(i)];
                        fixed[size_t(i)] = true;
                        fixedSome = true;
                    }
                }
                if (pass < 4 && fixedSome)
                    continue;
                for (int i = 0; i < n; ++i) {
                    if (!fixed[size_t(i)] && shares[size_t(i)] > 0)
                        w[size_t(i)] =
                            std::max(mins[size_t(i)],
                                     w[size_t(i)] - mulDiv(excess, shares[size_t(i)], shareSum));
                }
                break;
            }
        }
        return;
    }
    const int shareSum = sum(shares);
    if (shareSum >= 1 && shareSum <= 1000) {
        int ideal = 0;
        int unsharedMax = 0;
        for (int i = 0; i < n; ++i) {
            if (shares[size_t(i)] > 0)
                ideal = std::max(ideal, mulDiv(maxs[size_t(i)], 1000, shares[size_t(i)]));
            else
                unsharedMax += maxs[size_t(i)];
        }
        if (shareSum < 1000)
            ideal = std::max(ideal, mulDiv(unsharedMax, 1000, 1000 - shareSum));
        else if (unsharedMax > 0)
            ideal = std::max(ideal, 30000);
        if (W >= ideal) {
            std::vector<bool> chosen(size_t(n), false);
            for (int i = 0; i < n; ++i) {
                if (shares[size_t(i)] > 0)
                    w[size_t(i)] = mulDiv(ideal, shares[size_t(i)], 1000);
                else {
                    w[size_t(i)] = 0;
                    chosen[size_t(i)] = true;
                }
            }
            spread(w, chosen, maxs, mulDiv(ideal, 1000 - shareSum, 1000));
            return;
        }
        for (int round = 0; round < 100; ++round) {
            bool anyShared = false;
            for (int i = 0; i < n; ++i) {
                if (shares[size_t(i)] > 0 &&
                    mulDiv(W, shares[size_t(i)], 1000) - 1 < mins[size_t(i)])
                    shares[size_t(i)] = 0;
                anyShared = anyShared || shares[size_t(i)] > 0;
            }
            if (!anyShared)
                break;
            int sharedWidth = 0;
            int otherMins = 0;
            for (int i = 0; i < n; ++i) {
                if (shares[size_t(i)] > 0)
                    sharedWidth += mulDiv(W, shares[size_t(i)], 1000) - 1;
                else
                    otherMins += mins[size_t(i)];
            }
            if (sharedWidth + otherMins > W && sharedWidth > 0) {
                for (int& s : shares)
                    s = mulDiv(s, W - otherMins, sharedWidth);
                continue;
            }
            for (int i = 0; i < n; ++i) {
                if (shares[size_t(i)] > 0)
                    mins[size_t(i)] = maxs[size_t(i)] = mulDiv(W, shares[size_t(i)], 1000);
            }
            break;
        }
    }
    finalRule();
}

TableGeometry* TableLayout::geometry(ThtmlTable& table, QString& error)
{
    auto& slot = m_document.store().tables[&table];
    if (!slot) {
        auto g = std::make_unique<TableGeometry>();
        g->background = table.bgColor;
        g->hasBackground = table.hasBgColor;
        if (!table.hasBgColor && m_enclosingHasColor) {
            g->background = m_enclosingColor;
            g->hasBackground = true;
        }
        if (!buildGrid(table, *g, error)) {
            m_document.store().tables.erase(&table);
            return nullptr;
        }
        slot = std::move(g);
    }
    return slot.get();
}

int TableLayout::layoutRows(ThtmlTable& t, TableGeometry& g, int& cursor)
{
    const int rows = int(g.grid.size());
    const int pad = t.cellPadding;
    const int spacing = t.cellSpacing;
    g.rowHeights.assign(size_t(rows), 0);
    int maxRowSpan = 1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < int(g.grid[size_t(r)].size()); ++c) {
            GridSlot& slot = g.grid[size_t(r)][size_t(c)];
            if (!slot.cell)
                continue;
            TCellObj& cell = *slot.cell;
            const int width = sum(g.widths, c, slot.colSpan);
            int unusedWidth = 0;
            const TColor savedColor = m_enclosingColor;
            const bool savedHas = m_enclosingHasColor;
            m_enclosingColor = slot.background;
            m_enclosingHasColor = slot.hasBackground;
            cell.contentHeight = m_document.layoutCell(
                *cell.cell, 0, std::max(0, width - 2 * pad - spacing), cursor, unusedWidth);
            m_enclosingColor = savedColor;
            m_enclosingHasColor = savedHas;
            maxRowSpan = std::max(maxRowSpan, slot.rowSpan);
        }
    }
    for (int span = 1; span <= maxRowSpan; ++span) {
        for (int r = 0; r < rows; ++r) {
            for (const GridSlot& slot : g.grid[size_t(r)]) {
                if (!slot.cell || slot.rowSpan != span)
                    continue;
                const TCellObj& cell = *slot.cell;
                const int need =
                    std::max(cell.contentHeight, cell.specHeight - 2 * pad) + 2 * pad + spacing;
                if (span == 1) {
                    g.rowHeights[size_t(r)] = std::max(g.rowHeights[size_t(r)], need);
                    continue;
                }
                const int have = sum(g.rowHeights, r, span);
                if (need > have) {
                    const int each = (need - have) / span;
                    for (int k = r; k < r + span; ++k)
                        g.rowHeights[size_t(k)] += each;
                    g.rowHeights[size_t(r + span - 1)] += need - have - each * span;
                }
            }
        }
    }
    int wanted = t.tableHeight;
    if (t.heightPercent)
        wanted = mulDiv(std::max(0, m_document.clientHeight() - spacing - 3), t.tableHeight, 1000);
    const int total = sum(g.rowHeights);
    if (rows > 0 && wanted > total) {
        const int extra = wanted - total;
        const int each = extra / rows;
        for (int r = 0; r + 1 < rows; ++r)
            g.rowHeights[size_t(r)] += each;
        g.rowHeights[size_t(rows - 1)] += extra - each * (rows - 1);
    }
    for (int r = 0; r < rows; ++r) {
        TCellList* model = r < int(t.rows.size()) ? t.rows[size_t(r)].get() : nullptr;
        if (model)
            model->rowHeight = g.rowHeights[size_t(r)];
        for (const GridSlot& slot : g.grid[size_t(r)]) {
            if (!slot.cell)
                continue;
            TCellObj& cell = *slot.cell;
            cell.totalHeight = sum(g.rowHeights, r, slot.rowSpan);
            const int room = cell.totalHeight - cell.contentHeight - spacing - 2 * pad;
            cell.contentOffset = cell.vAlign == 0 ? 0 : cell.vAlign == 1 ? room / 2 : room;
        }
    }
    g.rowTops.assign(size_t(rows) + 1, 0);
    g.rowReach.assign(size_t(rows), 0);
    int reach = 0;
    for (int r = 0; r < rows; ++r) {
        const int top = g.rowTops[size_t(r)];
        g.rowTops[size_t(r) + 1] = top + g.rowHeights[size_t(r)];
        reach = std::max(reach, g.rowTops[size_t(r) + 1]);
        for (const GridSlot& slot : g.grid[size_t(r)]) {
            if (slot.cell)
                reach = std::max(reach, top + slot.cell->totalHeight);
        }
        g.rowReach[size_t(r)] = reach;
    }
    return sum(g.rowHeights);
}

std::pair<size_t, size_t> TableLayout::rowsMeeting(const TableGeometry& g, int top, int bottom)
{
    const size_t rows = std::min(g.grid.size(), g.rowReach.size());
    if (rows == 0 || g.rowTops.size() < rows + 1)
        return {0, 0};
    const size_t first =
        size_t(std::upper_bound(g.rowReach.begin(), g.rowReach.begin() + qsizetype(rows), top) -
               g.rowReach.begin());
    const size_t last =
        size_t(std::upper_bound(g.rowTops.begin(), g.rowTops.begin() + qsizetype(rows), bottom) -
               g.rowTops.begin());
    return {first, std::max(first, last)};
}

bool TableLayout::layout(ThtmlTable& t, int y, IndentManagerBasic& im, int& maxWidth, int& cursor,
                         int& height, QString& error)
{
    t.yValue = y;
    t.startCurs = cursor;
    im.setLevel(y, t.listLevel);
    TableGeometry* gp = geometry(t, error);
    if (!gp)
        return false;
    TableGeometry& g = *gp;
    const int left = im.leftIndent(y);
    const int available = im.rightSide(y) - left;
    int W = available;
    if (t.tableWidth > 0)
        W = t.widthPercent ? mulDiv(available, t.tableWidth, 1000) : t.tableWidth;
    W = std::max(20, W - t.cellSpacing);
    measureColumns(t, g, W, !(g.pixelWidths && t.tableWidth == 0));
    columnWidths(t, g, W);
    g.bodyWidth = sum(g.widths) + t.cellSpacing;
    int captionMin = 0;
    int captionMax = 0;
    if (t.caption)
        m_document.measureCell(*t.caption->cell, captionMin, captionMax);
    g.tableWidth = std::max(g.bodyWidth, captionMin);
    g.bodyOffset = (g.tableWidth - g.bodyWidth) / 2;

    int total = 0;
    g.captionHeight = 0;
    int unusedWidth = 0;
    if (t.caption && !t.captionBelow)
        g.captionHeight =
            m_document.layoutCell(*t.caption->cell, 0, g.tableWidth, cursor, unusedWidth);
    total += g.captionHeight;
    g.bodyHeight = layoutRows(t, g, cursor) + t.cellSpacing;
    total += g.bodyHeight;
    if (t.caption && t.captionBelow) {
        g.captionHeight =
            m_document.layoutCell(*t.caption->cell, 0, g.tableWidth, cursor, unusedWidth);
        total += g.captionHeight;
    }
    const int spare = available - g.tableWidth;
    g.xOffset = left - im.lfEdge;
    if (spare > 0 && !t.floating) {
        if (t.justify == Justify::Centre)
            g.xOffset += spare / 2;
        else if (t.justify == Justify::Right)
            g.xOffset += spare;
    }
    if (t.floating) {
        const int vs = std::abs(t.vSpace);
        const int band = g.tableWidth + std::abs(t.hSpace) + 1;
        total += 2 * vs;
        if (t.justify == Justify::Right) {
            g.xOffset = im.rightSide(y) - im.lfEdge - g.tableWidth;
            im.addRightFloat(band, y, y + total);
        } else {
            im.addLeftFloat(band, y, y + total);
        }
        g.height = total;
        t.sectionHeight = 0;
        t.drawHeight = total;
        height = 0;
    } else {
        g.height = total;
        t.sectionHeight = total;
        t.drawHeight = total;
        height = total;
    }
    maxWidth = std::max({maxWidth, im.width, g.xOffset + g.tableWidth});
    return true;
}

void TableLayout::measure(ThtmlTable& t, int& minWidth, int& maxWidth)
{
    minWidth = maxWidth = 0;
    QString error;
    TableGeometry* g = geometry(t, error);
    if (!g)
        return;
    const bool ownPixels = t.tableWidth > 0 && !t.widthPercent;
    measureColumns(t, *g, ownPixels ? std::max(20, t.tableWidth - t.cellSpacing) : 1000, ownPixels);
    minWidth = g->minTotal + t.cellSpacing;
    maxWidth = g->maxTotal + t.cellSpacing;
    if (ownPixels) {
        minWidth = std::max(minWidth, t.tableWidth);
        maxWidth = std::max(maxWidth, t.tableWidth);
    }
    if (t.caption) {
        int captionMin = 0;
        int captionMax = 0;
        m_document.measureCell(*t.caption->cell, captionMin, captionMax);
        minWidth = std::max(minWidth, captionMin);
        maxWidth = std::max(maxWidth, captionMin);
    }
}

int TableLayout::paintReach(const ThtmlTable& t) const
{
    const auto it = m_document.store().tables.find(&t);
    if (it == m_document.store().tables.end())
        return 0;
    return (t.floating ? std::abs(t.vSpace) : 0) + it->second->height;
}

int TableLayout::paint(ThtmlTable& t, const PaintContext& pc, int x, int y)
{
    const auto it = m_document.store().tables.find(&t);
    if (it == m_document.store().tables.end())
        return y + t.sectionHeight;
    const TableGeometry& g = *it->second;
    const int result = y + t.sectionHeight;
    if (t.floating)
        y += std::abs(t.vSpace);
    const int scroll = pc.scrollOffset;
    if (y + g.height - scroll <= pc.clip.top() || y - scroll > pc.clip.bottom())
        return result;
    HtmlCanvas& canvas = *pc.canvas;
    const int left = x + g.xOffset;
    if (t.caption && !t.captionBelow) {
        m_document.paintCell(*t.caption->cell, pc, left, y, g.tableWidth);
        y += g.captionHeight;
    }
    const int bodyLeft = left + g.bodyOffset;
    const QRect body(bodyLeft, y - scroll, g.bodyWidth, g.bodyHeight);
    // Only the rows meeting the clip are visited, and the spacing between cells is worked out
    // as a region only when a border colour has to fill it: either for every cell of a large
    // table would make each paint cost the whole table.
    const QRect visible = body & pc.clip;
    if (!visible.isEmpty()) {
        const int sp = t.cellSpacing;
        const int pad = t.cellPadding;
        const bool white = HtmlPainter::backgroundIsWhite(*pc.document, canvas);
        QRegion spacing;
        if (t.hasBorderColor)
            spacing = QRegion(visible);
        const auto [first, last] =
            rowsMeeting(g, visible.top() - body.top(), visible.bottom() - body.top());
        for (size_t r = first; r < last; ++r) {
            const int rowY = y + g.rowTops[r];
            int cx = bodyLeft;
            for (size_t c = 0; c < g.grid[r].size(); ++c) {
                const GridSlot& slot = g.grid[r][c];
                const int colWidth = c < g.widths.size() ? g.widths[c] : 0;
                if (slot.cell && cx <= visible.right()) {
                    const TCellObj& cell = *slot.cell;
                    const int width = sum(g.widths, int(c), slot.colSpan);
                    const QRect box(cx + sp, rowY + sp - scroll, width - sp, cell.totalHeight - sp);
                    if (box.intersects(visible)) {
                        if (slot.hasBackground)
                            canvas.fillRect(box, slot.background);
                        m_document.paintCell(*cell.cell, pc, cx + sp + pad,
                                             rowY + sp + pad + cell.contentOffset,
                                             std::max(0, width - 2 * pad - sp));
                        if (t.border)
                            canvas.drawBevel(box, clBtnShadow, white ? clSilver : clBtnHighlight);
                        if (t.hasBorderColor)
                            spacing -= QRegion(box);
                    }
                }
                cx += colWidth;
            }
        }
        if (t.hasBorderColor) {
            for (const QRect& part : spacing)
                canvas.fillRect(part, t.borderColor);
        }
    }
    if (t.border)
        canvas.drawBevel(body, clBtnHighlight, clBtnShadow);
    y += g.bodyHeight;
    if (t.caption && t.captionBelow)
        m_document.paintCell(*t.caption->cell, pc, left, y, g.tableWidth);
    return result;
}

namespace {

// Calls `visit(cell, cellX, cellY)` with the content origin of every cell of the table laid
// out at the origin, in reading order (caption first or last as drawn); stops when it answers
// true.
template <typename Visit>
bool forEachCell(const ThtmlTable& t, const TableGeometry& g, Visit visit,
                 std::optional<int> onlyAtY = std::nullopt)
{
    const int sp = t.cellSpacing;
    const int pad = t.cellPadding;
    int y = t.floating ? std::abs(t.vSpace) : 0;
    if (t.caption && !t.captionBelow) {
        if (visit(*t.caption->cell, g.xOffset, y))
            return true;
        y += g.captionHeight;
    }
    // With onlyAtY (from the table's top), only the rows that can hold that line are visited.
    size_t firstRow = 0;
    size_t lastRow = g.grid.size();
    if (onlyAtY) {
        std::tie(firstRow, lastRow) = TableLayout::rowsMeeting(g, *onlyAtY - y, *onlyAtY - y);
    }
    for (size_t r = firstRow; r < lastRow; ++r) {
        const int rowY = y + (r < g.rowTops.size() ? g.rowTops[r] : 0);
        int cx = g.xOffset + g.bodyOffset;
        for (size_t c = 0; c < g.grid[r].size(); ++c) {
            const GridSlot& slot = g.grid[r][c];
            if (slot.cell &&
                visit(*slot.cell->cell, cx + sp + pad, rowY + sp + pad + slot.cell->contentOffset))
                return true;
            cx += c < g.widths.size() ? g.widths[c] : 0;
        }
    }
    if (t.caption && t.captionBelow)
        return visit(*t.caption->cell, g.xOffset, y + g.bodyHeight);
    return false;
}

} // namespace

CursorPosition TableLayout::cursorAt(const ThtmlTable& t, int x, int y)
{
    CursorPosition found;
    const auto it = m_document.store().tables.find(&t);
    if (it == m_document.store().tables.end())
        return found;
    const TableGeometry& g = *it->second;
    forEachCell(
        t, g,
        [&](const TCell& cell, int cx, int cy) {
            const int top = t.yValue + cy;
            if (cell.sections.empty() || y < top || x < cx)
                return false;
            CursorPosition p = m_document.cursorInCell(cell, x - cx, y - top);
            if (p.index < 0)
                return false;
            p.caretX += cx;
            p.caretY += top;
            found = p;
            return false; // a later cell further right or below may hold the point
        },
        y - t.yValue);
    return found;
}

template <typename Found, typename Find>
const Found* TableLayout::firstInCells(ThtmlTable& t, int x, int y, Find find)
{
    const Found* found = nullptr;
    const auto it = m_document.store().tables.find(&t);
    if (it == m_document.store().tables.end())
        return nullptr;
    forEachCell(
        t, *it->second,
        [&](const TCell& cell, int cx, int cy) {
            const int top = t.yValue + cy;
            if (x < cx || y < top)
                return false;
            found = find(const_cast<TCell&>(cell), x - cx, y - top);
            return found != nullptr;
        },
        y - t.yValue);
    return found;
}

const TUrlTarget* TableLayout::linkAt(ThtmlTable& t, int x, int y)
{
    return firstInCells<TUrlTarget>(t, x, y, [this](TCell& cell, int cellX, int cellY) {
        return m_document.linkInCell(cell, cellX, cellY);
    });
}

const TImageObj* TableLayout::imageAt(ThtmlTable& t, int x, int y)
{
    return firstInCells<TImageObj>(t, x, y, [this](TCell& cell, int cellX, int cellY) {
        return m_document.imageInCell(cell, cellX, cellY);
    });
}

const TSection* TableLayout::sectionHolding(const ThtmlTable& t, int index) const
{
    if (index < t.startCurs)
        return nullptr;
    if (t.caption) {
        if (const TSection* s = m_document.sectionHolding(*t.caption->cell, index))
            return s;
    }
    for (const auto& row : t.rows) {
        for (const auto& c : row->cells) {
            if (!c)
                continue;
            if (const TSection* s = m_document.sectionHolding(*c->cell, index))
                return s;
        }
    }
    return nullptr;
}

void TableLayout::copy(const ThtmlTable& t, int start, int end, QString& out)
{
    const auto it = m_document.store().tables.find(&t);
    if (it == m_document.store().tables.end())
        return;
    forEachCell(t, *it->second, [&](const TCell& cell, int, int) {
        m_document.copyFromCell(cell, start, end, out);
        return false;
    });
}

} // namespace vantoro
