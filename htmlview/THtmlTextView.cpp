#include "htmlview/THtmlTextView.h"

#include "htmlview/DocumentLayout.h"
#include "htmlview/HtmlParser.h"
#include "htmlview/QtHtmlCanvas.h"
#include "htmlview/QtHtmlMeasurer.h"
#include "htmlview/T32ScrollBar.h"
#include "htmlview/TPaintPanel.h"
#include "htmlview/TSection.h"
#include "htmlview/TSectionList.h"
#include "htmlview/ThtmlTable.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace vantoro {

namespace {

// Runs `leave` when the scope is left, whatever way.
template <typename Leave> class ScopeExit
{
public:
    explicit ScopeExit(Leave leave) : m_leave(std::move(leave)) {}
    ~ScopeExit() { m_leave(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Leave m_leave;
};

// The hour-glass while a setter re-lays the document out.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// Calls `visit` on every text section of the document, tables' cells included. Nesting is
// bounded by the parser, so the recursion is too.
template <typename Visit> void forEachTextSection(TCell& cell, const Visit& visit)
{
    for (auto& s : cell.sections) {
        if (s->kind() == SectionKind::Table) {
            auto& table = static_cast<ThtmlTable&>(*s);
            for (auto& row : table.rows) {
                for (auto& c : row->cells) {
                    if (c)
                        forEachTextSection(*c->cell, visit);
                }
            }
            if (table.caption)
                forEachTextSection(*table.caption->cell, visit);
            continue;
        }
        switch (s->kind()) {
        case SectionKind::Text:
        case SectionKind::Preformatted:
        case SectionKind::UnorderedItem:
        case SectionKind::OrderedItem:
        case SectionKind::DefinitionItem:
            visit(static_cast<TSection&>(*s));
            break;
        default:
            s->refreshFonts();
            break;
        }
    }
}

} // namespace

THtmlTextView::THtmlTextView(QWidget* parent)
    : QWidget(parent), m_document(std::make_unique<TSectionList>()),
      m_measurer(std::make_unique<QtHtmlMeasurer>()),
      m_layout(std::make_unique<DocumentLayout>(
          *m_measurer, [this](const QString& message) { m_pendingErrors.append(message); })),
      m_panel(new TPaintPanel(this)), m_vBar(new T32ScrollBar(Qt::Vertical, this)),
      m_hBar(new QScrollBar(Qt::Horizontal, this)), m_hoverTimer(new QTimer(this)),
      m_autoScrollTimer(new QTimer(this))
{
    m_document->viewImages = true;
    m_document->onBackgroundChanged = [this](TColor color) {
        m_componentColor = color | kHtmlColorFlag;
    };
    m_panel->onPaint = [this](QPaintEvent* event) { paintDocument(event); };
    m_panel->onMouseDown = [this](QMouseEvent* event) { panelMouseDown(event); };
    m_panel->onMouseMove = [this](QMouseEvent* event) { panelMouseMove(event); };
    m_panel->onMouseUp = [this](QMouseEvent* event) { panelMouseUp(event); };
    m_panel->onDoubleClick = [this](QMouseEvent* event) { panelDoubleClick(event); };
    m_panel->setMouseTracking(true);
    m_hoverTimer->setInterval(kHoverInterval);
    connect(m_hoverTimer, &QTimer::timeout, this, [this] { hoverTick(); });
    m_autoScrollTimer->setInterval(kAutoScrollInterval);
    connect(m_autoScrollTimer, &QTimer::timeout, this, [this] { autoScrollStep(); });
    for (QScrollBar* bar : {m_vBar, m_hBar}) {
        bar->hide();
        bar->setFocusPolicy(Qt::NoFocus);
    }
    m_vBar->setSingleStep(kVerticalSmallChange);
    m_hBar->setSingleStep(kHorizontalSmallChange);
    m_scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_vBar);
    connect(m_vBar, &QScrollBar::valueChanged, this, [this](int value) {
        setFocus(Qt::OtherFocusReason);
        scrollByKeyboard(value);
    });
    connect(m_hBar, &QScrollBar::valueChanged, this, [this](int value) {
        setFocus(Qt::OtherFocusReason);
        m_hPosition = value;
        m_panel->update();
    });
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(150, 150);
    arrange();
}

THtmlTextView::~THtmlTextView() = default;

void THtmlTextView::setProcessing(bool on)
{
    if (on == m_processing)
        return;
    m_processing = on;
    Q_EMIT OnProcessing(on);
}

void THtmlTextView::emitPendingErrors()
{
    // Taken first: a host that shows a modal box may run events that lay the view out again.
    const QStringList errors = std::exchange(m_pendingErrors, {});
    for (const QString& message : errors)
        Q_EMIT OnError(message);
}

// ---- loading and layout ----

void THtmlTextView::prepareDocument()
{
    TSectionList& doc = *m_document;
    doc.clear();
    doc.hoverColoring = m_options.testFlag(htOptionEnum::htOverLinksActive);
    doc.background = m_defBackground;
    m_componentColor = m_defBackground;
    // A document's BODY colours are its own: each load starts again from the properties.
    doc.fontColor = m_defFontColor;
    doc.linkColor = m_defHotSpotColor;
    doc.linkVisitedColor = m_defVisitedLinkColor;
    doc.hoverLinkColor = m_defOverLinkColor;
    m_effMarginWidth = m_marginWidth;
    m_effMarginHeight = m_marginHeight;
}

void THtmlTextView::ShowHtml(const QString& html)
{
    ShowHtmlBuffer(html);
}

void THtmlTextView::ShowHtmlBuffer(QStringView html)
{
    if (m_processing)
        return;
    {
        setProcessing(true);
        const ScopeExit guard([this] { setProcessing(false); });
        prepareDocument();
        m_caretIndex = 0;
        m_selectionAnchor = -1;
        m_selecting = false;
        m_leftButtonDown = false;
        stopAutoScroll();
        HtmlParseOptions options;
        options.ownerIsTextView = true;
        options.onMeta = [this](const QString& httpEquiv, const QString& name,
                                const QString& content) {
            Q_EMIT OnMeta(httpEquiv, name, content);
        };
        options.onScript = [this](const QString& name, const QString& language,
                                  const QString& script) {
            Q_EMIT OnScript(name, language, script);
        };
        // Include directives are read as such only when someone answers them.
        if (isSignalConnected(QMetaMethod::fromSignal(&THtmlTextView::OnInclude))) {
            options.onInclude = [this](const QString& command, const QStringList& params) {
                QString buffer;
                Q_EMIT OnInclude(command, params, &buffer);
                return buffer;
            };
        }
        const HtmlParseResult result = ParseHtmlBuffer(*m_document, html, options);
        m_documentTitle = result.title;
        m_base = result.base;
        m_baseTarget = result.baseTarget;
        if (result.marginWidth)
            m_effMarginWidth = std::clamp(*result.marginWidth, 0, kMaxMargin);
        if (result.marginHeight)
            m_effMarginHeight = std::clamp(*result.marginHeight, 0, kMaxMargin);
        m_layingOut = true;
        reLayout();
        m_layingOut = false;
        ScrollToY(0);
        m_hPosition = 0;
        {
            const QSignalBlocker blocker(m_hBar);
            m_hBar->setValue(0);
        }
    }
    update();
    m_panel->update();
    emitPendingErrors();
}

void THtmlTextView::reLayout()
{
    m_maxContentWidth = 0;
    const bool wasLayingOut = m_layingOut;
    m_layingOut = true;
    const int b = m_borderStyle == THTMLBorderStyle::htNone ? 1 : 3;
    const bool vertical =
        m_scrollBars == TScrollStyle::ssVertical || m_scrollBars == TScrollStyle::ssBoth;
    m_layoutWidth = width() - b - 2 * m_effMarginWidth - (vertical ? m_scrollBarWidth : 0);
    m_layout->setClientHeight(height() - 2 * m_effMarginHeight);
    int widest = 0;
    const int docHeight =
        m_layout->layout(*m_document, m_effMarginHeight, std::max(0, m_layoutWidth), &widest);
    m_scrollRange = docHeight + (vertical ? 2 : 1) * m_effMarginHeight;
    m_maxContentWidth = std::min(widest, kMaxContentWidth);
    arrange();
    m_layingOut = wasLayingOut;
}

void THtmlTextView::reLayoutKeepingPosition()
{
    if (m_processing)
        return;
    {
        setProcessing(true);
        const ScopeExit guard([this] { setProcessing(false); });
        const int token = SavePosition();
        reLayout();
        RestorePosition(token);
    }
    // Later, not in here: a modal box would run events in the middle of a setter or a resize.
    if (!m_pendingErrors.isEmpty())
        QTimer::singleShot(0, this, [this] { emitPendingErrors(); });
}

void THtmlTextView::arrange()
{
    const int w = m_scrollBarWidth;
    const int B = 2 * m_marginWidth + std::min(m_maxContentWidth, kMaxContentWidth);
    const int d = m_borderStyle == THTMLBorderStyle::htNone ? 0 : 1;
    const int W = width();
    const int H = height();
    const bool horizontalPossible =
        m_scrollBars == TScrollStyle::ssHorizontal || m_scrollBars == TScrollStyle::ssBoth;
    const bool verticalStyle =
        m_scrollBars == TScrollStyle::ssVertical || m_scrollBars == TScrollStyle::ssBoth;
    const bool showV = m_options.testFlag(htOptionEnum::htShowVScroll);
    bool needV = false;
    bool needH = false;
    if (!verticalStyle) {
        needH = horizontalPossible && W < B;
    } else {
        needV = m_scrollRange >= H - 2 ||
                (horizontalPossible && m_scrollRange >= H - w - 2 && W - w < B);
        needH = horizontalPossible && (W < B || ((needV || showV) && W - w < B));
    }
    const int usable = (needV || (showV && verticalStyle)) ? W - w : W;
    const int panelHeight = std::max(0, H - 2 * d - (needH ? w : 0));
    m_panel->setGeometry(d, d, std::max(0, usable - 2 * d), panelHeight);

    {
        const QSignalBlocker blocker(m_hBar);
        m_hBar->setVisible(needH);
        m_hBar->setGeometry(d, H - w - d, std::max(0, usable - d), w);
        const int maximum = std::max(0, std::max(B, usable - 2 * d));
        m_hBar->setPageStep(std::max(1, usable));
        m_hBar->setRange(0, std::max(0, maximum - usable));
        m_hBar->setSingleStep(kHorizontalSmallChange);
        m_hPosition = std::clamp(m_hPosition, 0, m_hBar->maximum());
        m_hBar->setValue(m_hPosition);
    }
    {
        const QSignalBlocker blocker(m_vBar);
        m_vBar->setGeometry(W - w - d, d, w, std::max(0, H - 2 * d));
        if (showV) {
            m_vBar->setVisible(verticalStyle);
            m_vBar->setEnabled(needV);
        } else {
            m_vBar->setVisible(needV);
            m_vBar->setEnabled(true);
        }
        m_vBar->setPageStep(std::max(1, panelHeight - kVerticalSmallChange));
        m_vBar->setRange(0, std::max(0, m_scrollRange - panelHeight));
        m_vBar->setValue(m_position);
    }
    update();
}

// ---- scrolling ----

void THtmlTextView::setVerticalPosition(int y)
{
    m_position = std::max(0, std::min(y, m_scrollRange - m_panel->height()));
    m_document->scrollOffset = m_position;
    m_panel->update();
}

void THtmlTextView::scrollByKeyboard(int newPosition)
{
    const int target = std::max(0, std::min(newPosition, m_scrollRange - m_panel->height()));
    const int dy = target - m_position;
    if (dy == 0)
        return;
    {
        const QSignalBlocker blocker(m_vBar);
        m_vBar->setValue(target);
    }
    m_position = target;
    m_document->scrollOffset = target;
    // A short move shifts the pixels already drawn; only the uncovered strip is painted.
    if (std::abs(dy) < m_panel->height() / 2)
        m_panel->scroll(0, -dy);
    else
        m_panel->update();
}

void THtmlTextView::ScrollToY(int y)
{
    setVerticalPosition(y);
    const QSignalBlocker blocker(m_vBar);
    m_vBar->setValue(m_position);
}

int THtmlTextView::SavePosition() const
{
    const auto& sections = m_document->sections;
    for (size_t i = 0; i < sections.size(); ++i) {
        const TSectionBase& s = *sections[i];
        if (m_position >= s.yValue && m_position < s.yValue + std::max(1, s.sectionHeight))
            return int(i) * 65536 + (m_position - s.yValue);
    }
    return 0;
}

void THtmlTextView::RestorePosition(int token)
{
    if (token < 0)
        return;
    const size_t index = size_t(token / 65536);
    if (index < m_document->sections.size())
        ScrollToY(m_document->sections[index]->yValue + token % 65536);
    else if (token == 0)
        ScrollToY(0);
}

// ---- painting ----

bool THtmlTextView::borderShown() const
{
    return m_borderStyle == THTMLBorderStyle::htSingle ||
           (m_borderStyle == THTMLBorderStyle::htFocused && hasFocus());
}

void THtmlTextView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    QtHtmlCanvas canvas(painter, *m_measurer, palette());
    canvas.fillRect(event->rect(), m_componentColor);
    if (borderShown())
        canvas.drawBevel(rect(), 0x80000015 /* dark shadow */, 0x80000015);
}

void THtmlTextView::paintDocument(QPaintEvent* event)
{
    QPainter painter(m_panel);
    QtHtmlCanvas canvas(painter, *m_measurer, palette());
    canvas.setTextColourFilter(m_textColourFilter, canvas.toQColor(m_document->background));
    canvas.fillRect(event->rect(), m_componentColor);
    if (m_layingOut)
        return;
    m_document->scrollOffset = m_position;
    m_layout->paint(*m_document, canvas, event->rect(), m_effMarginWidth - m_hPosition,
                    m_effMarginHeight, kMaxContentWidth);
}

void THtmlTextView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_processing)
        arrange();
    else
        reLayoutKeepingPosition();
    if (m_scrollRange < m_panel->height())
        RestorePosition(0);
    else
        ScrollToY(m_position);
}

void THtmlTextView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
    Q_EMIT OnEnter();
}

void THtmlTextView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

bool THtmlTextView::verticalBarVisible() const
{
    return !m_vBar->isHidden();
}

bool THtmlTextView::horizontalBarVisible() const
{
    return !m_hBar->isHidden();
}

QRect THtmlTextView::paintPanelGeometry() const
{
    return m_panel->geometry();
}

// ---- properties ----

void THtmlTextView::refreshFonts(const QString& oldName, const QString& oldPreName, TColor oldColor)
{
    TSectionList& doc = *m_document;
    const int size = doc.defaultFontSize;
    forEachTextSection(doc, [&](TSection& s) {
        for (auto& run : s.fonts) {
            TMyFont& f = run->font;
            if (f.name.compare(oldName, Qt::CaseInsensitive) == 0 && !f.fixedPitch)
                f.name = doc.defaultFontName;
            else if (f.name.compare(oldPreName, Qt::CaseInsensitive) == 0)
                f.name = doc.preFontName;
            if (f.color == oldColor)
                f.color = doc.fontColor;
            f.charSet = doc.charSet;
            f.setNominalSize(f.nominalSize, size);
        }
        s.defaultFont = s.fonts.front()->font;
    });
}

void THtmlTextView::setViewImages(bool on)
{
    if (m_processing || on == m_viewImages)
        return;
    const BusyCursor busy;
    m_viewImages = on;
    m_document->viewImages = on;
    reLayoutKeepingPosition();
    m_panel->update();
}

void THtmlTextView::setDefBackground(TColor color)
{
    if (m_processing)
        return;
    m_defBackground = color;
    m_componentColor = color;
    m_document->background = color;
    update();
    m_panel->update();
}

void THtmlTextView::setDefBackground(const QColor& color)
{
    setDefBackground(TColor(color.red()) | (TColor(color.green()) << 8) |
                     (TColor(color.blue()) << 16));
}

void THtmlTextView::setBorderStyle(THTMLBorderStyle style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    if (m_document->isEmpty() || m_processing)
        arrange();
    else
        reLayoutKeepingPosition();
    update();
}

void THtmlTextView::setHistoryMaxCount(int count)
{
    // No history is kept for documents loaded from strings; only the limit is stored.
    if (count < 0 || count == m_historyMaxCount)
        return;
    m_historyMaxCount = count;
}

QString THtmlTextView::defFontName() const
{
    return m_document->defaultFontName;
}

QString THtmlTextView::defPreFontName() const
{
    return m_document->preFontName;
}

int THtmlTextView::defFontSize() const
{
    return m_document->defaultFontSize;
}

TColor THtmlTextView::defFontColor() const
{
    return m_defFontColor;
}

TColor THtmlTextView::defHotSpotColor() const
{
    return m_defHotSpotColor;
}

TColor THtmlTextView::defVisitedLinkColor() const
{
    return m_defVisitedLinkColor;
}

TColor THtmlTextView::defOverLinkColor() const
{
    return m_defOverLinkColor;
}

HtmlCharSet THtmlTextView::charSet() const
{
    return m_document->charSet;
}

void THtmlTextView::setDefFontName(const QString& name)
{
    if (name.compare(m_document->defaultFontName, Qt::CaseInsensitive) == 0)
        return;
    const QString old = m_document->defaultFontName;
    m_document->defaultFontName = name.left(32);
    refreshFonts(old, m_document->preFontName, m_document->fontColor);
    if (!m_document->isEmpty())
        reLayoutKeepingPosition();
    m_panel->update();
}

void THtmlTextView::setDefPreFontName(const QString& name)
{
    if (name.compare(m_document->preFontName, Qt::CaseInsensitive) == 0)
        return;
    const QString old = m_document->preFontName;
    m_document->preFontName = name.left(32);
    refreshFonts(m_document->defaultFontName, old, m_document->fontColor);
    if (!m_document->isEmpty())
        reLayoutKeepingPosition();
    m_panel->update();
}

void THtmlTextView::setDefFontSize(int points)
{
    m_document->defaultFontSize = std::max(6, points);
    refreshFonts(m_document->defaultFontName, m_document->preFontName, m_document->fontColor);
    if (!m_document->isEmpty())
        reLayoutKeepingPosition();
    m_panel->update();
}

// The colour setters change the shown document only where it uses the property's colour: a
// document that set its own colour in BODY keeps it.
void THtmlTextView::setDefFontColor(TColor color)
{
    const TColor old = m_defFontColor;
    m_defFontColor = color;
    if (m_document->fontColor == old) {
        m_document->fontColor = color;
        refreshFonts(m_document->defaultFontName, m_document->preFontName, old);
    }
    m_panel->update();
}

void THtmlTextView::setTextColourFilter(QtHtmlCanvas::TextColourFilter filter)
{
    m_textColourFilter = filter;
    m_panel->update();
}

void THtmlTextView::setDefHotSpotColor(TColor color)
{
    if (m_document->linkColor == m_defHotSpotColor)
        m_document->linkColor = color;
    m_defHotSpotColor = color;
    m_panel->update();
}

void THtmlTextView::setDefVisitedLinkColor(TColor color)
{
    if (m_document->linkVisitedColor == m_defVisitedLinkColor)
        m_document->linkVisitedColor = color;
    m_defVisitedLinkColor = color;
    m_panel->update();
}

void THtmlTextView::setDefOverLinkColor(TColor color)
{
    if (m_document->hoverLinkColor == m_defOverLinkColor)
        m_document->hoverLinkColor = color;
    m_defOverLinkColor = color;
    m_panel->update();
}

void THtmlTextView::setVisitedMaxCount(int count)
{
    count = std::max(0, count);
    if (count == m_visitedMaxCount)
        return;
    m_visitedMaxCount = count;
    if (count == 0) {
        for (TFontObj* link : m_document->links)
            link->visited = false;
        m_panel->update();
    }
}

void THtmlTextView::setImageCacheCount(int count)
{
    m_imageCacheCount = std::clamp(count, 0, 20);
}

void THtmlTextView::setNoSelect(bool on)
{
    m_noSelect = on;
    if (on) {
        m_document->selStart = -1;
        m_document->selEnd = -1;
        m_panel->update();
    }
}

void THtmlTextView::setScrollBars(TScrollStyle style)
{
    if (style == m_scrollBars)
        return;
    m_scrollBars = style;
    if (m_processing)
        arrange();
    else
        reLayoutKeepingPosition();
    m_panel->update();
}

void THtmlTextView::setCharSet(HtmlCharSet charSet)
{
    m_document->charSet = charSet;
    refreshFonts(m_document->defaultFontName, m_document->preFontName, m_document->fontColor);
    if (!m_document->isEmpty())
        reLayoutKeepingPosition();
    m_panel->update();
}

void THtmlTextView::setMarginHeight(int pixels)
{
    if (pixels == m_marginHeight || pixels < 0 || m_processing)
        return;
    const BusyCursor busy;
    m_marginHeight = std::min(pixels, kMaxMargin);
    m_effMarginHeight = m_marginHeight;
    if (!m_document->isEmpty())
        reLayoutKeepingPosition();
    else
        arrange();
}

void THtmlTextView::setMarginWidth(int pixels)
{
    if (pixels == m_marginWidth || pixels < 0 || m_processing)
        return;
    const BusyCursor busy;
    m_marginWidth = std::min(pixels, kMaxMargin);
    m_effMarginWidth = m_marginWidth;
    if (!m_document->isEmpty())
        reLayoutKeepingPosition();
    else
        arrange();
}

void THtmlTextView::setServerRoot(const QString& root)
{
    m_serverRoot = root.trimmed();
    if (m_serverRoot.endsWith(u'/'))
        m_serverRoot.chop(1);
}

void THtmlTextView::sethtOptions(THtmlViewOptions options)
{
    if (options == m_options)
        return;
    m_options = options;
    m_document->hoverColoring = options.testFlag(htOptionEnum::htOverLinksActive);
    m_document->linkStyle = options.testFlag(htOptionEnum::htNoLinkUnderline)
                                ? FontStyles()
                                : FontStyles(FontStyle::Underline);
    m_document->showCaret = options.testFlag(htOptionEnum::htShowDummyCaret);
    arrange();
    m_panel->update();
}

} // namespace vantoro
