#include "app/TForm1.h"

#include "app/WebLinks.h"
#include "common/FakeMessageBoxes.h"
#include "common/FakeShellOpener.h"
#include "common/LayoutCheck.h"
#include "common/TestSupport.h"
#include "htmlview/THtmlTextView.h"
#include "platform/MediaPlayerCheck.h"
#include "platform/TextContrast.h"
#include "playlists/PlaylistFormat.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace vantoro;
using vantoro::test::readFileBytes;
using vantoro::test::writeFileBytes;

namespace {

class FakeMediaCheck final : public MediaPlayerCheck
{
public:
    explicit FakeMediaCheck(bool installed) : m_installed(installed) {}
    bool mediaPlayerInstalled() override
    {
        ++calls;
        return m_installed;
    }
    int calls = 0;

private:
    bool m_installed;
};

class MainWindow : public ::testing::Test
{
protected:
    std::unique_ptr<TForm1> makeForm(const QString& programFolder)
    {
        services.messages = &messages;
        services.shell = &shell;
        services.mediaCheck = &media;
        services.programFolder = programFolder;
        services.executableFolder = dir.path();
        return std::make_unique<TForm1>(services);
    }
    QString folder() const { return dir.path() + u'/'; }

    QTemporaryDir dir;
    test::FakeMessageBoxes messages;
    test::FakeShellOpener shell;
    FakeMediaCheck media{true};
    Services services;
};

TEST_F(MainWindow, FirstStartCreatesSettingsAndDialogsOpenInTheProgramFolder)
{
    auto form = makeForm(folder());
    form->FormCreate();
    const ProgramState& s = form->state();
    EXPECT_EQ(s.IniFileName, folder() + "Vantoro.INI");
    EXPECT_TRUE(QFileInfo::exists(s.IniFileName));
    EXPECT_EQ(form->OpenDialog1InitialDir(), folder());
    EXPECT_EQ(form->OpenDialog2InitialDir(), folder());
    EXPECT_EQ(s.Tag, 0);
    EXPECT_EQ(s.SleepChoice, 0);
    EXPECT_FALSE(s.ShutdownPending);
    EXPECT_TRUE(s.TrackBarSetting);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(media.calls, 1);
}

TEST_F(MainWindow, InstalledCopyStartsItsDialogsInTheUserFoldersNotInItsSettingsFolder)
{
    services.playlistFolder = dir.path() + QStringLiteral("/Music/Playlists/");
    services.clipFolder = dir.path() + QStringLiteral("/Music/");
    auto form = makeForm(folder());
    form->FormCreate();
    const ProgramState& s = form->state();
    EXPECT_EQ(s.PlaylistFolder, services.playlistFolder);
    EXPECT_EQ(form->OpenDialog2InitialDir(), services.playlistFolder);
    EXPECT_EQ(form->OpenDialog1InitialDir(), services.clipFolder) << "a first New";
    const QByteArray ini = readFileBytes(s.IniFileName);
    EXPECT_TRUE(ini.contains(QByteArray(QByteArray("Lists=") + services.playlistFolder.toUtf8())))
        << "the first start stores where the playlist dialogs begin";
    EXPECT_TRUE(ini.contains(QByteArray(QByteArray("Clips=") + services.clipFolder.toUtf8())))
        << ini.data();

    // A settings file without a Clips= line starts the clip dialog there too.
    writeFileBytes(s.IniFileName, "[Bar]\r\nTrack=1\r\n");
    auto again = makeForm(folder());
    again->FormCreate();
    EXPECT_EQ(again->OpenDialog1InitialDir(), services.clipFolder);
}

TEST_F(MainWindow, ExistingSettingsSetTheDialogFolders)
{
    writeFileBytes(folder() + "Vantoro.INI",
                   "[Bar]\r\nTrack=0\r\nStatus=1\r\n[Paths]\r\nClips=/media/clips\r\n"
                   "Lists=\"/media/lists\"\r\n");
    auto form = makeForm(folder());
    form->FormCreate();
    EXPECT_FALSE(form->state().TrackBarSetting);
    EXPECT_EQ(form->OpenDialog1InitialDir(), "/media/clips");
    EXPECT_EQ(form->OpenDialog2InitialDir(), "/media/lists");
}

TEST_F(MainWindow, MissingPlaybackEngineIsReportedOnceAndStartUpGoesOn)
{
    FakeMediaCheck missing(false);
    auto form = makeForm(folder());
    services.mediaCheck = &missing;
    form = std::make_unique<TForm1>(services);
    form->FormCreate();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Plain);
    const QStringList lines = messages.shown[0].text.split(u'\r');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "ERROR:");
    EXPECT_EQ(lines[1], "It seems the media player engine (libmpv) is not installed");
    EXPECT_EQ(lines[2], "Please download + install latest version available free from");
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral(" http")));
    EXPECT_TRUE(form->PlaylistNew->isEnabled());
    EXPECT_TRUE(form->PlaylistLoad->isEnabled());
    EXPECT_TRUE(form->PlaylistEdit->isEnabled());
    EXPECT_TRUE(form->PlaylistDelete->isEnabled());
}

TEST_F(MainWindow, UnwritableSettingsEndStartUpWithBarsOffAndEmptyFolders)
{
    auto form = makeForm(dir.path() + QStringLiteral("/gone/"));
    form->FormCreate();
    EXPECT_EQ(messages.texts(),
              QStringList{"Unable to write to " + dir.path() + "/gone/Vantoro.INI"});
    EXPECT_FALSE(form->state().TrackBarSetting);
    EXPECT_FALSE(form->state().StatusBarSetting);
    EXPECT_TRUE(form->OpenDialog1InitialDir().isEmpty());
    EXPECT_EQ(media.calls, 0) << "the engine check does not run after a failed settings write";
}

TEST_F(MainWindow, ClosingByButtonOrCloseBoxWritesTheSettings)
{
    for (bool byButton : {true, false}) {
        QFile::remove(folder() + "Vantoro.INI");
        auto form = makeForm(folder());
        form->FormCreate();
        form->show();
        form->state().ClipFolder =
            byButton ? QStringLiteral("/by/button") : QStringLiteral("/by/close/box");
        if (byButton)
            QTest::mouseClick(form->ExitButton, Qt::LeftButton);
        else
            form->close();
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(
            readFileBytes(folder() + "Vantoro.INI")
                .contains(QByteArray("Clips=" + form->state().ClipFolder.toUtf8() + "\r\n")));
    }
}

TEST_F(MainWindow, SettingsErrorAtCloseIsShownAndTheWindowStillCloses)
{
    auto form = makeForm(folder());
    form->FormCreate();
    form->show();
    form->state().IniFileName = dir.path() + QStringLiteral("/gone/Vantoro.INI");
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(messages.texts(), QStringList{"Unable to write to " + form->state().IniFileName});
}

// Everything written to stderr while the object lives.
class CapturedStderr
{
public:
    CapturedStderr() : m_file(std::tmpfile())
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(::fileno(m_file), STDERR_FILENO);
    }
    ~CapturedStderr()
    {
        restore();
        std::fclose(m_file);
    }
    QByteArray text()
    {
        restore();
        std::rewind(m_file);
        QByteArray bytes;
        char buffer[4096];
        while (const size_t n = std::fread(buffer, 1, sizeof buffer, m_file))
            bytes.append(buffer, qsizetype(n));
        return bytes;
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    std::FILE* m_file;
    int m_saved = -1;
};

TEST_F(MainWindow, SettingsErrorOnATerminationRequestGoesToStderrWithoutABox)
{
    auto form = makeForm(folder());
    form->FormCreate();
    form->show();
    form->state().IniFileName = dir.path() + QStringLiteral("/gone/Vantoro.INI");
    CapturedStderr captured;
    form->closeOnTermination();
    const QByteArray report = captured.text();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(messages.shown.isEmpty()) << "no box may wait for a click";
    EXPECT_TRUE(report.contains(
        QByteArray("Unable to write to " + form->state().IniFileName.toUtf8() + "\n")))
        << report.constData();
}

TEST_F(MainWindow, StartUpRemovesTemporariesThatAKilledSaveLeft)
{
    const QString clips = dir.path() + QStringLiteral("/clips");
    QDir().mkpath(clips);
    writeFileBytes(folder() + "Vantoro.INI",
                   "[Paths]\r\nClips=" + clips.toUtf8() + "\r\nLists=" + clips.toUtf8() + "\r\n");
    const QString stale[] = {folder() + ".playlist.tmp.vantoro-a1B2c3",
                             clips + "/.Party.asx.vantoro-x9Y8z7",
                             folder() + ".Vantoro.INI.q1W2e3"};
    const QString fresh = clips + "/.Party.asx.vantoro-n0W0n0";
    // In the program the sweep waits until the window is on the screen.
    for (const bool deferred : {false, true}) {
        SCOPED_TRACE(deferred ? "deferred" : "in FormCreate");
        for (const QString& path : stale) {
            writeFileBytes(path, QByteArray(4096, 'p'));
            const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
            ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), hourAgo, 0);
        }
        writeFileBytes(fresh, "being written");
        auto form = makeForm(folder());
        form->setSweepDeferred(deferred);
        form->FormCreate();
        if (deferred) {
            QThreadPool::globalInstance()->waitForDone();
            EXPECT_TRUE(std::all_of(std::begin(stale), std::end(stale),
                                    [](const QString& p) { return QFile::exists(p); }));
            form->sweepStaleTemporaries();
        }
        EXPECT_TRUE(test::waitUntil([&] {
            return std::none_of(std::begin(stale), std::end(stale),
                                [](const QString& p) { return QFile::exists(p); });
        })) << "stale temporaries are still there";
        EXPECT_TRUE(QFile::exists(fresh));
        EXPECT_TRUE(QFile::exists(folder() + "Vantoro.INI"));
    }
}

TEST_F(MainWindow, CaptionControlsAndGuideSource)
{
    auto form = makeForm(folder());
    EXPECT_EQ(form->windowTitle(),
              "Vantoro 5.0 - Player, SlideShow Viewer, Playlister & Media Manager");
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "fixed size";
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->PlayListBox->title(), "  Playlist  ");
    EXPECT_EQ(form->PlaylistNew->text(), "&New");
    EXPECT_EQ(form->PlaylistNew->toolTip(), "Select Clip(s) for New Playlist");
    EXPECT_EQ(form->PlaylistLoad->toolTip(), "Open Existing Playlist");
    EXPECT_EQ(form->PlaylistEdit->toolTip(), "Modify existing playlist");
    EXPECT_EQ(form->BitBtn6->text(), "Toys && Games");
    EXPECT_EQ(form->BitBtn10->focusPolicy() & Qt::TabFocus, 0) << "skipped by the Tab key";
    EXPECT_EQ(form->GroupBox1->title(), "  Click below to check out today's top 100:  ");
    EXPECT_FALSE(form->Memo1()->isVisibleTo(form.get()));
    EXPECT_EQ(form->Memo1()->document()->blockCount(), 13);
    EXPECT_EQ(TForm1::guideHtml().count(QStringLiteral("\r\n")), 12);
    EXPECT_TRUE(TForm1::guideHtml().startsWith(QStringLiteral("<b>")));
}

// As shown: every caption inside its control ("Toys & Games" whole in its bold font), nothing
// sticking out or overlapping, and the seven shop buttons in one row.
TEST_F(MainWindow, LooksCleanWithTheShopButtonsInOneRow)
{
    auto form = makeForm(folder());
    form->FormCreate();
    test::expectCleanLayout(*form, QStringLiteral("main-window"));
    const QList<QPushButton*> shop{form->BitBtn1, form->BitBtn2, form->BitBtn3, form->BitBtn4,
                                   form->BitBtn6, form->BitBtn8, form->BitBtn5};
    for (qsizetype i = 1; i < shop.size(); ++i) {
        EXPECT_EQ(shop[i]->y(), shop[0]->y()) << shop[i]->text().toStdString();
        EXPECT_GT(shop[i]->x(), shop[i - 1]->geometry().right()) << "left to right, in order";
    }
}

TEST_F(MainWindow, LinkButtonsHandTheirTargetsToTheShell)
{
    writeFileBytes(dir.filePath(QStringLiteral("vthelp.html")), "<html></html>");
    auto form = makeForm(folder());
    for (QPushButton* b :
         {form->BitBtn1, form->BitBtn2, form->BitBtn3, form->BitBtn4, form->BitBtn6, form->BitBtn8,
          form->BitBtn5, form->BitBtn7, form->BitBtn9, form->BitBtn10})
        QTest::mouseClick(b, Qt::LeftButton);
    const QStringList expected = {weblinks::kShopVhsVideo,     weblinks::kShopDvdVideo,
                                  weblinks::kShopMusic,        weblinks::kShopBooks,
                                  weblinks::kShopToysAndGames, weblinks::kShopApparel,
                                  weblinks::kShopMagazines,    weblinks::kProductPage,
                                  folder() + "vthelp.html",    weblinks::kTellAFriendMail};
    EXPECT_EQ(shell.opened, expected);
    EXPECT_TRUE(shell.opened.back().startsWith(QStringLiteral(
        "mailto:?subject=Check out Vantoro Player/Playlister/SlideShow Viewer&body=")));
    QStringList shopHosts;
    for (int i = 0; i < 7; ++i)
        shopHosts.append(QUrl(shell.opened[i]).host());
    shopHosts.removeDuplicates();
    EXPECT_EQ(shopHosts.size(), 1) << "the seven shop pages belong to one shop";

    // The address "Visit our website" opens is the one every written playlist names on its
    // comment line.
    QBuffer asx;
    asx.open(QIODevice::WriteOnly);
    ASSERT_TRUE(writeAsxPlaylist(asx, QStringLiteral("t"), {QStringLiteral("/m/a.mp3")}));
    const QList<QByteArray> lines = asx.data().split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[1], "<!-- " + shell.opened[7].toUtf8() + " -->\r");
}

} // namespace

namespace {

TEST_F(MainWindow, GuideShowsInItsFiveColoursInsideThePanel)
{
    auto form = makeForm(folder());
    form->FormCreate();
    form->show();
    const QImage image = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect panel = form->MemoGuide->geometry();
    // On its white background; the green and the red are drawn as much darker as 4.5:1 needs.
    QList<QRgb> colours;
    for (QRgb c : {0x3333FF, 0x009900, 0x000099, 0x993366, 0xFF0000})
        colours.append(TextContrast::readableOn(QColor(c), Qt::white).rgb() & 0xFFFFFF);
    QSet<QRgb> seenInside;
    int colouredOutside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y) & 0xFFFFFF;
            if (!colours.contains(c))
                continue;
            if (panel.contains(x, y))
                seenInside.insert(c);
            else if (c != colours.last()) // the Delete button's caption is the same red
                ++colouredOutside;
        }
    }
    for (QRgb c : colours)
        EXPECT_TRUE(seenInside.contains(c)) << std::hex << c;
    // A stray anti-aliased pixel of a button caption may match a guide colour by chance.
    EXPECT_LT(colouredOutside, 10) << "the guide stays inside its panel";
}

} // namespace
