#include "player/PlayOrder.h"

#include "common/FakeMessageBoxes.h"
#include "playlists/ClipList.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <map>

namespace vantoro {
namespace {

constexpr qint64 kThreeGiB = qint64(3) << 30;

// Creates `path` with the given length (sparse) and local modification time.
void makeClip(const QString& path, qint64 length, const QDateTime& modified)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path.toStdString();
    ASSERT_EQ(::ftruncate(fd, length), 0);
    ::close(fd);
    const timespec times[2] = {{modified.toSecsSinceEpoch(), 0}, {modified.toSecsSinceEpoch(), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
}

QDateTime local(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

class PlayOrderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QString path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }
    QStringList paths(const QStringList& names) const
    {
        QStringList result;
        for (const QString& n : names)
            result.append(path(n));
        return result;
    }
    ClipList listOf(const QStringList& names) const
    {
        ClipList clips;
        clips.addAll(paths(names));
        return clips;
    }

    QTemporaryDir m_dir;
    ShuffleRandom m_random{12345};
    test::FakeMessageBoxes m_messages;
};

// Equal keys fall back to the path with letter case ignored: "a" < "B" < "c", although the
// byte order would put "B" first. The date ties include two moments one second apart, which
// share a stamp (stamps count seconds in steps of two).
TEST_F(PlayOrderTest, SizeAndDateOrdersSortByKeyThenPathIgnoringCase)
{
    const QDateTime t0 = local(2021, 3, 4, 13, 5, 6);
    makeClip(path("B.mp3"), 100, t0);
    makeClip(path("c.mp3"), 100, t0.addSecs(1));
    makeClip(path("a.mp3"), 100, t0);
    makeClip(path("big.avi"), kThreeGiB, t0.addDays(-400));
    makeClip(path("empty.wav"), 0, t0.addDays(30));
    makeClip(path("Mid.ogg"), 5000, t0.addSecs(60));
    const QStringList input{"B.mp3", "big.avi", "c.mp3", "empty.wav", "a.mp3", "Mid.ogg"};

    struct Case
    {
        PlayOrderKind order;
        QStringList expected;
        OrderKeyKind keyKind;
    };
    const std::array<Case, 4> cases = {{
        {PlayOrderKind::Smallest,
         {"empty.wav", "a.mp3", "B.mp3", "c.mp3", "Mid.ogg", "big.avi"},
         OrderKeyKind::Length},
        {PlayOrderKind::Largest,
         {"big.avi", "Mid.ogg", "c.mp3", "B.mp3", "a.mp3", "empty.wav"},
         OrderKeyKind::Length},
        {PlayOrderKind::Oldest,
         {"big.avi", "a.mp3", "B.mp3", "c.mp3", "Mid.ogg", "empty.wav"},
         OrderKeyKind::DateStamp},
        {PlayOrderKind::Newest,
         {"empty.wav", "Mid.ogg", "c.mp3", "B.mp3", "a.mp3", "big.avi"},
         OrderKeyKind::DateStamp},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.order));
        ClipList clips = listOf(input);
        PlayOrderKeys keys;
        ASSERT_EQ(applyPlayOrder(static_cast<int>(c.order), clips, keys, m_random), 0);
        EXPECT_EQ(clips.items(), paths(c.expected));
        EXPECT_FALSE(clips.sorted());
        ASSERT_EQ(keys.kind, c.keyKind);
        ASSERT_EQ(keys.values.size(), clips.count());
        // Each key belongs to the clip at the same position.
        for (qsizetype i = 0; i < clips.count(); ++i) {
            struct stat st;
            ASSERT_EQ(::stat(QFile::encodeName(clips.at(i)).constData(), &st), 0);
            const qint64 expectedKey = c.keyKind == OrderKeyKind::Length
                                           ? qint64(st.st_size)
                                           : qint64(dosDateStamp(st.st_mtim.tv_sec));
            EXPECT_EQ(keys.values.at(i), expectedKey) << clips.at(i).toStdString();
        }
    }
}

// Entries equal in key and in path (the same file twice, or names equal but for case) keep
// their relative order ascending, and Largest is the exact reverse of Smallest.
TEST_F(PlayOrderTest, DescendingOrdersAreTheExactReverseOfAscending)
{
    const QDateTime t = local(2020, 1, 2, 3, 4, 6);
    for (const char* name : {"x.mp3", "X.mp3", "y.mp3", "Y.MP3"})
        makeClip(path(QString::fromLatin1(name)), 42, t);
    const QStringList input{"Y.MP3", "x.mp3", "y.mp3", "X.mp3", "x.mp3"};
    for (const auto& [up, down] : {std::pair{PlayOrderKind::Smallest, PlayOrderKind::Largest},
                                   std::pair{PlayOrderKind::Oldest, PlayOrderKind::Newest}}) {
        ClipList ascending = listOf(input);
        ClipList descending = listOf(input);
        PlayOrderKeys upKeys, downKeys;
        ASSERT_EQ(applyPlayOrder(int(up), ascending, upKeys, m_random), 0);
        ASSERT_EQ(applyPlayOrder(int(down), descending, downKeys, m_random), 0);
        EXPECT_EQ(ascending.items(), paths({"x.mp3", "X.mp3", "x.mp3", "Y.MP3", "y.mp3"}));
        QStringList reversed = descending.items();
        std::reverse(reversed.begin(), reversed.end());
        EXPECT_EQ(reversed, ascending.items());
    }
}

TEST_F(PlayOrderTest, AlphabetSwitchesSortedModeOnAndKeepsNoKeys)
{
    ClipList clips = listOf({"b.mp3", "C.mp3", "a.mp3"});
    PlayOrderKeys keys{OrderKeyKind::Length, {1, 2, 3}};
    ASSERT_EQ(applyPlayOrder(int(PlayOrderKind::Alphabet), clips, keys, m_random), 0);
    EXPECT_TRUE(clips.sorted());
    EXPECT_EQ(clips.items(), paths({"a.mp3", "b.mp3", "C.mp3"}));
    EXPECT_EQ(keys.kind, OrderKeyKind::None);
    EXPECT_TRUE(keys.captionSuffix(1).isEmpty());
    // A list already kept sorted (a new playlist) does not change.
    const QStringList before = clips.items();
    ASSERT_EQ(applyPlayOrder(int(PlayOrderKind::Alphabet), clips, keys, m_random), 0);
    EXPECT_EQ(clips.items(), before);
}

TEST_F(PlayOrderTest, NoSelectionChangesNothing)
{
    ClipList clips = listOf({"b.mp3", "a.mp3"});
    PlayOrderKeys keys;
    EXPECT_EQ(applyPlayOrder(-1, clips, keys, m_random), 0);
    EXPECT_EQ(clips.items(), paths({"b.mp3", "a.mp3"}));
    EXPECT_EQ(keys.kind, OrderKeyKind::None);
}

// A clip whose length cannot be read ends a size order with its I/O error; nothing has changed.
TEST_F(PlayOrderTest, UnreadableClipFailsASizeOrderAndChangesNothing)
{
    makeClip(path("a.mp3"), 10, local(2022, 5, 6, 7, 8, 10));
    makeClip(path("b.mp3"), 20, local(2022, 5, 6, 7, 8, 10));
    const QStringList input{"b.mp3", "gone.mp3", "a.mp3"};
    for (const PlayOrderKind order : {PlayOrderKind::Largest, PlayOrderKind::Smallest}) {
        SCOPED_TRACE(int(order));
        ClipList clips = listOf(input);
        PlayOrderKeys keys;
        test::FakeMessageBoxes messages;
        EXPECT_FALSE(applyPlayOrder(int(order), clips, keys, m_random, messages));
        EXPECT_EQ(clips.items(), paths(input));
        EXPECT_EQ(keys.kind, OrderKeyKind::None);
        EXPECT_TRUE(keys.values.isEmpty());
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("File not found"));
    }
    ClipList clips = listOf({"a.mp3", "a.mp3/inner"});
    PlayOrderKeys keys;
    EXPECT_EQ(applyPlayOrder(int(PlayOrderKind::Smallest), clips, keys, m_random), ENOTDIR);
}

// A clip without a readable date has nothing to sort by: both date orders play the others in
// their order and put it last (several such clips ascending by path), with no date shown.
TEST_F(PlayOrderTest, DateOrdersPutAClipWhoseDateCannotBeReadLast)
{
    const QDateTime older = local(2021, 3, 4, 5, 6, 8);
    const QDateTime newer = local(2022, 5, 6, 7, 8, 10);
    makeClip(path("a.mp3"), 10, older);
    makeClip(path("b.mp3"), 20, newer);
    const QStringList input{"zz-gone.mp3", "b.mp3", "Gone.mp3", "a.mp3"};
    struct Case
    {
        PlayOrderKind order;
        QStringList expected;
        QList<qint64> keys;
    };
    const qint64 a = dosDateStamp(older.toSecsSinceEpoch());
    const qint64 b = dosDateStamp(newer.toSecsSinceEpoch());
    const qint64 none = PlayOrderKeys::kNoKey;
    const Case cases[] = {
        {PlayOrderKind::Newest, {"b.mp3", "a.mp3", "Gone.mp3", "zz-gone.mp3"}, {b, a, none, none}},
        {PlayOrderKind::Oldest, {"a.mp3", "b.mp3", "Gone.mp3", "zz-gone.mp3"}, {a, b, none, none}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.order));
        ClipList clips = listOf(input);
        PlayOrderKeys keys;
        test::FakeMessageBoxes messages;
        EXPECT_TRUE(applyPlayOrder(int(c.order), clips, keys, m_random, messages));
        EXPECT_TRUE(messages.shown.isEmpty());
        EXPECT_EQ(clips.items(), paths(c.expected));
        EXPECT_EQ(keys.kind, OrderKeyKind::DateStamp);
        EXPECT_EQ(keys.values, c.keys);
        EXPECT_FALSE(keys.captionSuffix(1).isEmpty());
        EXPECT_TRUE(keys.captionSuffix(3).isEmpty());
        EXPECT_TRUE(keys.captionSuffix(4).isEmpty());
    }
}

TEST_F(PlayOrderTest, ChoiceNeedsTwoClips)
{
    for (const int count : {0, 1, 2, 3}) {
        SCOPED_TRACE(count);
        ClipList clips;
        for (int i = 0; i < count; ++i)
            clips.add(path(QString::number(i)));
        test::FakeMessageBoxes messages;
        EXPECT_EQ(acceptPlayOrderChoice(clips, messages), count >= 2);
        if (count >= 2) {
            EXPECT_TRUE(messages.shown.isEmpty());
        } else {
            ASSERT_EQ(messages.shown.size(), 1);
            EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
            EXPECT_EQ(messages.shown[0].text,
                      QStringLiteral("You must have more than 1 clip to change play order"));
        }
    }
}

TEST_F(PlayOrderTest, ByteSuffixGroupsThousandsByLocale)
{
    makeClip(path("big.avi"), kThreeGiB, local(2021, 1, 1, 12, 0, 0));
    makeClip(path("small.avi"), 999, local(2021, 1, 1, 12, 0, 0));
    makeClip(path("k.avi"), 1000, local(2021, 1, 1, 12, 0, 0));
    ClipList clips = listOf({"small.avi", "big.avi", "k.avi"});
    PlayOrderKeys keys;
    ASSERT_EQ(applyPlayOrder(int(PlayOrderKind::Largest), clips, keys, m_random), 0);
    EXPECT_EQ(keys.captionSuffix(1), QStringLiteral(" - Bytes: 3,221,225,472"));
    EXPECT_EQ(keys.captionSuffix(2), QStringLiteral(" - Bytes: 1,000"));
    EXPECT_EQ(keys.captionSuffix(3), QStringLiteral(" - Bytes: 999"));
    EXPECT_EQ(keys.captionSuffix(0), QString());
    EXPECT_EQ(keys.captionSuffix(4), QString());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(keys.captionSuffix(1), QStringLiteral(" - Bytes: 3.221.225.472"));
    EXPECT_EQ(formatByteCount(0), QStringLiteral("0"));
    EXPECT_EQ(formatByteCount(100000), QStringLiteral("100.000"));
}

TEST_F(PlayOrderTest, DateSuffixIsShortDateAndLongTimeWithoutMidnight)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    makeClip(path("noon.mp3"), 1, local(2021, 3, 4, 13, 5, 7));
    makeClip(path("midnight.mp3"), 1, local(2021, 3, 5, 0, 0, 0));
    makeClip(path("second.mp3"), 1, local(2021, 3, 6, 0, 0, 1));
    ClipList clips = listOf({"noon.mp3", "midnight.mp3", "second.mp3"});
    PlayOrderKeys keys;
    ASSERT_EQ(applyPlayOrder(int(PlayOrderKind::Oldest), clips, keys, m_random), 0);
    // Stamps keep seconds in steps of two.
    EXPECT_EQ(keys.captionSuffix(1), QStringLiteral(" - 04.03.21 13:05:06"));
    EXPECT_EQ(keys.captionSuffix(2), QStringLiteral(" - 05.03.21"));
    EXPECT_EQ(keys.captionSuffix(3), QStringLiteral(" - 06.03.21"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString us = keys.captionSuffix(1);
    EXPECT_TRUE(us.startsWith(QStringLiteral(" - 3/4/21 1:05:06"))) << us.toStdString();
    EXPECT_TRUE(us.endsWith(QStringLiteral("PM"))) << us.toStdString();
}

TEST_F(PlayOrderTest, DateStampPacksLocalTimeAndClampsToItsRange)
{
    const QDateTime t = local(2044, 12, 31, 23, 59, 59);
    const quint32 stamp = dosDateStamp(t.toSecsSinceEpoch());
    EXPECT_EQ(stamp >> 25, 2044u - 1980u);
    EXPECT_EQ(stamp >> 21 & 0xF, 12u);
    EXPECT_EQ(stamp >> 16 & 0x1F, 31u);
    EXPECT_EQ(stamp >> 11 & 0x1F, 23u);
    EXPECT_EQ(stamp >> 5 & 0x3F, 59u);
    EXPECT_EQ(stamp & 0x1F, 29u);
    // Years from 2044 set the top bit; they still order after earlier ones.
    EXPECT_GT(stamp, dosDateStamp(local(2043, 1, 1, 0, 0, 0).toSecsSinceEpoch()));
    EXPECT_EQ(dosDateStamp(0), 0x00210000u);
    EXPECT_EQ(dosDateStamp(local(2200, 1, 1, 0, 0, 0).toSecsSinceEpoch()), 0xFF9FBF7Du);
    EXPECT_EQ(formatDateStamp(0x00210000u),
              QLocale().toString(QDate(1980, 1, 1), QLocale::ShortFormat));
}

TEST_F(PlayOrderTest, ShuffleKeepsEveryEntryAndSwitchesSortedModeOff)
{
    ClipList clips = listOf({"a", "b", "b", "c", "d"});
    clips.setSorted(true);
    PlayOrderKeys keys{OrderKeyKind::Length, {1, 2, 3, 4, 5}};
    ASSERT_EQ(applyPlayOrder(int(PlayOrderKind::Shuffle), clips, keys, m_random), 0);
    EXPECT_FALSE(clips.sorted());
    EXPECT_EQ(keys.kind, OrderKeyKind::None);
    QStringList sorted = clips.items();
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, paths({"a", "b", "b", "c", "d"}));
}

// Over many runs every arrangement of four clips turns up about equally often, and every
// clip (the last one included) comes first.
TEST_F(PlayOrderTest, ShuffleIsUniform)
{
    const QStringList input = paths({"a", "b", "c", "d"});
    constexpr int kRuns = 24000;
    std::map<QStringList, int> seen;
    std::map<QString, int> firsts;
    for (int run = 0; run < kRuns; ++run) {
        ClipList clips;
        clips.addAll(input);
        PlayOrderKeys keys;
        ASSERT_EQ(applyPlayOrder(int(PlayOrderKind::Shuffle), clips, keys, m_random), 0);
        ++seen[clips.items()];
        ++firsts[clips.at(0)];
    }
    ASSERT_EQ(seen.size(), 24u);
    for (const QString& clip : input)
        EXPECT_GT(firsts[clip], 0) << clip.toStdString();
    const double expected = kRuns / 24.0;
    double chiSquared = 0;
    for (const auto& [order, count] : seen)
        chiSquared += (count - expected) * (count - expected) / expected;
    // 23 degrees of freedom: exceeded with probability 0.001 at 49.73.
    EXPECT_LT(chiSquared, 49.73);

    // Two clips: both orders.
    std::map<QString, int> twoFirsts;
    for (int run = 0; run < 200; ++run) {
        ClipList clips;
        clips.addAll(paths({"x", "y"}));
        PlayOrderKeys keys;
        applyPlayOrder(int(PlayOrderKind::Shuffle), clips, keys, m_random);
        ++twoFirsts[clips.at(0)];
    }
    EXPECT_EQ(twoFirsts.size(), 2u);
}

} // namespace
} // namespace vantoro
