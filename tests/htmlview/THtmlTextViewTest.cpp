#include "htmlview/THtmlTextView.h"
#include "htmlview/GuideTexts.h"
#include "htmlview/TSection.h"
#include "htmlview/TSectionList.h"

#include <QImage>
#include <QLineEdit>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

// The main window's guide panel as that window sets it up.
void setUpMemoGuide(THtmlTextView& v)
{
    v.setViewImages(false);
    v.setBorderStyle(THTMLBorderStyle::htSingle);
    v.setHistoryMaxCount(0);
    v.setDefFontName(QStringLiteral("Times New Roman"));
    v.setDefPreFontName(QStringLiteral("Courier New"));
    v.setImageCacheCount(0);
    v.setNoSelect(true);
    v.setScrollBars(TScrollStyle::ssNone);
    v.setCharSet(HtmlCharSet::Default);
    v.setMarginHeight(2);
}

// The player window's instruction panel.
void setUpMemoMark(THtmlTextView& v)
{
    v.setDefBackground(clAqua);
    v.setBorderStyle(THTMLBorderStyle::htFocused);
    v.setHistoryMaxCount(0);
    v.setDefFontName(QStringLiteral("Arial"));
    v.setDefPreFontName(QStringLiteral("Courier New"));
    v.setDefFontSize(10);
    v.setNoSelect(false);
    v.setMarginHeight(2);
}

QString longText(int words)
{
    QString html;
    for (int i = 0; i < words; ++i)
        html += QStringLiteral("word%1 ").arg(i);
    return html;
}

TEST(THtmlTextView, DefaultsAndCorrections)
{
    THtmlTextView v;
    EXPECT_TRUE(v.viewImages());
    EXPECT_EQ(v.defBackground(), clBtnFace);
    EXPECT_EQ(v.borderStyle(), THTMLBorderStyle::htFocused);
    EXPECT_EQ(v.historyMaxCount(), 0);
    EXPECT_EQ(v.defFontName(), "Times New Roman");
    EXPECT_EQ(v.defPreFontName(), "Courier New");
    EXPECT_EQ(v.defFontSize(), 12);
    EXPECT_FALSE(v.noSelect());
    EXPECT_EQ(v.scrollBars(), TScrollStyle::ssBoth);
    EXPECT_EQ(v.marginHeight(), 5);
    EXPECT_EQ(v.marginWidth(), 10);
    EXPECT_EQ(v.imageCacheCount(), 5);
    EXPECT_EQ(v.visitedMaxCount(), 50);
    EXPECT_EQ(v.htOptions(), THtmlViewOptions());
    EXPECT_EQ(v.width(), 150);
    EXPECT_EQ(v.height(), 150);

    v.setDefFontSize(4);
    EXPECT_EQ(v.defFontSize(), 6);
    v.setMarginWidth(500);
    EXPECT_EQ(v.marginWidth(), 200);
    v.setMarginHeight(-1);
    EXPECT_EQ(v.marginHeight(), 5);
    v.setImageCacheCount(25);
    EXPECT_EQ(v.imageCacheCount(), 20);
    v.setImageCacheCount(-3);
    EXPECT_EQ(v.imageCacheCount(), 0);
    v.setHistoryMaxCount(-1);
    EXPECT_EQ(v.historyMaxCount(), 0);
    v.setVisitedMaxCount(-5);
    EXPECT_EQ(v.visitedMaxCount(), 0);
    v.setDefFontName(QString(40, u'x'));
    EXPECT_EQ(v.defFontName().size(), 32);
    v.setDefBackground(Qt::cyan);
    EXPECT_EQ(v.defBackground(), clAqua);
    v.setDefBackground(QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(v.defBackground(), 0x00302010u);
    v.setServerRoot(QStringLiteral("  /srv/www/ "));
    EXPECT_EQ(v.serverRoot(), "/srv/www");
}

TEST(THtmlTextView, MemoGuideWrapsToTheWidthLessBorderAndMarginsWithoutBars)
{
    THtmlTextView v;
    setUpMemoGuide(v);
    v.resize(300, 60);
    v.ShowHtml(longText(200));
    EXPECT_EQ(v.layoutWidth(), 300 - 3 - 20);
    EXPECT_GT(v.scrollRange(), 60);
    EXPECT_FALSE(v.verticalBarVisible());
    EXPECT_FALSE(v.horizontalBarVisible());
    EXPECT_TRUE(v.borderShown());
    EXPECT_EQ(v.paintPanelGeometry(), QRect(1, 1, 298, 58));
}

TEST(THtmlTextView, MemoMarkWrapsAsIfTheBarWereThereAndShowsItOnlyWhenNeeded)
{
    THtmlTextView v;
    setUpMemoMark(v);
    v.resize(400, 120);
    v.ShowHtml(QStringLiteral("short"));
    EXPECT_EQ(v.layoutWidth(), 400 - v.scrollBarWidth() - 3 - 20);
    EXPECT_FALSE(v.verticalBarVisible());
    EXPECT_FALSE(v.borderShown()); // only while it has the focus
    // The bar appears once the text and both margins reach the height less 2.
    EXPECT_LT(v.scrollRange(), 120 - 2);

    v.ShowHtml(longText(300));
    EXPECT_GE(v.scrollRange(), 120 - 2);
    EXPECT_TRUE(v.verticalBarVisible());
    EXPECT_EQ(v.layoutWidth(), 400 - v.scrollBarWidth() - 3 - 20);
    EXPECT_EQ(v.paintPanelGeometry().width(), 400 - v.scrollBarWidth() - 2);
}

TEST(THtmlTextView, BarAppearsExactlyAtTheThreshold)
{
    // One text line is h pixels; with margins 2 the range is h*n + 4. Find the view height at
    // which the bar appears: height - 2 <= range.
    THtmlTextView v;
    setUpMemoMark(v);
    v.resize(400, 300);
    v.show(); // a hidden widget gets its resize events only when shown
    v.ShowHtml(QStringLiteral("one line"));
    const int range = v.scrollRange();
    v.resize(400, range + 3);
    EXPECT_FALSE(v.verticalBarVisible());
    v.resize(400, range + 2);
    EXPECT_TRUE(v.verticalBarVisible());
}

TEST(THtmlTextView, ShowingASecondTextScrollsToTheTopAndClearsTheSelection)
{
    THtmlTextView v;
    v.resize(300, 100);
    v.ShowHtml(longText(400));
    v.ScrollToY(150);
    EXPECT_EQ(v.position(), 150);
    v.ScrollToY(1000000);
    EXPECT_EQ(v.position(), v.scrollRange() - v.paintPanelGeometry().height());
    v.document().selStart = 3;
    v.document().selEnd = 10;
    v.ShowHtml(longText(300));
    EXPECT_EQ(v.position(), 0);
    EXPECT_EQ(v.document().selStart, -1);
    EXPECT_EQ(v.document().selEnd, -1);
}

TEST(THtmlTextView, BodyColoursBelongToTheirDocumentOnly)
{
    THtmlTextView v;
    v.setDefFontColor(clNavy);
    v.ShowHtml(
        QStringLiteral("<body text=red link=green vlink=yellow alink=lime>x <a href=u>l</a>"));
    auto firstRun = [&] {
        return static_cast<const TSection&>(*v.document().sections.front()).fonts.front()->font;
    };
    EXPECT_EQ(firstRun().color & 0xFFFFFF, 0x0000FFu); // red, in the document
    // The properties keep what the program set.
    EXPECT_EQ(v.defFontColor(), clNavy);
    EXPECT_EQ(v.defHotSpotColor(), clBlue);
    EXPECT_EQ(v.defVisitedLinkColor(), clPurple);
    EXPECT_EQ(v.defOverLinkColor(), clBlue);

    v.ShowHtml(QStringLiteral("y <a href=u>l</a>"));
    EXPECT_EQ(firstRun().color, clNavy);
    EXPECT_EQ(v.document().linkColor, clBlue);
    EXPECT_EQ(v.document().linkVisitedColor, clPurple);
    EXPECT_EQ(v.document().hoverLinkColor, clBlue);

    // A property set while a document with its own colour shows leaves that colour alone.
    v.ShowHtml(QStringLiteral("<body text=red>z"));
    v.setDefFontColor(clMaroon);
    EXPECT_EQ(firstRun().color & 0xFFFFFF, 0x0000FFu);
    v.ShowHtml(QStringLiteral("w"));
    EXPECT_EQ(firstRun().color, clMaroon);
}

TEST(THtmlTextView, ShortTextCannotScroll)
{
    THtmlTextView v;
    v.resize(300, 200);
    v.ShowHtml(QStringLiteral("short"));
    v.ScrollToY(500);
    EXPECT_EQ(v.position(), 0);
}

TEST(THtmlTextView, NoSelectRemovesTheSelection)
{
    THtmlTextView v;
    v.ShowHtml(QStringLiteral("some text"));
    v.document().selStart = 1;
    v.document().selEnd = 3;
    v.setNoSelect(true);
    EXPECT_EQ(v.document().selStart, -1);
    EXPECT_EQ(v.document().selEnd, -1);
}

TEST(THtmlTextView, FontSettersReLayTheDocument)
{
    THtmlTextView v;
    v.resize(300, 200);
    v.ShowHtml(longText(60));
    const int range12 = v.scrollRange();
    v.setDefFontSize(24);
    EXPECT_GT(v.scrollRange(), range12);
    auto* s = static_cast<TSection*>(v.document().sections.front().get());
    EXPECT_EQ(s->fonts.front()->font.size, 24);
    v.setDefFontName(QStringLiteral("Arial"));
    EXPECT_EQ(s->fonts.front()->font.name, "Arial");
}

TEST(THtmlTextView, MarginsMoveTheTextAndResizeRelaysOut)
{
    THtmlTextView v;
    v.setScrollBars(TScrollStyle::ssNone);
    v.resize(300, 200);
    v.show();
    v.ShowHtml(QStringLiteral("text"));
    EXPECT_EQ(v.document().sections.front()->yValue, 5);
    v.setMarginHeight(20);
    EXPECT_EQ(v.document().sections.front()->yValue, 20);
    v.setMarginWidth(30);
    EXPECT_EQ(v.layoutWidth(), 300 - 3 - 60);
    v.resize(500, 200);
    EXPECT_EQ(v.layoutWidth(), 500 - 3 - 60);
    v.setBorderStyle(THTMLBorderStyle::htNone);
    EXPECT_EQ(v.layoutWidth(), 500 - 1 - 60);
    EXPECT_EQ(v.paintPanelGeometry().topLeft(), QPoint(0, 0));
}

TEST(THtmlTextView, TooManyColumnsIsSignalledOnceTheLoadIsDone)
{
    THtmlTextView v;
    QStringList messages;
    bool processingWhenTold = true;
    QObject::connect(&v, &THtmlTextView::OnError, [&](const QString& message) {
        messages.append(message);
        processingWhenTold = v.processing();
    });
    QString html = QStringLiteral("<table><tr>");
    for (int i = 0; i < 250; ++i)
        html += QStringLiteral("<td>x");
    v.ShowHtml(html + QStringLiteral("</table>after"));
    EXPECT_EQ(messages, QStringList{"Table has too many Columns"});
    EXPECT_FALSE(processingWhenTold); // the host may show a modal box
}

TEST(THtmlTextView, ResizeKeepsTheScrollPosition)
{
    THtmlTextView v;
    v.resize(300, 100);
    v.show();
    v.ShowHtml(longText(400));
    v.ScrollToY(100);
    const int token = v.SavePosition();
    EXPECT_EQ(token, 100 - 5); // section 0, 95 pixels below its top
    v.resize(350, 100);
    EXPECT_EQ(v.position(), 100);
    v.RestorePosition(-1); // ignored
    EXPECT_EQ(v.position(), 100);
    v.RestorePosition(7 * 65536); // no such section
    EXPECT_EQ(v.position(), 100);
}

TEST(THtmlTextView, FocusedBorderShowsOnlyWithTheFocus)
{
    QWidget window;
    auto* other = new QLineEdit(&window);
    auto& v = *new THtmlTextView(&window);
    v.setGeometry(0, 30, 200, 100);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 5000));
    other->setFocus();
    EXPECT_FALSE(v.borderShown());
    v.setFocus();
    EXPECT_TRUE(v.borderShown());
    v.setBorderStyle(THTMLBorderStyle::htNone);
    EXPECT_FALSE(v.borderShown());
}

TEST(THtmlTextView, OverlongWordOffersHorizontalScrollingUpToTheContentLimit)
{
    THtmlTextView v;
    v.resize(200, 100);
    v.ShowHtml(QStringLiteral("short text"));
    EXPECT_FALSE(v.horizontalBarVisible());
    v.ShowHtml(QString(60, u'w'));
    EXPECT_GT(v.maxContentWidth(), 200);
    EXPECT_TRUE(v.horizontalBarVisible());
    v.ShowHtml(QString(5000, u'w'));
    EXPECT_EQ(v.maxContentWidth(), THtmlTextView::kMaxContentWidth);
    v.setScrollBars(TScrollStyle::ssVertical);
    EXPECT_FALSE(v.horizontalBarVisible());
}

// Colours of the guide text as 0xRRGGBB.
const QList<QRgb> kGuideColours = {0x3333FF, 0x009900, 0x000099, 0x993366, 0xFF0000};

TEST(THtmlTextView, MainGuideRendersBoldInItsFiveColoursWithinTheMargins)
{
    THtmlTextView v;
    setUpMemoGuide(v);
    v.resize(560, 110);
    v.ShowHtml(kMainGuideHtml.toString());
    for (const auto& s : v.document().sections) {
        if (s->kind() != SectionKind::Text)
            continue;
        for (const auto& run : static_cast<const TSection&>(*s).fonts)
            EXPECT_TRUE(run->font.style.testFlag(FontStyle::Bold));
    }
    EXPECT_FALSE(v.verticalBarVisible());
    const QImage image = v.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const QByteArray out = qgetenv("VANTORO_GUIDE_PNG"); !out.isEmpty())
        image.save(QString::fromLocal8Bit(out));
    QSet<QRgb> seen;
    int rightmostInk = 0;
    const QRgb background = image.pixel(5, 5) & 0xFFFFFF;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = 2; x < image.width() - 2; ++x) {
            const QRgb c = image.pixel(x, y) & 0xFFFFFF;
            if (c != background)
                rightmostInk = std::max(rightmostInk, x);
            if (kGuideColours.contains(c))
                seen.insert(c);
        }
    }
    for (QRgb c : kGuideColours)
        EXPECT_TRUE(seen.contains(c)) << std::hex << c;
    // Nothing is drawn in the right margin (1 pixel of border + 10 of margin).
    EXPECT_LT(rightmostInk, 560 - 1 - 10);
    EXPECT_GT(rightmostInk, 560 - 1 - 10 - 120); // and the lines do use the width
}

TEST(THtmlTextView, PlayerGuideWrapsAsIfTheVerticalBarWerePresent)
{
    THtmlTextView v;
    setUpMemoMark(v);
    v.resize(612, 126);
    v.ShowHtml(kPlayerGuideHtml.toString());
    EXPECT_EQ(v.layoutWidth(), 612 - v.scrollBarWidth() - 3 - 20);
    int widest = 0;
    for (const auto& s : v.document().sections) {
        if (s->kind() != SectionKind::Text)
            continue;
        for (const LineRec& l : static_cast<const TSection&>(*s).lines)
            widest = std::max(widest, l.leftIndent);
    }
    EXPECT_LE(v.maxContentWidth(), 612 - v.scrollBarWidth() - 3 - 20);
    const QImage image = v.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const QByteArray out = qgetenv("VANTORO_PLAYER_PNG"); !out.isEmpty())
        image.save(QString::fromLocal8Bit(out));
    EXPECT_EQ(image.pixel(5, 5) & 0xFFFFFF, 0x00FFFFu); // aqua
}

} // namespace
} // namespace vantoro
