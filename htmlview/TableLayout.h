#pragma once

#include "htmlview/HtmlTypes.h"

#include <QString>

#include <utility>
#include <vector>

namespace vantoro {

class DocumentLayout;
class IndentManagerBasic;
class TCellObj;
class ThtmlTable;
struct PaintContext;
struct CursorPosition;
struct TUrlTarget;
struct TImageObj;
class TSection;

// One slot of a table's grid: a cell, an empty slot, or a placeholder covered by a span.
struct GridSlot
{
    TCellObj* cell = nullptr; // null for empty slots and placeholders
    int colSpan = 1;          // 0 for a placeholder
    int rowSpan = 1;
    TColor background = clBlack;
    bool hasBackground = false;
};

// The sizes of one table from its last layout.
struct TableGeometry
{
    std::vector<std::vector<GridSlot>> grid;
    int columns = 0;
    bool pixelWidths = false; // some cell has a width in pixels
    TColor background = clBlack;
    bool hasBackground = false;
    std::vector<int> minWidths;
    std::vector<int> maxWidths;
    std::vector<int> shares; // tenths of a percent
    int minTotal = 0;
    int maxTotal = 0;
    std::vector<int> widths; // of each column, its left spacing included
    std::vector<int> rowHeights;
    // Row r spans rowTops[r] .. rowTops[r + 1] from the top of the body (rowTops has one entry
    // more than there are rows). rowReach[r] is the lowest bottom of any cell starting in row r
    // or above (a cell spanning rows reaches below its own), so it never decreases: the rows
    // that can draw in a band are found by two binary searches.
    std::vector<int> rowTops;
    std::vector<int> rowReach;
    int bodyWidth = 0;  // columns + the spacing after the last
    int tableWidth = 0; // the larger of the body and the caption
    int bodyOffset = 0; // centres the body under a wider caption
    int xOffset = 0;    // from the cell's left edge
    int captionHeight = 0;
    int bodyHeight = 0;
    int height = 0;
};

// Grid, column widths, rows, placement and painting of tables. Cell contents are laid out and
// painted through the DocumentLayout that owns this object.
class TableLayout
{
public:
    static constexpr int kMaxColumns = 200;
    static inline const QString kTooManyColumns = QStringLiteral("Table has too many Columns");

    explicit TableLayout(DocumentLayout& document);

    // Lays the table out at y; returns the height it takes in the flow (0 when it floats).
    // Answers false with `error` set when the table cannot be laid out; the caller drops it.
    bool layout(ThtmlTable& table, int y, IndentManagerBasic& indents, int& maxWidth, int& cursor,
                int& height, QString& error);
    void measure(ThtmlTable& table, int& minWidth, int& maxWidth);
    int paint(ThtmlTable& table, const PaintContext& context, int x, int y);
    // How far below its top a table placed at y can draw (0 when it was not laid out).
    int paintReach(const ThtmlTable& table) const;
    CursorPosition cursorAt(const ThtmlTable& table, int x, int y);
    const TUrlTarget* linkAt(ThtmlTable& table, int x, int y);
    const TImageObj* imageAt(ThtmlTable& table, int x, int y);
    const TSection* sectionHolding(const ThtmlTable& table, int index) const;
    void copy(const ThtmlTable& table, int start, int end, QString& out);

    // Builds the grid of `table` into `g`; false with `error` for too many columns.
    static bool buildGrid(const ThtmlTable& table, TableGeometry& g, QString& error);
    // Column minimum and maximum widths and shares for an available width (step of sizing
    // that needs no layout of the cells).
    void measureColumns(ThtmlTable& table, TableGeometry& g, int available, bool useShares);
    // Column widths for an available width, from the measured columns.
    static void columnWidths(const ThtmlTable& table, TableGeometry& g, int available);

    // The rows [first, last) that have a cell meeting the band from `top` to `bottom`
    // (inclusive, from the top of the body).
    static std::pair<size_t, size_t> rowsMeeting(const TableGeometry& g, int top, int bottom);

private:
    // The first non-null answer of `find(cell, x, y)` (the point relative to the cell) among
    // the cells at or left of and above the point (x, y).
    template <typename Found, typename Find>
    const Found* firstInCells(ThtmlTable& table, int x, int y, Find find);
    TableGeometry* geometry(ThtmlTable& table, QString& error);
    int layoutRows(ThtmlTable& table, TableGeometry& g, int& cursor);

    DocumentLayout& m_document;
    TColor m_enclosingColor = clBlack;
    bool m_enclosingHasColor = false;
};

} // namespace vantoro
