#pragma once

#include "htmlview/HtmlMeasurer.h"
#include "htmlview/LayoutStore.h"
#include "htmlview/SectionLayout.h"

#include <QRect>
#include <QString>

#include <functional>

namespace vantoro {

class HtmlCanvas;
class TCell;
class TSectionList;
struct TUrlTarget;
struct TImageObj;
class TSection;
class TableLayout;

// Where painting goes: the canvas, the part of it to draw (device pixels), and the document's
// scroll offset subtracted from every document Y.
struct PaintContext
{
    HtmlCanvas* canvas = nullptr;
    const TSectionList* document = nullptr;
    QRect clip;
    int scrollOffset = 0;
    int clipWidth = 6000;
};

// A document position under a point (see cursorAt).
struct CursorPosition
{
    int index = -1; // document character index; -1 when no line is there
    int caretX = 0;
    int caretY = 0;
    int caretHeight = 0;
    bool inText = false;
    int charIndex = -1; // document index of the character whose box holds the point, or -1
};

// Lays out, paints and hit-tests a document. Coordinates: x from the left edge of the text
// area, y in document pixels (the top margin included, as given to layout). One object serves
// one document at a time; its results stay valid until the next layout.
class DocumentLayout
{
public:
    // Called with a message for the user when part of the document cannot be shown ("Table has
    // too many Columns"); layout goes on without that part.
    using ErrorHandler = std::function<void(const QString& message)>;

    explicit DocumentLayout(HtmlMeasurer& measurer, ErrorHandler onError = {});
    ~DocumentLayout();
    DocumentLayout(const DocumentLayout&) = delete;
    DocumentLayout& operator=(const DocumentLayout&) = delete;

    // Lays the whole document out at `width` starting at `topY`; returns its height.
    // `maxWidth` receives the widest line or object.
    int layout(TSectionList& document, int topY, int width, int* maxWidth = nullptr);
    // Paints the document with its left edge at x and its top at y (document pixels); returns
    // the Y below it. Sections and lines outside the clip are skipped.
    int paint(TSectionList& document, HtmlCanvas& canvas, const QRect& clip, int x, int y,
              int clipWidth = 6000);

    CursorPosition cursorAt(const TSectionList& document, int x, int y);
    // The link under the point, or null. Also makes that run the document's active link.
    const TUrlTarget* linkAt(TSectionList& document, int x, int y);
    // The image under the point (inline or floating), or null. Also makes it the document's
    // active image.
    const TImageObj* imageAt(TSectionList& document, int x, int y);
    // The text section holding document index `index` (tables' cells included), or null.
    const TSection* sectionHolding(const TCell& cell, int index) const;
    // Text of the selection [start, end): wrapped lines end with CR LF, indented lines start with
    // three spaces per list indent. Also stored in the document's copy buffer.
    QString copySelection(TSectionList& document, int start, int end);

    // Client height of the view, for tables whose height is a percentage of it.
    void setClientHeight(int height) { m_clientHeight = height; }
    int clientHeight() const { return m_clientHeight; }

    // Used by tables for the content of their cells.
    int layoutCell(TCell& cell, int y, int width, int& cursor, int& maxWidth);
    void measureCell(TCell& cell, int& minWidth, int& maxWidth);
    int paintCell(TCell& cell, const PaintContext& context, int x, int y, int width);
    // Hit tests inside a cell; x and y from the origin the cell was laid out at.
    CursorPosition cursorInCell(const TCell& cell, int x, int y);
    const TUrlTarget* linkInCell(TCell& cell, int x, int y);
    const TImageObj* imageInCell(TCell& cell, int x, int y);
    void copyFromCell(const TCell& cell, int start, int end, QString& out);

    HtmlMeasurer& measurer() { return m_measurer; }
    LayoutStore& store() { return m_store; }
    SectionLayout& sections() { return m_sections; }

private:
    // Index in `section` of the character whose box holds the point, or -1; the point is
    // relative to the cell the section was laid out in.
    int charUnder(TSection& section, int x, int y);

    HtmlMeasurer& m_measurer;
    ErrorHandler m_onError;
    LayoutStore m_store;
    SectionLayout m_sections;
    std::unique_ptr<TableLayout> m_tables;
    int m_clientHeight = 0;
};

} // namespace vantoro
