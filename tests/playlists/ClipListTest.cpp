#include "playlists/ClipList.h"

#include <gtest/gtest.h>

namespace vantoro {
namespace {

TEST(ClipListSorted, SortsIgnoringCaseAndKeepsEqualEntriesInOrder)
{
    ClipList list;
    list.addAll({"/m/b.mp3", "/m/A.mp3", "/m/C.mp3", "/m/a.mp3", "/m/B.mp3"});
    list.setSorted(true);
    EXPECT_EQ(list.items(),
              QStringList({"/m/A.mp3", "/m/a.mp3", "/m/b.mp3", "/m/B.mp3", "/m/C.mp3"}));

    // Later additions go to their sorted place, after any equal entries.
    list.add("/m/A.MP3");
    list.add("/m/0.mp3");
    list.add("/m/z.mp3");
    EXPECT_EQ(list.items(), QStringList({"/m/0.mp3", "/m/A.mp3", "/m/a.mp3", "/m/A.MP3", "/m/b.mp3",
                                         "/m/B.mp3", "/m/C.mp3", "/m/z.mp3"}));

    // Switching off keeps the order; additions then go to the end.
    list.setSorted(false);
    list.add("/m/a.mp3");
    EXPECT_EQ(list.at(list.count() - 1), "/m/a.mp3");
    EXPECT_EQ(list.at(0), "/m/0.mp3");
}

TEST(ClipListSorted, TellsWhereEntriesGoAndWhereTheyCameFrom)
{
    ClipList list;
    list.addAll({"/m/c.mp3", "/m/A.mp3", "/m/b.mp3", "/m/a.mp3"});
    EXPECT_EQ(list.placeFor("/m/0.mp3"), 4) << "unsorted: at the end";
    std::vector<qsizetype> order;
    list.setSorted(true, &order);
    EXPECT_EQ(list.items(), QStringList({"/m/A.mp3", "/m/a.mp3", "/m/b.mp3", "/m/c.mp3"}));
    EXPECT_EQ(order, (std::vector<qsizetype>{1, 3, 2, 0}));
    // Already sorted: nothing reordered.
    list.setSorted(true, &order);
    EXPECT_TRUE(order.empty());
    const struct
    {
        const char* path;
        qsizetype place;
    } places[] = {{"/m/0.mp3", 0}, {"/m/A.MP3", 2}, {"/m/B.mp3", 3}, {"/m/z.mp3", 4}};
    for (const auto& p : places) {
        EXPECT_EQ(list.placeFor(p.path), p.place) << p.path;
        ClipList copy = list;
        copy.add(p.path);
        EXPECT_EQ(copy.at(p.place), p.path);
    }
}

TEST(ClipListSorted, BatchAdditionMatchesAddingOneByOne)
{
    QStringList start;
    QStringList batch;
    for (int i = 0; i < 300; ++i) {
        start.append(QStringLiteral("/m/%1/clip.mp3").arg((i * 7919) % 101));
        batch.append(QStringLiteral("/M/%1/Clip.mp3").arg((i * 104729) % 97));
    }
    ClipList oneByOne;
    ClipList inBatch;
    for (ClipList* list : {&oneByOne, &inBatch}) {
        list->addAll(start);
        list->setSorted(true);
    }
    for (const QString& p : batch)
        oneByOne.add(p);
    inBatch.addAll(batch);
    EXPECT_EQ(inBatch.items(), oneByOne.items());
}

TEST(ClipListSorted, EditsWhileSortedKeepLaterAdditionsPlaced)
{
    ClipList list;
    list.setSorted(true);
    list.addAll({"/m/d", "/m/b", "/m/f", "/m/a"});
    list.removeAt(1); // "/m/b"
    list.add("/m/c");
    EXPECT_EQ(list.items(), QStringList({"/m/a", "/m/c", "/m/d", "/m/f"}));

    list.setItems({"/m/z", "/m/y"});
    EXPECT_FALSE(list.sorted());
    list.setSorted(true);
    list.add("/m/x");
    EXPECT_EQ(list.items(), QStringList({"/m/x", "/m/y", "/m/z"}));

    list.clear();
    list.add("/m/q");
    list.add("/m/p");
    EXPECT_EQ(list.items(), QStringList({"/m/p", "/m/q"}));
}

} // namespace
} // namespace vantoro
