#include "PlayerWindowTestSupport.h"

#include "common/LayoutCheck.h"

#include "htmlview/GuideTexts.h"
#include "htmlview/THtmlTextView.h"
#include "platform/HelpPage.h"
#include "player/PlayOrder.h"
#include "player/PlayerStatusBar.h"
#include "playlists/PlaylistFiles.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace vantoro::test {
namespace {

class PlayerWindowTest : public PlayerWindowFixture
{
protected:
    static bool setModified(const QString& file, const QDateTime& when)
    {
        QFile f(file);
        return f.open(QIODevice::ReadWrite) &&
               f.setFileTime(when, QFileDevice::FileModificationTime);
    }

    // A shown window whose caption changes are recorded in `captions`.
    std::unique_ptr<TWplayerF2> openWindow(QByteArray imageSeconds = "0.3")
    {
        auto window = std::make_unique<TWplayerF2>(state, services, *speed, *sleep,
                                                   setup(std::move(imageSeconds)));
        QObject::connect(window.get(), &QWidget::windowTitleChanged, window.get(),
                         [this](const QString& title) { captions.append(title); });
        window->show();
        return window;
    }

    bool waitForCaption(const QString& caption, int timeoutMs = kWaitMs)
    {
        return waitUntil([&] { return captions.contains(caption); }, timeoutMs);
    }

    // The entries of PlayFile, read back as the ASX playlist it is.
    QStringList playlistFileEntries()
    {
        const QString copy = path(QStringLiteral("written.asx"));
        QFile::remove(copy);
        EXPECT_TRUE(QFile::copy(state.PlayFile, copy));
        ClipList written;
        FakeMessageBoxes boxes;
        EXPECT_TRUE(ReadPlaylist(written, copy, boxes).has_value());
        return written.items();
    }

    QStringList captions;
};

TEST_F(PlayerWindowTest, OpensReadyWithTheGuideAndPlacesTheBottomRowByTheResizeRule)
{
    auto window = openWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vantoro - Player"));
    EXPECT_EQ(window->size(), QSize(qRound(714 * window->scale()), qRound(508 * window->scale())));
    EXPECT_DOUBLE_EQ(window->scale(), window->logicalDpiY() / 120.0);
    EXPECT_EQ(window->memo1(), kPlayerGuideHtml.toString());
    EXPECT_EQ(window->memo1().split(QStringLiteral("\r\n")).size(), 15);
    EXPECT_TRUE(window->memoMark()->isVisible());
    EXPECT_EQ(window->memoMark()->defBackground(), clAqua);
    EXPECT_EQ(window->memoMark()->borderStyle(), THTMLBorderStyle::htFocused);
    EXPECT_EQ(window->memoMark()->defFontName(), QStringLiteral("Arial"));
    EXPECT_EQ(window->memoMark()->defFontSize(), 10);
    EXPECT_EQ(window->memoMark()->marginHeight(), 2);
    EXPECT_FALSE(window->memoMark()->noSelect());
    EXPECT_TRUE(window->goButton()->isVisible());
    EXPECT_TRUE(window->goButton()->isDefault());
    EXPECT_FALSE(window->markButton()->isVisible());
    EXPECT_EQ(window->radioGroup1ItemIndex(), -1);
    EXPECT_FALSE(window->checkBox2()->isChecked());
    EXPECT_FALSE(window->checkBox3()->isChecked());
    EXPECT_FALSE(window->checkBox4()->isChecked());
    EXPECT_TRUE(window->checkBox5()->isChecked());
    EXPECT_TRUE(window->checkBox6()->isChecked());
    EXPECT_TRUE(window->infoBox()->isChecked());
    for (QCheckBox* box : {window->checkBox2(), window->checkBox3(), window->checkBox4(),
                           window->checkBox5(), window->checkBox6(), window->infoBox()})
        EXPECT_TRUE(box->focusPolicy() & Qt::TabFocus) << box->text().toStdString();

    // The offsets of the rule are screen pixels, whatever the scale.
    const int height = window->height();
    EXPECT_EQ(window->playGroup()->y(), height - window->playGroup()->height() - 4);
    EXPECT_EQ(window->displayGroup()->y(), window->playGroup()->y());
    EXPECT_EQ(window->markButton()->y(), window->playGroup()->y() + 18);
    EXPECT_EQ(window->goButton()->y(), window->markButton()->y());
    EXPECT_EQ(window->panel1()->y(), window->displayGroup()->y() + 8);
    EXPECT_LE(window->memoMark()->geometry().bottom(), window->playGroup()->y());
    const QList<QWidget*> bottomRow{window->goButton(), window->playGroup(), window->displayGroup(),
                                    window->panel1()};
    for (qsizetype i = 0; i < bottomRow.size(); ++i) {
        EXPECT_TRUE(window->rect().contains(bottomRow[i]->geometry())) << i;
        for (qsizetype j = i + 1; j < bottomRow.size(); ++j)
            EXPECT_FALSE(bottomRow[i]->geometry().intersects(bottomRow[j]->geometry())) << i << j;
    }
}

// Ready and playing, every caption fits its control and every control its place: the radios
// inside the play order's border, below its title.
TEST_F(PlayerWindowTest, LooksCleanReadyAndPlaying)
{
    state.AllBox.addAll({tone("a.wav", 1.5), tone("b.wav", 0.3)});
    auto window = openWindow();
    expectCleanLayout(*window, QStringLiteral("player-ready"));
    window->GoButtonClick();
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (1/2) a.wav")));
    expectCleanLayout(*window, QStringLiteral("player-playing"));
}

TEST_F(PlayerWindowTest, GoWritesThePlaylistPlaysAndCaptionsFollowTheEntries)
{
    const QString a = tone("a.wav", 0.3);
    const QString b = image("b.png");
    state.AllBox.addAll({a, b});
    writeFileBytes(state.PlayFile, "stale contents");
    auto window = openWindow();
    QTest::mouseClick(window->goButton(), Qt::LeftButton);

    EXPECT_FALSE(window->goButton()->isVisible());
    EXPECT_FALSE(window->radioGroup1()->isVisible());
    EXPECT_FALSE(window->memoMark()->isVisible());
    EXPECT_TRUE(window->playlistWritten());
    EXPECT_EQ(playlistFileEntries(), QStringList({a, b}));
    EXPECT_TRUE(readFileBytes(state.PlayFile).contains("Test list"));
    // No sound output in this machine's tests: warned, and playback goes on.
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Warning - Sound Card Not Enabled"));

    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (2/2) b.png")));
    EXPECT_EQ(captions, QStringList({"Vantoro - (1/2) a.wav", "Vantoro - (2/2) b.png"}));
    EXPECT_TRUE(window->markButton()->isVisible());
}

TEST_F(PlayerWindowTest, GoEndsAtAFailingWriteOrAnUnreadableClipAndNothingPlays)
{
    struct Case
    {
        const char* name;
        bool missingFolder; // PlayFile in a folder that does not exist
        int order;          // play order picked before Go, -1 none
    };
    const Case cases[] = {{"write", true, -1}, {"order", false, int(PlayOrderKind::Largest)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        captions.clear();
        state.AllBox.clear();
        state.AllBox.addAll({tone("b.wav", 0.2), path("gone.wav"), tone("a.wav", 0.2)});
        state.PlayFile = c.missingFolder ? path("missing-folder/playlist.tmp")
                                         : state.ProgramFolder + QStringLiteral("playlist.tmp");
        QFile::remove(state.PlayFile);
        auto window = openWindow();
        if (c.order >= 0)
            QTest::mouseClick(window->radioItem(c.order), Qt::LeftButton);
        window->GoButtonClick();

        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("File not found"));
        EXPECT_FALSE(window->playlistWritten());
        EXPECT_FALSE(QFileInfo::exists(state.PlayFile));
        EXPECT_FALSE(window->goButton()->isVisible());
        EXPECT_FALSE(window->radioGroup1()->isVisible());
        EXPECT_TRUE(window->memoMark()->isVisible()); // Go ended before the guide was hidden
        QTest::qWait(300);
        EXPECT_EQ(window->wmtPlayer1()->GetCurrentEntry(), 0);
        EXPECT_FALSE(window->wmtPlayer1()->isPlaying());
        EXPECT_TRUE(captions.isEmpty());
        // Go does not run a second time, not even through Enter.
        QTest::keyClick(window.get(), Qt::Key_Return);
        EXPECT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(state.AllBox.items(),
                  QStringList({path("b.wav"), path("gone.wav"), path("a.wav")}));
    }
}

// A clip gone after it was picked has no date: Newest plays the others and puts it last, where
// the control skips it and says so in the status bar.
TEST_F(PlayerWindowTest, DateOrderPlaysTheOthersAndSkipsAClipThatIsGoneLast)
{
    const QString a = tone("a.wav", 0.2);
    const QString b = tone("b.wav", 0.2);
    const QDateTime when = QDateTime::currentDateTime().addDays(-3);
    ASSERT_TRUE(setModified(a, when));
    ASSERT_TRUE(setModified(b, when.addSecs(3600)));
    state.AllBox.addAll({a, path("gone.wav"), b});
    auto window = openWindow();
    window->wmtPlayer1()->statusBar()->setMessageTimeout(60000);
    QTest::mouseClick(window->radioItem(int(PlayOrderKind::Newest)), Qt::LeftButton);
    window->GoButtonClick();

    ASSERT_EQ(messages.shown.size(), 1); // the sound card warning only
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
    EXPECT_TRUE(window->playlistWritten());
    EXPECT_EQ(state.AllBox.items(), QStringList({b, a, path("gone.wav")}));
    const QByteArray written = readFileBytes(state.PlayFile);
    EXPECT_LT(written.indexOf(a.toUtf8()), written.indexOf(path("gone.wav").toUtf8()));
    ASSERT_TRUE(waitUntil(
        [&] { return captions.size() >= 2 && !window->wmtPlayer1()->isPlaying(); }, kWaitMs));
    ASSERT_EQ(captions.size(), 2);
    EXPECT_TRUE(captions[0].startsWith(QStringLiteral("Vantoro - (1/3) b.wav - ")));
    EXPECT_TRUE(captions[1].startsWith(QStringLiteral("Vantoro - (2/3) a.wav - ")));
    EXPECT_EQ(window->wmtPlayer1()->statusBar()->text(),
              QStringLiteral("Skipped: gone.wav (File not found)"));
}

TEST_F(PlayerWindowTest, SizeOrderAddsItsKeyToTheCaptionAndARefusedOrderAddsNothing)
{
    const QString small = tone("z-small.wav", 0.1);
    const QString large = tone("a-large.wav", 0.4);
    state.AllBox.addAll({small, large});
    auto window = openWindow();
    QTest::mouseClick(window->radioItem(int(PlayOrderKind::Largest)), Qt::LeftButton);
    EXPECT_TRUE(window->playOrderFlag());
    window->GoButtonClick();
    EXPECT_EQ(state.AllBox.items(), QStringList({large, small}));
    EXPECT_EQ(playlistFileEntries(), QStringList({large, small}));
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (1/2) a-large.wav - Bytes: ") +
                               formatByteCount(QFileInfo(large).size())));
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (2/2) z-small.wav - Bytes: ") +
                               formatByteCount(QFileInfo(small).size())));
    window.reset();

    // One clip: the order is refused and Go plays it with no suffix.
    state.AllBox.clear();
    state.AllBox.add(small);
    captions.clear();
    messages.shown.clear();
    auto single = openWindow();
    QTest::mouseClick(single->radioItem(int(PlayOrderKind::Smallest)), Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("You must have more than 1 clip to change play order"));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_FALSE(single->playOrderFlag());
    EXPECT_TRUE(single->radioItem(int(PlayOrderKind::Smallest))->isChecked());
    single->GoButtonClick();
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (1/1) z-small.wav")));
}

TEST_F(PlayerWindowTest, RepeatRestartsTheCounterAtOneAndUncheckingPlaysOnce)
{
    state.AllBox.addAll({image("a.png"), image("b.png")});
    auto window = openWindow("0.2");
    QTest::mouseClick(window->checkBox2(), Qt::LeftButton);
    EXPECT_EQ(window->wmtPlayer1()->PlayCount(), 0);
    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return captions.size() >= 3; }, kWaitMs));
    EXPECT_EQ(captions.mid(0, 3), QStringList({"Vantoro - (1/2) a.png", "Vantoro - (2/2) b.png",
                                               "Vantoro - (1/2) a.png"}));
    window->checkBox2()->setChecked(false);
    EXPECT_EQ(window->wmtPlayer1()->PlayCount(), 1);
}

TEST_F(PlayerWindowTest, EscapeStopsLeftAndRightMoveAndAKeyPassedUpActsOnce)
{
    state.AllBox.addAll({image("a.png"), image("b.png"), image("c.png"), image("d.png")});
    auto window = openWindow("30");
    window->GoButtonClick();
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (1/4) a.png")));

    QTest::keyClick(window.get(), Qt::Key_Right);
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (2/4) b.png")));
    // A key the focused child ignores travels up to the window: still one step only.
    QTest::keyClick(window->displayGroup(), Qt::Key_Right);
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (3/4) c.png")));
    QTest::qWait(300);
    EXPECT_EQ(window->wmtPlayer1()->GetCurrentEntry(), 3);
    QTest::keyClick(window.get(), Qt::Key_Left);
    ASSERT_TRUE(waitUntil([&] { return captions.size() == 4; }, kWaitMs));
    EXPECT_EQ(captions.last(), QStringLiteral("Vantoro - (2/4) b.png"));

    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->wmtPlayer1()->isPlaying());
    EXPECT_EQ(window->wmtPlayer1()->GetCurrentEntry(), 0);
    QTest::qWait(100);
    EXPECT_TRUE(window->isVisible()); // Escape never closes the player

    // An entry number the clip list does not hold shows the counter alone.
    window->WMTPlayer1NewStream();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vantoro - (0/4) "));
}

TEST_F(PlayerWindowTest, EnterPressesGoThenMarkAndMarkingCollectsEachClipOnce)
{
    const QString a = tone("a.wav", 0.8);
    const QString b = tone("b.wav", 0.8);
    state.AllBox.addAll({a, b});
    auto window = openWindow();
    QTest::keyClick(window.get(), Qt::Key_Return); // Go, the visible default button
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (1/2) a.wav")));
    ASSERT_TRUE(window->markButton()->isVisible());
    EXPECT_TRUE(window->markButton()->isEnabled());
    EXPECT_TRUE(window->markButton()->isDefault());

    QTest::mouseClick(window->markButton(), Qt::LeftButton);
    EXPECT_FALSE(window->markButton()->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_Return); // disabled until the next entry
    EXPECT_EQ(state.PathLeft, QStringList({a}));

    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (2/2) b.wav")));
    EXPECT_TRUE(window->markButton()->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(state.PathLeft, QStringList({a, b}));
    EXPECT_EQ(state.LeftBox, QStringList({"a.wav", "b.wav"}));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(state.PathLeft, QStringList({a, b})); // stopping changes no mark
}

// The control skips an entry it cannot play; when that is entry 1, Mark comes with the first
// stream that starts, and the clip that plays can be marked.
TEST_F(PlayerWindowTest, MarkShowsAtTheFirstStreamWhenTheFirstClipCannotPlay)
{
    const QString empty = path(QStringLiteral("a-empty.wav"));
    writeFileBytes(empty, QByteArray());
    const QString b = tone("b.wav", 0.8);
    state.AllBox.addAll({empty, b});
    auto window = openWindow();
    window->GoButtonClick();
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (2/2) b.wav")));
    EXPECT_FALSE(captions.contains(QStringLiteral("Vantoro - (1/2) a-empty.wav")));
    ASSERT_TRUE(window->markButton()->isVisible());
    EXPECT_TRUE(window->markButton()->isEnabled());
    EXPECT_TRUE(window->markButton()->isDefault());
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_EQ(state.PathLeft, QStringList({b}));
    EXPECT_EQ(state.LeftBox, QStringList({"b.wav"}));
}

TEST_F(PlayerWindowTest, LoadedPlaylistNeverShowsMark)
{
    state.Tag = kModeLoad;
    state.AllBox.addAll({image("a.png"), image("b.png")});
    auto window = openWindow("0.2");
    window->GoButtonClick();
    EXPECT_FALSE(window->memoMark()->isVisible());
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (2/2) b.png")));
    EXPECT_FALSE(window->markButton()->isVisible());
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(state.PathLeft.isEmpty());
}

TEST_F(PlayerWindowTest, DisplayBoxesDriveTheControlsBars)
{
    auto window = openWindow();
    TWMTPlayer* control = window->wmtPlayer1();
    QTest::mouseClick(window->checkBox5(), Qt::LeftButton);
    QTest::mouseClick(window->checkBox6(), Qt::LeftButton);
    QTest::mouseClick(window->infoBox(), Qt::LeftButton);
    EXPECT_FALSE(control->ShowTracker());
    EXPECT_FALSE(control->ShowStatusBar());
    EXPECT_FALSE(control->ShowDisplay());
    window->setBarSettings(true, false);
    EXPECT_TRUE(control->ShowTracker());
    EXPECT_FALSE(control->ShowStatusBar());
    window->infoBox()->setChecked(true);
    EXPECT_TRUE(control->ShowDisplay());
}

TEST_F(PlayerWindowTest, SpeedBoxAppliesTheDialogsRateAndCancelChangesNothing)
{
    auto window = openWindow();
    TWMTPlayer* control = window->wmtPlayer1();
    const auto choose = [this](int item, bool ok) {
        modal.scripts.append([this, item, ok](QDialog&) {
            speed->setItemIndex(item);
            (ok ? speed->bitBtn1() : speed->bitBtn2())->click();
        });
    };
    choose(4, true); // Double (2.0)
    QTest::mouseClick(window->checkBox3(), Qt::LeftButton);
    EXPECT_EQ(modal.shown, QStringList({"Vantoro - Playback Speed"}));
    EXPECT_DOUBLE_EQ(control->Rate(), 2.0);
    EXPECT_TRUE(window->checkBox3()->isChecked());

    choose(0, true); // Normal: the box ends unchecked, the rate 1.0
    window->checkBox3()->setChecked(false);
    EXPECT_DOUBLE_EQ(control->Rate(), 1.0);
    QTest::mouseClick(window->checkBox3(), Qt::LeftButton);
    EXPECT_FALSE(window->checkBox3()->isChecked());
    EXPECT_DOUBLE_EQ(control->Rate(), 1.0);

    choose(1, false); // Cancel: the box stays checked, the rate as it was
    QTest::mouseClick(window->checkBox3(), Qt::LeftButton);
    EXPECT_TRUE(window->checkBox3()->isChecked());
    EXPECT_DOUBLE_EQ(control->Rate(), 1.0);
}

TEST_F(PlayerWindowTest, SleepBoxStartsAndStopsTheCountdown)
{
    auto window = openWindow();
    const auto choose = [this](int item) {
        modal.scripts.append([this, item](QDialog&) {
            sleep->setItemIndex(item);
            sleep->bitBtn1()->click();
        });
    };
    timers.divisor = 1; // nothing fires during this test
    choose(2);          // 15 minutes
    QTest::mouseClick(window->checkBox4(), Qt::LeftButton);
    EXPECT_EQ(modal.shown, QStringList({"Vantoro - Sleep Timer"}));
    EXPECT_TRUE(window->checkBox4()->isChecked());
    EXPECT_TRUE(state.ShutdownPending);
    EXPECT_EQ(state.SleepChoice, 2);
    EXPECT_TRUE(window->sleepTimer().isRunning());
    EXPECT_EQ(window->sleepTimer().intervalMs(), 15 * 60000);

    QTest::mouseClick(window->checkBox4(), Qt::LeftButton); // unchecked
    EXPECT_FALSE(state.ShutdownPending);
    EXPECT_FALSE(window->sleepTimer().isRunning());

    choose(0); // Off: the box ends unchecked
    QTest::mouseClick(window->checkBox4(), Qt::LeftButton);
    EXPECT_FALSE(window->checkBox4()->isChecked());
    EXPECT_FALSE(state.ShutdownPending);
    EXPECT_FALSE(window->sleepTimer().isRunning());

    choose(1); // when the playlist finishes: no countdown
    QTest::mouseClick(window->checkBox4(), Qt::LeftButton);
    EXPECT_TRUE(state.ShutdownPending);
    EXPECT_FALSE(window->sleepTimer().isRunning());
    state.ShutdownPending = false; // no question at the window's end
}

TEST_F(PlayerWindowTest, PanelButtonsOpenTheHomeAndHelpPagesAndDoneClosesAfterStopping)
{
    state.AllBox.addAll({image("a.png"), image("b.png")});
    // The help page beside the program.
    services.executableFolder = m_dir.path();
    QFile page(path(QStringLiteral("vthelp.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    auto window = openWindow("30");
    QTest::mouseClick(window->homeButton(), Qt::LeftButton);
    QTest::mouseClick(window->helpButton(), Qt::LeftButton);
    EXPECT_EQ(shell.opened, QStringList({QStringLiteral("https://www.example.org/vantoro"),
                                         path(QStringLiteral("vthelp.html"))}));
    window->GoButtonClick();
    ASSERT_TRUE(waitForCaption(QStringLiteral("Vantoro - (1/2) a.png")));
    QTest::mouseClick(window->doneButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->closingDone());
    EXPECT_FALSE(window->wmtPlayer1()->isPlaying());
    EXPECT_TRUE(window->playOrderKeys().values.isEmpty());
}

} // namespace
} // namespace vantoro::test
