#include "player/Marking.h"

#include "playlists/ProgramState.h"

#include <gtest/gtest.h>

namespace vantoro {
namespace {

ProgramState newPlaylist(const QStringList& clips, int mode = kModeNew)
{
    ProgramState state;
    state.Tag = mode;
    state.AllBox.addAll(clips);
    return state;
}

TEST(Marking, ButtonShowsAtFirstStreamAndIsEnabledOncePerEntry)
{
    ProgramState state = newPlaylist({"/m/a.mp3", "/m/b.mp3"});
    Marking marking(state);
    EXPECT_FALSE(marking.buttonVisible());
    EXPECT_FALSE(marking.MarkButtonClick(1)); // hidden: nothing
    marking.newStream(0);                     // no entry of the list: still hidden
    EXPECT_FALSE(marking.buttonVisible());
    marking.newStream(1);
    EXPECT_TRUE(marking.buttonVisible());
    EXPECT_TRUE(marking.buttonEnabled());

    EXPECT_TRUE(marking.MarkButtonClick(1));
    EXPECT_FALSE(marking.buttonEnabled());
    EXPECT_TRUE(marking.buttonVisible());
    EXPECT_FALSE(marking.MarkButtonClick(1)); // second press in the same entry
    marking.newStream(2);
    EXPECT_TRUE(marking.buttonEnabled());
    EXPECT_TRUE(marking.MarkButtonClick(2));
    EXPECT_EQ(state.LeftBox, QStringList({"a.mp3", "b.mp3"}));
    EXPECT_EQ(state.PathLeft, QStringList({"/m/a.mp3", "/m/b.mp3"}));
}

// Entry 1 could not be played and was skipped: the first stream is entry 2, and Mark shows
// there, or nothing in the playlist could ever be marked.
TEST(Marking, ButtonShowsWhenTheFirstStreamIsALaterEntry)
{
    ProgramState state = newPlaylist({"/m/a-empty.mp3", "/m/b.mp3"});
    Marking marking(state);
    marking.newStream(2);
    EXPECT_TRUE(marking.buttonVisible());
    EXPECT_TRUE(marking.buttonEnabled());
    EXPECT_TRUE(marking.MarkButtonClick(2));
    EXPECT_EQ(state.PathLeft, QStringList({"/m/b.mp3"}));
}

// Repetitions and duplicate entries give one mark; paths differing only in case give two.
TEST(Marking, PathsAreUniqueExactlyIncludingCase)
{
    ProgramState state = newPlaylist({"/m/Song.mp3", "/m/x/y.mp3", "/m/song.mp3", "/m/Song.mp3"});
    state.AllBox.setSorted(false);
    const QStringList clips = state.AllBox.items();
    Marking marking(state);
    // Entries as the control reports them: every entry, then a repetition from entry 1.
    for (int round = 0; round < 2; ++round) {
        for (int entry = 1; entry <= clips.size(); ++entry) {
            marking.newStream(entry);
            marking.MarkButtonClick(entry);
        }
    }
    ASSERT_EQ(state.LeftBox.size(), state.PathLeft.size());
    EXPECT_EQ(state.PathLeft, QStringList({clips[0], clips[1], clips[2]}));
    for (qsizetype i = 0; i < state.PathLeft.size(); ++i)
        EXPECT_EQ(state.LeftBox[i], Marking::fileNameOf(state.PathLeft[i]));
}

TEST(Marking, EntriesWithoutAClipChangeNothing)
{
    ProgramState state = newPlaylist({"/m/a.mp3"});
    state.LeftBox = QStringList{"old.mp3"};
    state.PathLeft = QStringList{"/old/old.mp3"};
    Marking marking(state);
    marking.newStream(1);
    for (const int entry : {0, -1, 2}) {
        EXPECT_FALSE(marking.MarkButtonClick(entry)) << entry;
        EXPECT_TRUE(marking.buttonEnabled()) << entry;
    }
    EXPECT_TRUE(marking.MarkButtonClick(1));
    EXPECT_EQ(state.PathLeft, QStringList({"/old/old.mp3", "/m/a.mp3"}));
    EXPECT_EQ(state.LeftBox, QStringList({"old.mp3", "a.mp3"}));
}

TEST(Marking, LoadedPlaylistNeverShowsTheButton)
{
    for (const int mode : {kModeLoad, kModeNone}) {
        ProgramState state = newPlaylist({"/m/a.mp3", "/m/b.mp3"}, mode);
        Marking marking(state);
        marking.newStream(1);
        marking.newStream(2);
        EXPECT_FALSE(marking.buttonVisible());
        EXPECT_FALSE(marking.buttonEnabled());
        EXPECT_FALSE(marking.MarkButtonClick(1));
        EXPECT_TRUE(state.PathLeft.isEmpty());
        EXPECT_TRUE(state.LeftBox.isEmpty());
    }
}

TEST(Marking, FileNameIsTheTextAfterTheLastSlash)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/music/rock/song.mp3", "song.mp3"}, {"song.mp3", "song.mp3"}, {"/song", "song"},
        {"/a/b\\c.mp3", "b\\c.mp3"},          {"/a/dir/", ""},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(Marking::fileNameOf(QString::fromUtf8(path)), QString::fromUtf8(name)) << path;
}

} // namespace
} // namespace vantoro
