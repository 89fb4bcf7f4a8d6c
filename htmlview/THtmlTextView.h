#pragma once

#include "htmlview/HtmlTypes.h"

#include <QColor>
#include <QFlags>
#include <QString>
#include <QWidget>

#include <memory>

class QScrollBar;

namespace vantoro {

class DocumentLayout;
class MessageBoxes;
class QtHtmlMeasurer;
class TPaintPanel;
class TSectionList;

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

// A read-only view of a small HTML document: word wrap, fonts, colours, an optional border and
// scroll bars. It owns the document, fills it with the parser, lays it out for its width and
// paints it on a child panel through the toolkit's back buffer. Out-of-range property values
// are corrected silently. GUI thread only.
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

    // Where messages about the document go ("Table has too many Columns"); not owned, may be
    // null (then they are dropped).
    void setMessageBoxes(MessageBoxes* messages);

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

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
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
    MessageBoxes* m_messages = nullptr;

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
    QString m_documentTitle;
    QString m_base;
    QString m_baseTarget;
};

} // namespace vantoro
