// The view driven as a user drives it: QTest mouse, wheel and key events on a shown view with
// real fonts.

#include "htmlview/DocumentLayout.h"
#include "htmlview/THtmlTextView.h"
#include "htmlview/TImageObj.h"
#include "htmlview/TPaintPanel.h"
#include "htmlview/TSection.h"
#include "htmlview/TSectionList.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

QString words(int count)
{
    QString html;
    for (int i = 0; i < count; ++i)
        html += QStringLiteral("word%1 ").arg(i);
    return html;
}

// A view in a shown window, set up as the player's instruction panel.
struct ShownView
{
    explicit ShownView(QSize size = QSize(300, 120))
    {
        view = new THtmlTextView(&window);
        view->setDefFontName(QStringLiteral("Arial"));
        view->setDefFontSize(10);
        view->setMarginHeight(2);
        view->setGeometry(QRect(QPoint(0, 0), size));
        window.resize(size);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window, 5000));
    }
    TPaintPanel* panel() const { return view->paintPanel(); }
    // A point of the panel over the character at document index `index`, searched along the
    // panel line y.
    QPoint pointOf(int index, int y) const
    {
        for (int x = 0; x < panel()->width(); ++x) {
            const CursorPosition at = view->layoutEngine().cursorAt(
                view->document(), x - view->marginWidth() + view->horizontalPosition(),
                y + view->position());
            if (at.charIndex == index)
                return {x + 1, y};
        }
        ADD_FAILURE() << "no character " << index << " on line " << y;
        return {};
    }
    int indexAt(QPoint p) const
    {
        return view->layoutEngine()
            .cursorAt(view->document(), p.x() - view->marginWidth(), p.y() + view->position())
            .index;
    }
    int lineHeight() const
    {
        const auto& s = static_cast<const TSection&>(*view->document().sections.front());
        return s.lines.front().textHeight;
    }

    QWidget window;
    THtmlTextView* view = nullptr;
};

// A double click as the toolkit delivers it: press, release, press, double-click, release.
// (QTest::mouseDClick sends the double-click event alone.)
void doubleClick(QWidget* w, QPoint p)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, p);
    QTest::mousePress(w, Qt::LeftButton, {}, p);
    QMouseEvent event(QEvent::MouseButtonDblClick, p, w->mapToGlobal(p), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
    QTest::mouseRelease(w, Qt::LeftButton, {}, p);
}

TEST(THtmlTextViewInput, DragSelectsAcrossLinesAndBackPastTheAnchor)
{
    ShownView s;
    s.view->ShowHtml(words(60));
    const int line = s.lineHeight();
    const QPoint anchor(60, 2 + line + line / 2); // second line
    const int anchorIndex = s.indexAt(anchor);
    ASSERT_GT(anchorIndex, 0);
    QTest::mousePress(s.panel(), Qt::LeftButton, {}, anchor);
    EXPECT_EQ(s.view->selStart(), anchorIndex);
    EXPECT_EQ(s.view->selEnd(), anchorIndex);

    const QPoint below(120, 2 + 3 * line + line / 2); // fourth line
    QTest::mouseMove(s.panel(), below);
    EXPECT_EQ(s.view->selStart(), anchorIndex);
    EXPECT_EQ(s.view->selEnd(), s.indexAt(below));
    EXPECT_GT(s.view->selEnd(), anchorIndex);

    const QPoint above(20, 2 + line / 2); // back past the anchor, onto the first line
    QTest::mouseMove(s.panel(), above);
    EXPECT_EQ(s.view->selStart(), s.indexAt(above));
    EXPECT_EQ(s.view->selEnd(), anchorIndex);
    QTest::mouseRelease(s.panel(), Qt::LeftButton, {}, above);
    EXPECT_EQ(s.view->selEnd(), anchorIndex);
    const QString text = s.view->SelectedText();
    // Three lines of one wrapped paragraph: one line of words, each one space apart.
    EXPECT_FALSE(text.contains(u'\n')) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("  "))) << text.toStdString();
    EXPECT_GE(text.count(u' '), 6) << text.toStdString();
    EXPECT_EQ(s.view->caretIndex(), s.indexAt(above));

    // Ctrl+C puts it on the clipboard.
    QApplication::clipboard()->clear();
    QTest::keyClick(s.view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), text);

    // A new text clears the selection and goes back to the top.
    s.view->ScrollToY(30);
    s.view->ShowHtml(words(80));
    EXPECT_EQ(s.view->position(), 0);
    EXPECT_TRUE(s.view->SelectedText().isEmpty());
    EXPECT_EQ(s.view->selStart(), -1);
}

TEST(THtmlTextViewInput, DoubleClickSelectsTheWordOfLettersAndDigits)
{
    ShownView s;
    s.view->ShowHtml(QStringLiteral("xy abc123 zz"));
    QSignalSpy doubles(s.view, &THtmlTextView::OnMouseDouble);
    const int y = 2 + s.lineHeight() / 2;
    doubleClick(s.panel(), s.pointOf(5, y)); // the 'c'
    EXPECT_EQ(s.view->selStart(), 3);
    EXPECT_EQ(s.view->selEnd(), 9);
    EXPECT_EQ(s.view->SelectedText(), QStringLiteral("abc123"));
    EXPECT_EQ(s.view->caretIndex(), 3);
    EXPECT_EQ(doubles.count(), 1);

    doubleClick(s.panel(), s.pointOf(9, y)); // the space after it
    EXPECT_TRUE(s.view->SelectedText().isEmpty());
    EXPECT_EQ(doubles.count(), 2);
}

TEST(THtmlTextViewInput, NoSelectKeepsEverythingUnselected)
{
    ShownView s;
    s.view->setNoSelect(true);
    s.view->setScrollBars(TScrollStyle::ssNone);
    s.view->ShowHtml(words(40));
    const int line = s.lineHeight();
    QTest::mousePress(s.panel(), Qt::LeftButton, {}, QPoint(10, 2 + line / 2));
    QTest::mouseMove(s.panel(), QPoint(150, 2 + 2 * line + line / 2));
    QTest::mouseRelease(s.panel(), Qt::LeftButton, {}, QPoint(150, 2 + 2 * line + line / 2));
    EXPECT_TRUE(s.view->SelectedText().isEmpty());
    doubleClick(s.panel(), s.pointOf(2, 2 + line / 2));
    EXPECT_TRUE(s.view->SelectedText().isEmpty());
    // Over plain text the pointer stays an arrow: nothing there can be selected.
    QTest::mouseMove(s.panel(), s.pointOf(2, 2 + line / 2));
    EXPECT_EQ(s.panel()->cursor().shape(), Qt::ArrowCursor);
}

TEST(THtmlTextViewInput, HandOverALinkAndCoveredOnEnterAndLeave)
{
    ShownView s;
    s.view->ShowHtml(QStringLiteral("plain text <a href=\"http://x/\" target=t>link</a> more"));
    QSignalSpy covered(s.view, &THtmlTextView::OnHotSpotCovered);
    const int y = 2 + s.lineHeight() / 2;
    QTest::mouseMove(s.panel(), s.pointOf(2, y));
    EXPECT_EQ(s.panel()->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(covered.count(), 0);

    QTest::mouseMove(s.panel(), s.pointOf(12, y)); // inside "link"
    EXPECT_EQ(s.panel()->cursor().shape(), Qt::PointingHandCursor);
    ASSERT_EQ(covered.count(), 1);
    EXPECT_EQ(covered.at(0).at(0).toString(), QStringLiteral("http://x/"));
    QTest::mouseMove(s.panel(), s.pointOf(13, y)); // still the same link: no new event
    EXPECT_EQ(covered.count(), 1);
    EXPECT_EQ(s.view->hoverLink(), QStringLiteral("http://x/"));

    QTest::mouseMove(s.panel(), s.pointOf(17, y)); // "more"
    EXPECT_EQ(s.panel()->cursor().shape(), Qt::IBeamCursor);
    ASSERT_EQ(covered.count(), 2);
    EXPECT_TRUE(covered.at(1).at(0).toString().isEmpty());
}

TEST(THtmlTextViewInput, LinkClickFiresOnlyWhenNothingIsSelected)
{
    ShownView s;
    s.view->ShowHtml(QStringLiteral("plain text <a href=\"http://x/\">link</a> more"));
    QSignalSpy clicks(s.view, &THtmlTextView::OnHotSpotClick);
    const int y = 2 + s.lineHeight() / 2;
    QTest::mouseClick(s.panel(), Qt::LeftButton, {}, s.pointOf(12, y));
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.at(0).at(0).toString(), QStringLiteral("http://x/"));

    // A drag from plain text that ends on the link selects; it follows nothing.
    QTest::mousePress(s.panel(), Qt::LeftButton, {}, s.pointOf(1, y));
    QTest::mouseMove(s.panel(), s.pointOf(12, y));
    QTest::mouseRelease(s.panel(), Qt::LeftButton, {}, s.pointOf(12, y));
    EXPECT_FALSE(s.view->SelectedText().isEmpty());
    EXPECT_EQ(clicks.count(), 1);
}

TEST(THtmlTextViewInput, ImageInsideALinkAnswersForTheLink)
{
    ShownView s;
    s.view->ShowHtml(
        QStringLiteral("see <a href=\"pic-link\"><img src=\"pic.png\" width=40 height=12></a> x"));
    const int y = 2 + s.lineHeight() - 4;
    QPoint onImage;
    for (int x = 0; x < 300 && onImage.isNull(); ++x) {
        if (s.view->ImageAt(QPoint(x, y)))
            onImage = QPoint(x + 2, y);
    }
    ASSERT_FALSE(onImage.isNull());
    const TImageObj* image = s.view->ImageAt(onImage);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->source, QStringLiteral("pic.png"));
    EXPECT_EQ(s.view->LinkAt(onImage), QStringLiteral("pic-link"));
    EXPECT_EQ(s.view->ImageAt(s.pointOf(1, y)), nullptr);
    EXPECT_TRUE(s.view->LinkAt(s.pointOf(1, y)).isEmpty());
}

TEST(THtmlTextViewInput, MiddleClickModeScrollsUntilTheNextPress)
{
    ShownView s;
    s.view->ShowHtml(words(600));
    const QPoint anchor(100, 40);
    QTest::mouseClick(s.panel(), Qt::MiddleButton, {}, anchor);
    EXPECT_TRUE(s.view->middleScrollMode());
    EXPECT_NE(s.panel()->cursor().shape(), Qt::ArrowCursor);
    // Within 20 pixels nothing moves.
    QTest::mouseMove(s.panel(), anchor + QPoint(0, 15));
    QTest::qWait(3 * THtmlTextView::kAutoScrollInterval);
    EXPECT_EQ(s.view->position(), 0);
    // Further down it scrolls down, and keeps scrolling.
    QTest::mouseMove(s.panel(), anchor + QPoint(0, 70));
    EXPECT_TRUE(s.view->autoScrolling());
    QTRY_VERIFY_WITH_TIMEOUT(s.view->position() >= 64, 3000);
    // The next press ends the mode and the scrolling.
    QTest::mousePress(s.panel(), Qt::LeftButton, {}, anchor);
    EXPECT_FALSE(s.view->middleScrollMode());
    EXPECT_FALSE(s.view->autoScrolling());
    const int stopped = s.view->position();
    QTest::qWait(3 * THtmlTextView::kAutoScrollInterval);
    EXPECT_EQ(s.view->position(), stopped);
    QTest::mouseRelease(s.panel(), Qt::LeftButton, {}, anchor);

    // A key also ends it.
    QTest::mouseClick(s.panel(), Qt::MiddleButton, {}, anchor);
    ASSERT_TRUE(s.view->middleScrollMode());
    QTest::keyClick(s.view, Qt::Key_Down);
    EXPECT_FALSE(s.view->middleScrollMode());
    EXPECT_EQ(s.view->position(), stopped); // the key only ended the mode
}

TEST(THtmlTextViewInput, AutoscrollWhileTheButtonIsHeldBelowTheView)
{
    ShownView s;
    s.view->ShowHtml(words(600));
    const int line = s.lineHeight();
    QTest::mousePress(s.panel(), Qt::LeftButton, {}, QPoint(40, 2 + line / 2));
    const int anchor = s.view->selStart();
    QTest::mouseMove(s.panel(), QPoint(40, s.panel()->height() + 5));
    EXPECT_TRUE(s.view->autoScrolling());
    QTRY_VERIFY_WITH_TIMEOUT(s.view->position() >= 48, 3000);
    // The selection follows the pointer down the document.
    EXPECT_EQ(s.view->selStart(), anchor);
    EXPECT_GT(s.view->selEnd(), anchor);
    QTest::mouseRelease(s.panel(), Qt::LeftButton, {}, QPoint(40, s.panel()->height() + 5));
    EXPECT_FALSE(s.view->autoScrolling());
    const int stopped = s.view->position();
    QTest::qWait(3 * THtmlTextView::kAutoScrollInterval);
    EXPECT_EQ(s.view->position(), stopped);
}

TEST(THtmlTextViewInput, PageDownAndEndOnShortAndLongTexts)
{
    ShownView s;
    s.view->ShowHtml(QStringLiteral("short"));
    s.view->setFocus();
    for (auto key : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_Down}) {
        QTest::keyClick(s.view, key);
        EXPECT_EQ(s.view->position(), 0);
    }

    s.view->ShowHtml(words(600));
    const int panelHeight = s.panel()->height();
    const int last = s.view->scrollRange() - panelHeight;
    ASSERT_GT(last, 2 * panelHeight);
    QTest::keyClick(s.view, Qt::Key_PageDown);
    EXPECT_EQ(s.view->position(), panelHeight - THtmlTextView::kVerticalSmallChange);
    QTest::keyClick(s.view, Qt::Key_PageUp);
    EXPECT_EQ(s.view->position(), 0);
    QTest::keyClick(s.view, Qt::Key_Down);
    EXPECT_EQ(s.view->position(), THtmlTextView::kVerticalSmallChange);
    QTest::keyClick(s.view, Qt::Key_Up);
    EXPECT_EQ(s.view->position(), 0);
    QTest::keyClick(s.view, Qt::Key_End);
    EXPECT_EQ(s.view->position(), last);
    QTest::keyClick(s.view, Qt::Key_PageDown);
    EXPECT_EQ(s.view->position(), last);
    QTest::keyClick(s.view, Qt::Key_Home);
    EXPECT_EQ(s.view->position(), 0);

    // A key handler may take a key for itself.
    QObject::connect(s.view, &THtmlTextView::OnKeyDown, [](int* key, Qt::KeyboardModifiers) {
        if (*key == Qt::Key_End)
            *key = 0;
    });
    QTest::keyClick(s.view, Qt::Key_End);
    EXPECT_EQ(s.view->position(), 0);
}

TEST(THtmlTextViewInput, OneLineScrollShiftsThePixelsAlreadyDrawn)
{
    ShownView s;
    s.view->ShowHtml(words(600));
    const QImage before = s.panel()->grab().toImage();
    QTest::keyClick(s.view, Qt::Key_Down);
    const QImage after = s.panel()->grab().toImage();
    const int step = THtmlTextView::kVerticalSmallChange;
    // What was at y + 16 is now at y.
    for (int y = 0; y + step < before.height(); y += 7) {
        for (int x = 0; x < before.width(); x += 5)
            ASSERT_EQ(after.pixel(x, y), before.pixel(x, y + step)) << x << "," << y;
    }
}

TEST(THtmlTextViewInput, WheelScrollsAndGoesOnAtTheEnds)
{
    ShownView s;
    s.view->ShowHtml(words(600));
    auto wheel = [&](int notches) {
        const QPoint at(50, 50);
        QWheelEvent event(at, s.panel()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(s.view, &event); // what the panel passes on to its view
        return event.isAccepted();
    };
    EXPECT_TRUE(wheel(-1));
    const int oneNotch = s.view->position();
    EXPECT_EQ(oneNotch, QApplication::wheelScrollLines() * THtmlTextView::kVerticalSmallChange);
    EXPECT_TRUE(wheel(1));
    EXPECT_EQ(s.view->position(), 0);
    EXPECT_FALSE(wheel(1)); // already at the top: left to whatever holds the view
}

TEST(THtmlTextViewInput, RightClickOffersCopyUnlessSomeoneElseHandlesIt)
{
    ShownView s;
    s.view->ShowHtml(QStringLiteral("xy abc123 zz"));
    const int y = 2 + s.lineHeight() / 2;
    doubleClick(s.panel(), s.pointOf(5, y));
    ASSERT_EQ(s.view->SelectedText(), QStringLiteral("abc123"));
    QApplication::clipboard()->clear();
    QTest::mouseClick(s.panel(), Qt::RightButton, {}, s.pointOf(5, y));
    auto* menu = s.view->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 2000);
    auto* copy = menu->findChild<QAction*>(QStringLiteral("copyAction"));
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(copy->isEnabled());
    copy->trigger();
    menu->hide();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc123"));

    // With a right-click handler the view shows no menu of its own.
    TRightClickParameters seen;
    int calls = 0;
    QObject::connect(s.view, &THtmlTextView::OnRightClick, [&](const TRightClickParameters& p) {
        seen = p;
        ++calls;
    });
    QTest::mouseClick(s.panel(), Qt::RightButton, {}, s.pointOf(4, y));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen.clickWord, QStringLiteral("abc123"));
    EXPECT_FALSE(menu->isVisible());
}

TEST(THtmlTextViewInput, RightClickShowsNoMenuWhereNothingCanBeSelected)
{
    ShownView s;
    s.view->setNoSelect(true);
    s.view->ShowHtml(QStringLiteral("xy abc123 zz"));
    QTest::mouseClick(s.panel(), Qt::RightButton, {}, s.pointOf(5, 2 + s.lineHeight() / 2));
    QTest::qWait(100);
    const QMenu* menu = s.view->findChild<QMenu*>();
    EXPECT_TRUE(menu == nullptr || !menu->isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

// The panel's own wrapping is no break in the text: a wrapped sentence copies as one line, with
// the one space at which it was wrapped; <br> and paragraphs stay line breaks.
TEST(THtmlTextViewInput, CopyJoinsWrappedLinesAndKeepsHardBreaks)
{
    ShownView s(QSize(120, 300));
    s.view->ShowHtml(QStringLiteral("click the Go button when the list is ready<br>"
                                    "second line<p>next paragraph"));
    ASSERT_GT(s.view->document().sections.size(), 1u);
    s.view->setSelection(0, 1000);
    s.view->CopySelection();
    // The clipboard gets plain line feeds.
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("click the Go button when the list is ready\nsecond line\n"
                             "\nnext paragraph\n"));
}

TEST(THtmlTextViewInput, HoverTimerNoticesThePointerHasLeft)
{
    ShownView s;
    s.view->ShowHtml(QStringLiteral("<a href=\"http://x/\">link</a> plain"));
    QSignalSpy covered(s.view, &THtmlTextView::OnHotSpotCovered);
    const QPoint onLink = s.pointOf(1, 2 + s.lineHeight() / 2);
    QCursor::setPos(s.panel()->mapToGlobal(onLink));
    QTest::mouseMove(s.panel(), onLink);
    ASSERT_EQ(covered.count(), 1);
    // The pointer leaves the window without a move reaching the panel.
    QCursor::setPos(s.window.mapToGlobal(QPoint(-200, -200)));
    QTRY_COMPARE_WITH_TIMEOUT(covered.count(), 2, 2000);
    EXPECT_TRUE(covered.at(1).at(0).toString().isEmpty());
    EXPECT_TRUE(s.view->hoverLink().isEmpty());
}

TEST(THtmlTextViewInput, ProcessingIsSignalledAroundALoad)
{
    THtmlTextView v;
    QList<bool> states;
    QObject::connect(&v, &THtmlTextView::OnProcessing, [&](bool on) {
        states.append(on);
        EXPECT_EQ(v.processing(), on);
    });
    QStringList metas;
    QObject::connect(&v, &THtmlTextView::OnMeta,
                     [&](const QString& httpEq, const QString& name, const QString& content) {
                         metas.append(httpEq + u'|' + name + u'|' + content);
                     });
    v.ShowHtml(QStringLiteral("<meta name=author content=me>text"));
    EXPECT_EQ(states, (QList<bool>{true, false}));
    EXPECT_EQ(metas, QStringList{QStringLiteral("|author|me")});
}

} // namespace
} // namespace vantoro
