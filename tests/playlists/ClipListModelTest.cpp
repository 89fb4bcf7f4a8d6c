#include "playlists/ClipListModel.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace vantoro {
namespace {

QStringList rows(const ClipListModel& model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.append(model.index(row).data().toString());
    return texts;
}

// Every change keeps the model consistent for its views (the tester checks each signal
// against the rows before and after) and matches the clip list it shows.
TEST(ClipListModel, EachChangeIsToldAsItselfAndPersistentIndexesFollowTheirEntries)
{
    ClipListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
    model.setItems({"/m/d.mp3", "/m/b.mp3", "/m/c.mp3", "/m/a.mp3", "/m/b.mp3"});
    EXPECT_EQ(resets.size(), 1);

    // Two entries of one clip: the second is the one held.
    const QPersistentModelIndex secondB(model.index(4));
    const QPersistentModelIndex d(model.index(0));
    model.move(0, 2);
    EXPECT_EQ(rows(model),
              QStringList({"/m/b.mp3", "/m/c.mp3", "/m/d.mp3", "/m/a.mp3", "/m/b.mp3"}));
    EXPECT_EQ(d.row(), 2);
    model.move(3, 1);
    EXPECT_EQ(rows(model),
              QStringList({"/m/b.mp3", "/m/a.mp3", "/m/c.mp3", "/m/d.mp3", "/m/b.mp3"}));
    EXPECT_EQ(d.row(), 3);
    // Neighbours trade places without a row move; what is held follows its entry.
    QSignalSpy moves(&model, &QAbstractItemModel::rowsMoved);
    model.move(3, 4);
    model.move(4, 3);
    model.move(2, 3);
    EXPECT_EQ(rows(model),
              QStringList({"/m/b.mp3", "/m/a.mp3", "/m/d.mp3", "/m/c.mp3", "/m/b.mp3"}));
    EXPECT_EQ(d.row(), 2);
    EXPECT_EQ(secondB.row(), 4);
    EXPECT_EQ(moves.size(), 0);
    model.move(2, 3);

    model.setSorted(true);
    EXPECT_EQ(layouts.size(), 1);
    EXPECT_EQ(rows(model),
              QStringList({"/m/a.mp3", "/m/b.mp3", "/m/b.mp3", "/m/c.mp3", "/m/d.mp3"}));
    EXPECT_EQ(secondB.row(), 2);
    EXPECT_EQ(d.row(), 4);

    EXPECT_EQ(model.add("/m/B.mp3"), 3);
    EXPECT_EQ(model.add("/m/0.mp3"), 0);
    EXPECT_EQ(secondB.row(), 3);
    // Many additions at once reset the views; a few are inserted one by one.
    QStringList many;
    for (int i = 0; i < 100; ++i)
        many.append(QStringLiteral("/n/%1.mp3").arg(i, 3, 10, QLatin1Char('0')));
    model.addAll({"/m/e.mp3", "/m/bb.mp3"});
    EXPECT_EQ(resets.size(), 1);
    model.addAll(many);
    EXPECT_EQ(resets.size(), 2);
    EXPECT_EQ(model.rowCount(), 109);
    EXPECT_EQ(rows(model), model.list().items());

    model.removeAt(0);
    model.setSorted(false);
    model.addAll({"/a/last.mp3", "/a/after.mp3"});
    EXPECT_EQ(rows(model).mid(108), QStringList({"/a/last.mp3", "/a/after.mp3"}));
    EXPECT_EQ(rows(model), model.list().items());
}

TEST(ClipListModel, EveryRowHasTheSizeItWasGiven)
{
    ClipListModel model;
    model.setItems({"/m/a.mp3", "/m/b.mp3"});
    EXPECT_FALSE(model.index(1).data(Qt::SizeHintRole).isValid());
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    model.setItemSize(QSize(400, 18));
    EXPECT_EQ(model.index(1).data(Qt::SizeHintRole).toSize(), QSize(400, 18));
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes[0][1].toModelIndex().row(), 1) << "all rows are told";
}

// contains() answers from counts kept beside the list: after every kind of change, with the
// counts made by the model or given to it, it agrees with the entries themselves (a path
// removed once of two entries is still listed; removed for good, it can be added again).
TEST(ClipListModel, KnowsWhichPathsAreListedThroughEveryChange)
{
    const QStringList a = {"/m/a.mp3"}, b = {"/m/b.mp3"}, c = {"/m/c.mp3"};
    const QStringList many = [] {
        QStringList paths;
        for (int i = 0; i < 70; ++i)
            paths.append(QStringLiteral("/m/many %1.mp3").arg(i));
        return paths;
    }();
    const std::function<void(ClipListModel&)> steps[] = {
        [&](ClipListModel& m) { m.insertAt(1, b + c); },
        [&](ClipListModel& m) { m.removeAt(0); },
        [&](ClipListModel& m) { m.add(a.first()); },
        [&](ClipListModel& m) { m.move(0, 2); },
        [&](ClipListModel& m) { m.removeAt(int(m.list().items().indexOf(b.first()))); },
        [&](ClipListModel& m) { m.setSorted(true); },
        [&](ClipListModel& m) { m.addAll(many); }, // sorted and many: one reset
        [&](ClipListModel& m) { m.insertAt(0, b); },
        [&](ClipListModel& m) { m.removeAt(m.rowCount() - 1); },
    };
    const QStringList initial = {"/m/a.mp3", "/m/b.mp3", "/m/a.mp3"};
    for (const bool given : {false, true}) {
        SCOPED_TRACE(given ? "counts given" : "counts made by the model");
        ClipListModel model;
        model.setItems(initial, {},
                       given ? std::optional(ClipListModel::countEntries(initial)) : std::nullopt);
        int step = 0;
        for (const auto& change : steps) {
            change(model);
            for (const QString& path : a + b + c + many)
                EXPECT_EQ(model.contains(path), model.list().items().contains(path))
                    << path.toStdString() << " after step " << step;
            ++step;
        }
    }
}

} // namespace
} // namespace vantoro
