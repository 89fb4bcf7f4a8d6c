#include "htmlview/FontName.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace vantoro;

namespace {

TEST(FontName, SameNameIsOneValueAndDifferentNamesDiffer)
{
    const FontName empty;
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty, FontName(QString()));

    const QString built = QStringLiteral("Liberation ") + QStringLiteral("Serif");
    const FontName a(QStringLiteral("Liberation Serif"));
    const FontName b(built);
    EXPECT_EQ(a, b);
    EXPECT_EQ(&a.toString(), &b.toString()); // one kept copy
    EXPECT_EQ(a, QStringLiteral("Liberation Serif"));
    EXPECT_FALSE(a == FontName(QStringLiteral("liberation serif"))); // case counts, as in HTML
    EXPECT_EQ(a.compare(QStringLiteral("LIBERATION SERIF"), Qt::CaseInsensitive), 0);

    FontName assigned;
    assigned = QStringLiteral("Liberation Serif");
    EXPECT_EQ(assigned, a);
    assigned = QString();
    EXPECT_TRUE(assigned.isEmpty());
}

TEST(FontName, ThreadsKeepingTheSameNamesShareThem)
{
    constexpr int kThreads = 4;
    constexpr int kNames = 300;
    std::vector<std::vector<const QString*>> seen(kThreads, std::vector<const QString*>(kNames));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < kNames; ++i) {
                // Each thread walks the names from another starting point.
                const int n = (i + t * 37) % kNames;
                seen[size_t(t)][size_t(n)] =
                    &FontName(QStringLiteral("Shared %1").arg(n)).toString();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int n = 0; n < kNames; ++n) {
        EXPECT_EQ(*seen[0][size_t(n)], QStringLiteral("Shared %1").arg(n));
        for (int t = 1; t < kThreads; ++t)
            EXPECT_EQ(seen[size_t(t)][size_t(n)], seen[0][size_t(n)]) << n;
    }
}

TEST(FontName, EndlessInventedNamesStopAtTheLimitAndKeptNamesStay)
{
    const FontName early(QStringLiteral("Early Family"));
    for (int i = 0; i < FontName::kMaxNames + 100; ++i)
        FontName(QStringLiteral("Invented %1").arg(i));
    EXPECT_TRUE(FontName(QStringLiteral("One Too Many")).isEmpty());
    EXPECT_EQ(FontName(QStringLiteral("Early Family")), early);
    EXPECT_EQ(early.toString(), QStringLiteral("Early Family"));
}

} // namespace
