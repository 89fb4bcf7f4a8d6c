#include "playlists/ClipListView.h"
#include "playlists/ClipListModel.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

// A ClipListView beside a QListView on the same rows, size and modes: the QListView lays out
// every row after each change, so wherever the two differ ClipListView has worked out a place,
// a scroll or a key's move wrongly.
struct SideBySide
{
    SideBySide(int rows, int width, QAbstractItemView::ScrollMode scroll,
               QAbstractItemView::SelectionMode selection)
    {
        QStringList paths;
        for (int row = 0; row < rows; ++row)
            paths.append(QStringLiteral("/clips/%1.mp3").arg(row));
        model.setItems(paths);
        model.setItemSize(QSize(width, 17));
        for (QListView* list : views) {
            list->setModel(&model);
            list->setUniformItemSizes(true);
            list->setVerticalScrollMode(scroll);
            list->setSelectionMode(selection);
            list->setFocusPolicy(Qt::NoFocus); // the two windows would not both have it
            list->resize(240, 200);
            list->show();
        }
        settle();
    }
    static void settle() { QApplication::processEvents(); }

    void expectSame(const char* step) const
    {
        SCOPED_TRACE(step);
        for (auto bar :
             {&QAbstractScrollArea::verticalScrollBar, &QAbstractScrollArea::horizontalScrollBar}) {
            const QScrollBar* a = (reference.*bar)();
            const QScrollBar* b = (view.*bar)();
            EXPECT_EQ(QList<int>({a->minimum(), a->maximum(), a->pageStep(), a->value()}),
                      QList<int>({b->minimum(), b->maximum(), b->pageStep(), b->value()}));
        }
        const int rows = model.rowCount();
        for (int row : {0, 1, rows / 2, rows - 2, rows - 1, reference.indexAt({0, 0}).row()}) {
            if (row < 0 || row >= rows)
                continue;
            EXPECT_EQ(reference.visualRect(model.index(row)), view.visualRect(model.index(row)))
                << "row " << row;
        }
        const QRect area = reference.viewport()->rect();
        for (int y = -1; y <= area.bottom() + 1; y += 5) {
            for (int x : {0, area.width() / 2, area.right()})
                EXPECT_EQ(reference.indexAt({x, y}).row(), view.indexAt({x, y}).row())
                    << "at " << x << "," << y;
        }
        EXPECT_EQ(reference.currentIndex().row(), view.currentIndex().row());
        EXPECT_EQ(reference.selectionModel()->selectedIndexes(),
                  view.selectionModel()->selectedIndexes());
    }

    ClipListModel model;
    QListView reference;
    ClipListView view;
    const std::array<QListView*, 2> views{&reference, &view};
};

struct ViewCase
{
    const char* name;
    int rows;
    int width; // of a row; the view is 240 wide
    QAbstractItemView::ScrollMode scroll;
    QAbstractItemView::SelectionMode selection;
};

// Keys, clicks, scrolling and rows inserted and removed at the top, in the middle and at the
// end of the list: the rows' places, the scroll bars, the current row and the selection stay
// those a QListView gives.
TEST(ClipListView, PlacesScrollsAndSelectsAsAListViewAfterEveryChange)
{
    const ViewCase cases[] = {
        {"short", 5, 300, QAbstractItemView::ScrollPerItem, QAbstractItemView::SingleSelection},
        {"long", 3000, 300, QAbstractItemView::ScrollPerItem, QAbstractItemView::SingleSelection},
        {"long, extended", 3000, 300, QAbstractItemView::ScrollPerItem,
         QAbstractItemView::ExtendedSelection},
        // Narrow rows: QListView scrolling by pixels keeps the page of a viewport without the
        // horizontal bar once that bar shows.
        {"long, per pixel", 3000, 150, QAbstractItemView::ScrollPerPixel,
         QAbstractItemView::ExtendedSelection},
    };
    for (const ViewCase& c : cases) {
        SCOPED_TRACE(c.name);
        SideBySide lists(c.rows, c.width, c.scroll, c.selection);
        lists.expectSame("shown");
        const auto both = [&](const char* step, const std::function<void(QListView&)>& act) {
            for (QListView* view : lists.views)
                act(*view);
            lists.settle();
            lists.expectSame(step);
        };
        for (auto key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_End,
                         Qt::Key_PageUp, Qt::Key_Up, Qt::Key_Right, Qt::Key_Home})
            both("key", [key](QListView& v) { QTest::keyClick(&v, key); });
        both("shift+page down",
             [](QListView& v) { QTest::keyClick(&v, Qt::Key_PageDown, Qt::ShiftModifier); });
        for (auto hint : {QAbstractItemView::PositionAtCenter, QAbstractItemView::PositionAtBottom,
                          QAbstractItemView::EnsureVisible, QAbstractItemView::PositionAtTop})
            both("scrolled",
                 [&](QListView& v) { v.scrollTo(lists.model.index(c.rows / 2), hint); });
        both("clicked right of a row's text", [](QListView& v) {
            QTest::mouseClick(v.viewport(), Qt::LeftButton, {}, {v.viewport()->width() - 2, 40});
        });
        both("shift+click", [](QListView& v) {
            QTest::mouseClick(v.viewport(), Qt::LeftButton, Qt::ShiftModifier, {5, 75});
        });
        both("dragged over rows", [](QListView& v) {
            QTest::mousePress(v.viewport(), Qt::LeftButton, {}, {5, 10});
            QTest::mouseMove(v.viewport(), {5, 120});
            QTest::mouseRelease(v.viewport(), Qt::LeftButton, {}, {5, 120});
        });
        both("scroll bar paged", [](QListView& v) {
            v.verticalScrollBar()->triggerAction(QScrollBar::SliderPageStepAdd);
        });
        for (int row : {0, lists.model.rowCount() / 2, lists.model.rowCount() - 1}) {
            lists.model.removeAt(row);
            lists.settle();
            lists.expectSame("row removed");
            lists.model.insertAt(row, {QStringLiteral("/clips/new.mp3")});
            lists.settle();
            lists.expectSame("row inserted");
            both("inserted row made current",
                 [&](QListView& v) { v.setCurrentIndex(lists.model.index(row)); });
        }
        lists.model.addAll({QStringLiteral("/clips/last.mp3")});
        both("row added at the end made current", [&](QListView& v) {
            v.setCurrentIndex(lists.model.index(lists.model.rowCount() - 1));
        });
    }
}

} // namespace
} // namespace vantoro
