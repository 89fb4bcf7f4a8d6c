#include "app/Settings.h"

#include "common/FakeMessageBoxes.h"
#include "common/TestSupport.h"
#include "common/Unprivileged.h"
#include "playlists/ProgramState.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

using namespace vantoro;
using vantoro::test::readFileBytes;
using vantoro::test::writeFileBytes;

TEST(Settings, YesNoValues)
{
    struct Case
    {
        const char* text;
        bool expected;
    } cases[] = {
        {"1", true},    {"0", false},   {"0x10", true},  {"0X0", false}, {"-1", true},
        {"00", false},  {"yes", true},  {"", true},      {"0x", true},   {"1.5", true},
        {"0xZZ", true}, {"0x-1", true}, {"12abc", true}, {"+0", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Settings::parseYesNo(QString::fromLatin1(c.text), true), c.expected)
            << "text \"" << c.text << '"';
    }
    EXPECT_FALSE(Settings::parseYesNo(QStringLiteral("word"), false));
    EXPECT_FALSE(Settings::parseYesNo(QStringLiteral("0"), true));
}

class SettingsFile : public ::testing::Test
{
protected:
    SettingsFile()
    {
        state.ProgramFolder = dir.path() + u'/';
        state.IniFileName = state.ProgramFolder + QStringLiteral("Vantoro.INI");
    }
    QTemporaryDir dir;
    ProgramState state;
    test::FakeMessageBoxes messages;
};

TEST_F(SettingsFile, FirstStartCreatesTheDefaultsInTableOrder)
{
    Settings settings(state, messages);
    ASSERT_TRUE(settings.createIfMissing());
    settings.read();
    const QByteArray folder = state.ProgramFolder.toUtf8();
    EXPECT_EQ(readFileBytes(state.IniFileName), "[Bar]\r\nTrack=1\r\nStatus=1\r\n\r\n[Paths]\r\n"
                                                "Clips=" +
                                                    folder + "\r\nLists=" + folder + "\r\n");
    EXPECT_TRUE(state.TrackBarSetting);
    EXPECT_TRUE(state.StatusBarSetting);
    EXPECT_EQ(state.ClipFolder, state.ProgramFolder);
    EXPECT_EQ(state.ListFolder, state.ProgramFolder);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(SettingsFile, ExistingFileIsReadAndNotRewritten)
{
    const QByteArray contents = "[bar]\nTrack=word\nStatus=0\n";
    writeFileBytes(state.IniFileName, contents);
    Settings settings(state, messages);
    ASSERT_TRUE(settings.createIfMissing());
    settings.read();
    EXPECT_EQ(readFileBytes(state.IniFileName), contents);
    EXPECT_TRUE(state.TrackBarSetting) << "a word reads as the default";
    EXPECT_FALSE(state.StatusBarSetting);
    EXPECT_EQ(state.ClipFolder, state.ProgramFolder) << "no [Paths]: the program's folder";
    EXPECT_EQ(state.ListFolder, state.ProgramFolder);
}

TEST_F(SettingsFile, SaveWritesCurrentValuesEvenWhenUnchanged)
{
    Settings settings(state, messages);
    settings.createIfMissing();
    settings.read();
    writeFileBytes(state.IniFileName, "; hand-edited\r\n[Bar]\r\nTrack=1\r\n");
    state.StatusBarSetting = false;
    state.ClipFolder = QStringLiteral("/media/Clips");
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(readFileBytes(state.IniFileName),
              "; hand-edited\r\n[Bar]\r\nTrack=1\r\nStatus=0\r\n\r\n[Paths]\r\n"
              "Clips=/media/Clips\r\nLists=" +
                  state.ProgramFolder.toUtf8() + "\r\n");
}

TEST_F(SettingsFile, FolderWithALineBreakIsNotStoredAndTheOldValueStays)
{
    Settings settings(state, messages);
    state.ClipFolder = QStringLiteral("/media/Clips");
    state.ListFolder = QStringLiteral("/media/Lists");
    ASSERT_TRUE(settings.save());
    state.ClipFolder = QStringLiteral("/media/two\nlines");
    state.ListFolder = QStringLiteral("/media/carriage\rreturn");
    state.TrackBarSetting = false;
    ASSERT_TRUE(settings.save());
    EXPECT_TRUE(messages.shown.isEmpty());
    settings.read();
    EXPECT_EQ(state.ClipFolder, QStringLiteral("/media/Clips"));
    EXPECT_EQ(state.ListFolder, QStringLiteral("/media/Lists"));
    EXPECT_FALSE(state.TrackBarSetting) << "the other values are still written";
    EXPECT_FALSE(readFileBytes(state.IniFileName).contains("lines"));
}

TEST_F(SettingsFile, UnwritableFileShowsTheErrorWithItsPath)
{
    state.ProgramFolder = dir.path() + QStringLiteral("/missing/");
    state.IniFileName = state.ProgramFolder + QStringLiteral("Vantoro.INI");
    Settings settings(state, messages);
    EXPECT_FALSE(settings.createIfMissing());
    ASSERT_EQ(messages.shown.size(), 1) << "the first failing write ends the step";
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(messages.shown[0].text, "Unable to write to " + state.IniFileName);
}

TEST_F(SettingsFile, FullDiskAtSaveKeepsTheOldFile)
{
    test::SmallTmpfs disk(64);
    if (!disk.isMounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    state.ProgramFolder = disk.path() + u'/';
    state.IniFileName = state.ProgramFolder + QStringLiteral("Vantoro.INI");
    Settings settings(state, messages);
    ASSERT_TRUE(settings.createIfMissing());
    settings.read();
    const QByteArray before = readFileBytes(state.IniFileName);
    disk.fill();
    state.TrackBarSetting = false;
    EXPECT_FALSE(settings.save());
    EXPECT_EQ(readFileBytes(state.IniFileName), before);
    ASSERT_EQ(messages.texts(), QStringList{"Unable to write to " + state.IniFileName});
}

TEST_F(SettingsFile, ReadOnlySettingsFileIsNeverReplaced)
{
    const QString folder = dir.path();
    const QString ini = state.IniFileName;
    const int status = test::runUnprivileged(folder, [&] {
        const QByteArray mine = "; kept as I wrote it\r\n[Bar]\r\nTrack=0\r\nStatus=0\r\n";
        writeFileBytes(ini, mine);
        ::chmod(QFile::encodeName(ini).constData(), 0444);
        Settings settings(state, messages);
        settings.read();
        state.TrackBarSetting = true;
        if (settings.save()) {
            std::fprintf(stderr, "save() reported success over a read-only file\n");
            return 1;
        }
        if (messages.texts() != QStringList{"Unable to write to " + ini}) {
            std::fprintf(stderr, "wrong report: %s\n", qPrintable(messages.texts().join(u'|')));
            return 2;
        }
        return readFileBytes(ini) == mine ? 0 : 3;
    });
    EXPECT_EQ(status, 0);
}
