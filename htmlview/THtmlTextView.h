#pragma once

#include "htmlview/HtmlTypes.h"
#include "htmlview/QtHtmlCanvas.h"

#include <QColor>
#include <QCursor>
#include <QFlags>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QMenu;
class QScrollBar;
class QTimer;

namespace vantoro {

class DocumentLayout;
class QtHtmlMeasurer;
class TPaintPanel;
class TSectionList;
struct TImageObj;
struct TUrlTarget;

enum class THTMLBorderStyle { htFocused, htNone, htSingle };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum class htOptionEnum {
    htOverLinksActive = 1,
    htNoLinkUnderline = 2,
    htShowDummyCaret = 4,
    htShowVScroll = 8,
};
Q_DECLARE_FLAGS(THtmlViewOptions, htOptionEnum)
Q_DECLARE_OPERATORS_FOR_FLAGS(THtmlViewOptions)

// What a right click found under the mouse.
struct TRightClickParameters
{
    const TImageObj* image = nullptr; // the image under the mouse, or null
    int imageX = 0;                   // the point inside that image
    int imageY = 0;
    QString url; // the link under the mouse (empty when none) and its target
    QString target;
    QString clickWord; // the word under the mouse (empty when none)
};

// A read-only view of a small HTML document: word wrap, fonts, colours, an optional border and
// scroll bars, mouse selection, link hovering and keyboard scrolling. It owns the document,
// fills it with the parser, lays it out for its width and paints it on a child panel through
// the toolkit's back buffer. Out-of-range property values are corrected silently. The engine
// depends on Qt alone: messages for the user are signalled (OnError) for the host to show.
// GUI thread only; the events below are delivered synchronously (the sender is the view).
class THtmlTextView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxContentWidth = 6000;
    static constexpr int kMaxMargin = 200;
    static constexpr int kVerticalSmallChange = 16;
    static constexpr int kHorizontalSmallChange = 15;

    explicit THtmlTextView(QWidget* parent = nullptr);
    ~THtmlTextView() override;

    // Replaces the document by the one `html` describes, scrolls to the top and clears the
    // selection. Ignored while a load or re-layout is running.
    void ShowHtml(const QString& html);
    void ShowHtmlBuffer(QStringView html);

    static constexpr int kHoverInterval = 200;      // ms
    static constexpr int kAutoScrollInterval = 100; // ms
    static constexpr int kMiddleScrollDeadZone = 20;

    bool viewImages() const { return m_viewImages; }
    void setViewImages(bool on);
    TColor defBackground() const { return m_defBackground; }
    void setDefBackground(TColor color);
    void setDefBackground(const QColor& color);
    // Without this a Qt::GlobalColor would convert to TColor as a plain number.
    void setDefBackground(Qt::GlobalColor color) { setDefBackground(QColor(color)); }
    THTMLBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(THTMLBorderStyle style);
    int historyMaxCount() const { return m_historyMaxCount; }
    void setHistoryMaxCount(int count);
    QString defFontName() const;
    void setDefFontName(const QString& name);
    QString defPreFontName() const;
    void setDefPreFontName(const QString& name);
    int defFontSize() const;
    void setDefFontSize(int points);
    TColor defFontColor() const;
    void setDefFontColor(TColor color);
    // Every text is drawn in filter(its colour, its background): the host keeps text readable
    // on a background it fixed. Null (the default) draws the document's colours as they are.
    void setTextColourFilter(QtHtmlCanvas::TextColourFilter filter);
    TColor defHotSpotColor() const;
    void setDefHotSpotColor(TColor color);
    TColor defVisitedLinkColor() const;
    void setDefVisitedLinkColor(TColor color);
    TColor defOverLinkColor() const;
    void setDefOverLinkColor(TColor color);
    int visitedMaxCount() const { return m_visitedMaxCount; }
    void setVisitedMaxCount(int count);
    int imageCacheCount() const { return m_imageCacheCount; }
    void setImageCacheCount(int count);
    bool noSelect() const { return m_noSelect; }
    void setNoSelect(bool on);
    TScrollStyle scrollBars() const { return m_scrollBars; }
    void setScrollBars(TScrollStyle style);
    HtmlCharSet charSet() const;
    void setCharSet(HtmlCharSet charSet);
    int marginHeight() const { return m_marginHeight; }
    void setMarginHeight(int pixels);
    int marginWidth() const { return m_marginWidth; }
    void setMarginWidth(int pixels);
    QString serverRoot() const { return m_serverRoot; }
    void setServerRoot(const QString& root);
    THtmlViewOptions htOptions() const { return m_options; }
    void sethtOptions(THtmlViewOptions options);

    // Scrolls so that document pixel y is at the top (clamped to the scroll range).
    void ScrollToY(int y);
    // (section index × 65536) + offset into it of the top of the view; 0 when none.
    int SavePosition() const;
    void RestorePosition(int token);

    // The selection as plain text (wrapped lines end in CR LF); also kept in the document's
    // copy buffer. Empty when nothing is selected.
    QString SelectedText();
    // Puts the selection on the clipboard as plain text; nothing when nothing is selected.
    void CopySelection();
    // Selection in document character indexes; start == end when nothing is selected.
    int selStart() const;
    int selEnd() const;
    void setSelection(int start, int end);
    int caretIndex() const { return m_caretIndex; }

    // Hit tests at a point of the paint panel. LinkAt answers for text and images inside a link.
    QString LinkAt(QPoint panelPoint, QString* target = nullptr);
    const TImageObj* ImageAt(QPoint panelPoint);
    // The word (letters, digits and characters from 192 up) around document index `index`; an
    // empty range when the character there is not such a character.
    bool WordAt(int index, int& start, int& end);

    // Mouse state, for the host and tests.
    bool middleScrollMode() const { return m_middleScroll; }
    bool autoScrolling() const { return m_autoScrolling; }
    QString hoverLink() const { return m_hoverUrl; }
    TPaintPanel* paintPanel() const { return m_panel; }

    // State of the last layout and arrangement.
    int position() const { return m_position; }
    int horizontalPosition() const { return m_hPosition; }
    int scrollRange() const { return m_scrollRange; }
    int maxContentWidth() const { return m_maxContentWidth; }
    int layoutWidth() const { return m_layoutWidth; }
    int scrollBarWidth() const { return m_scrollBarWidth; }
    bool verticalBarVisible() const;
    bool horizontalBarVisible() const;
    bool borderShown() const;
    QRect paintPanelGeometry() const;
    bool processing() const { return m_processing; }
    TSectionList& document() { return *m_document; }
    DocumentLayout& layoutEngine() { return *m_layout; }

Q_SIGNALS:
    // A part of the document cannot be shown ("Table has too many Columns"); sent once the load
    // or re-layout that met it has finished, so the host may show a modal box.
    void OnError(const QString& message);
    // The link under the mouse changed; empty when it left a link.
    void OnHotSpotCovered(const QString& SRC);
    // A link was clicked with nothing selected; set *Handled to keep the view from following it
    // (it follows nothing itself: documents come from strings).
    void OnHotSpotClick(const QString& SRC, bool* Handled);
    void OnProcessing(bool ProcessingOn);
    void OnMeta(const QString& HttpEq, const QString& Name, const QString& Content);
    void OnScript(const QString& Name, const QString& Language, const QString& Script);
    // An include directive (<!--#command params-->): set *Buffer to the text to insert.
    void OnInclude(const QString& Command, const QStringList& Params, QString* Buffer);
    // The right button was released. Connecting this signal replaces the view's own menu.
    void OnRightClick(const TRightClickParameters& Parameters);
    void OnMouseDouble(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void OnImageClick(const TImageObj* Obj, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                      int X, int Y);
    void OnImageOver(const TImageObj* Obj, Qt::KeyboardModifiers Shift, int X, int Y);
    // The toolkit's mouse and key events; coordinates are those of the paint panel. A key
    // handler may set *Key to 0 to keep the view from acting on it.
    void OnMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void OnMouseMove(Qt::KeyboardModifiers Shift, int X, int Y);
    void OnMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void OnKeyDown(int* Key, Qt::KeyboardModifiers Shift);
    void OnKeyUp(int* Key, Qt::KeyboardModifiers Shift);
    void OnKeyPress(const QString& Text);
    void OnEnter();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void panelMouseDown(QMouseEvent* event);
    void panelMouseMove(QMouseEvent* event);
    void panelMouseUp(QMouseEvent* event);
    void panelDoubleClick(QMouseEvent* event);
    void extendSelection(QPoint panelPoint);
    void startAutoScroll();
    void stopAutoScroll();
    void autoScrollStep();
    void endMiddleScroll();
    void hoverTick();
    void setHover(const QString& url, const QString& target);
    void showContextMenu(QPoint panelPoint);
    QPoint documentPoint(QPoint panelPoint) const;
    void scrollByKeyboard(int newPosition);
    void setProcessing(bool on);
    void emitPendingErrors();

    void prepareDocument();
    void reLayout();
    void reLayoutKeepingPosition();
    void arrange();
    void refreshFonts(const QString& oldName, const QString& oldPreName, TColor oldColor);
    void paintDocument(QPaintEvent* event);
    void setVerticalPosition(int y);

    std::unique_ptr<TSectionList> m_document;
    std::unique_ptr<QtHtmlMeasurer> m_measurer;
    std::unique_ptr<DocumentLayout> m_layout;
    TPaintPanel* m_panel;
    QScrollBar* m_vBar;
    QScrollBar* m_hBar;
    QTimer* m_hoverTimer;
    QTimer* m_autoScrollTimer;
    QMenu* m_contextMenu = nullptr;
    QStringList m_pendingErrors;

    bool m_viewImages = true;
    TColor m_defBackground = clBtnFace;
    TColor m_componentColor = clBtnFace;
    THTMLBorderStyle m_borderStyle = THTMLBorderStyle::htFocused;
    int m_historyMaxCount = 0;
    int m_visitedMaxCount = 50;
    int m_imageCacheCount = 5;
    bool m_noSelect = false;
    TScrollStyle m_scrollBars = TScrollStyle::ssBoth;
    int m_marginHeight = 5;
    int m_marginWidth = 10;
    int m_effMarginHeight = 5;
    int m_effMarginWidth = 10;
    QString m_serverRoot;
    THtmlViewOptions m_options;

    bool m_processing = false;
    bool m_layingOut = false;
    int m_scrollBarWidth = 16;
    int m_scrollRange = 0;
    int m_maxContentWidth = 0;
    int m_layoutWidth = 0;
    int m_position = 0;
    int m_hPosition = 0;
    int m_caretIndex = 0;
    int m_selectionAnchor = -1;
    TColor m_defFontColor = clBtnText;
    QtHtmlCanvas::TextColourFilter m_textColourFilter = nullptr;
    TColor m_defHotSpotColor = clBlue;
    TColor m_defVisitedLinkColor = clPurple;
    TColor m_defOverLinkColor = clBlue;

    // Mouse state.
    bool m_leftButtonDown = false;
    bool m_selecting = false;
    bool m_autoScrolling = false;
    bool m_middleScroll = false;
    int m_middleAnchorY = 0;
    bool m_linkClick = false;
    QPoint m_lastMouse; // last pointer position seen, panel coordinates
    QString m_hoverUrl;
    QString m_hoverTarget;
    QCursor m_textCursor{Qt::IBeamCursor}; // the view's cursor over selectable text
    QString m_documentTitle;
    QString m_base;
    QString m_baseTarget;
};

} // namespace vantoro
