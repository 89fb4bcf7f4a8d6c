// The player as people use it: full screen, the player's keys, volume and mute kept in the
// settings file, the picture time of a slideshow, screen-reader names. Driven through the real
// player window with real playback of generated clips.
#include "PlayerWindowTestSupport.h"

#include "htmlview/THtmlTextView.h"
#include "platform/ProfileStrings.h"
#include "player/PlayerControlBar.h"
#include "player/PlayerStatusBar.h"
#include "player/PlayerTrackerBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QToolButton>

namespace vantoro::test {
namespace {

// The settings file exactly as the main window writes it at a first start.
const QByteArray kFirstStartSettings = "[Bar]\r\nTrack=1\r\nStatus=1\r\n\r\n[Paths]\r\n"
                                       "Clips=/opt/vantoro/\r\nLists=/opt/vantoro/\r\n";

class PlayerUseTest : public PlayerWindowFixture
{
protected:
    std::unique_ptr<TWplayerF2> openWindow(QByteArray imageSeconds = "0.3")
    {
        auto window = std::make_unique<TWplayerF2>(state, services, *speed, *sleep,
                                                   setup(std::move(imageSeconds)));
        QObject::connect(window->wmtPlayer1(), &TWMTPlayer::NewStream, window.get(),
                         [this, w = window.get()] {
                             streams.append(w->wmtPlayer1()->GetCurrentEntry());
                             streamTimes.append(clock.elapsed());
                         });
        window->show();
        QApplication::setActiveWindow(window.get());
        clock.start();
        return window;
    }

    // A key as the user types it: to the widget that has the focus, else to the window.
    static void press(TWplayerF2& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* focus = window.focusWidget();
        QTest::keyClick(focus != nullptr ? focus : &window, key, modifiers);
    }

    static double position(const TWplayerF2& window)
    {
        return window.wmtPlayer1()->trackerBar()->value() / 1000.0;
    }

    // mpv's own value of a property, to see what the engine was actually told.
    static double engineNumber(const TWplayerF2& window, const char* name)
    {
        const MpvSession* session = window.wmtPlayer1()->session();
        double value = -1;
        session->api().get_property(session->handle(), name, MPV_FORMAT_DOUBLE, &value);
        return value;
    }
    static bool engineFlag(const TWplayerF2& window, const char* name)
    {
        const MpvSession* session = window.wmtPlayer1()->session();
        int value = 0;
        session->api().get_property(session->handle(), name, MPV_FORMAT_FLAG, &value);
        return value != 0;
    }

    void useSettingsFile(const QByteArray& contents)
    {
        state.IniFileName = state.ProgramFolder + QStringLiteral("Vantoro.INI");
        writeFileBytes(state.IniFileName, contents);
    }

    QList<int> streams;
    QList<qint64> streamTimes;
    QElapsedTimer clock;
};

TEST_F(PlayerUseTest, FullScreenDuringASlideshowKeepsTheEntryAndItsTiming)
{
    state.AllBox.addAll({image("a.png"), image("b.png"), image("c.png")});
    auto window = openWindow("1.5");
    const QSize normalSize = window->size();
    const QRect controlRect = window->wmtPlayer1()->geometry();
    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));

    QTest::qWait(300);
    press(*window, Qt::Key_F);
    EXPECT_TRUE(window->isFullScreenView());
    EXPECT_TRUE(window->isFullScreen());
    ASSERT_TRUE(waitUntil([&] { return window->wmtPlayer1()->geometry() == window->rect(); }));
    if (QGuiApplication::platformName() == u"xcb") {
        EXPECT_EQ(window->geometry(), window->screen()->geometry());
    }
    TWMTPlayer* control = window->wmtPlayer1();
    EXPECT_FALSE(control->controlBar()->isVisible());
    EXPECT_FALSE(control->trackerBar()->isVisible());
    EXPECT_FALSE(control->statusBar()->isVisible());
    EXPECT_EQ(control->pictureArea()->geometry(), control->rect()) << "the picture alone";
    // The overlay names the clip at once, and goes with the pointer after two still seconds.
    EXPECT_TRUE(control->overlay()->isVisible());
    EXPECT_TRUE(control->overlay()->text().startsWith(QStringLiteral("a.png")))
        << control->overlay()->text().toStdString();

    // Escape only leaves full screen; a double-click on the picture comes back to it.
    press(*window, Qt::Key_Escape);
    EXPECT_FALSE(window->isFullScreenView());
    EXPECT_TRUE(control->isPlaying());
    QTest::mouseDClick(control->pictureArea(), Qt::LeftButton);
    EXPECT_TRUE(window->isFullScreenView());
    press(*window, Qt::Key_F);
    EXPECT_FALSE(window->isFullScreenView());
    EXPECT_FALSE(window->isFullScreen());
    ASSERT_TRUE(waitUntil([&] { return window->size() == normalSize; }));
    EXPECT_EQ(control->geometry(), controlRect);
    EXPECT_TRUE(control->controlBar()->isVisible());
    EXPECT_TRUE(control->trackerBar()->isVisible());
    EXPECT_FALSE(control->overlay()->isVisible());

    // Still the first picture, and the slideshow keeps its pace.
    EXPECT_EQ(streams, QList<int>{1});
    EXPECT_EQ(control->GetCurrentEntry(), 1);
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 3; }, kWaitMs));
    EXPECT_EQ(streams, (QList<int>{1, 2, 3}));
    for (int i = 1; i < 3; ++i) {
        const qint64 shown = streamTimes[i] - streamTimes[i - 1];
        EXPECT_GE(shown, 1300) << i;
        EXPECT_LE(shown, 3500) << i;
    }
}

TEST_F(PlayerUseTest, FullScreenHidesThePointerAfterTwoStillSecondsAndAMoveBringsItBack)
{
    state.AllBox.addAll({tone("long.wav", 20)});
    auto window = openWindow();
    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
    window->setFullScreenView(true);
    QWidget* picture = window->wmtPlayer1()->pictureArea();
    QLabel* overlay = window->wmtPlayer1()->overlay();
    EXPECT_NE(picture->cursor().shape(), Qt::BlankCursor);
    EXPECT_TRUE(waitUntil([&] { return picture->cursor().shape() == Qt::BlankCursor; }, 4000));
    EXPECT_FALSE(overlay->isVisible());
    QTest::mouseMove(picture, picture->rect().center());
    QMouseEvent move(QEvent::MouseMove, QPointF(picture->rect().center()),
                     QPointF(picture->mapToGlobal(picture->rect().center())), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(picture, &move);
    EXPECT_NE(picture->cursor().shape(), Qt::BlankCursor);
    EXPECT_TRUE(overlay->isVisible());
    EXPECT_TRUE(overlay->text().startsWith(QStringLiteral("long.wav   0:0")))
        << overlay->text().toStdString();
    window->setFullScreenView(false);
    EXPECT_NE(picture->cursor().shape(), Qt::BlankCursor);
}

TEST_F(PlayerUseTest, SpacePausesAndResumesButPressesAFocusedButton)
{
    state.AllBox.addAll({tone("thirty.wav", 30)});
    auto window = openWindow();
    // Before Go the focused Go button takes Space, as buttons do.
    window->goButton()->setFocus();
    press(*window, Qt::Key_Space);
    EXPECT_TRUE(window->playlistWritten());
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
    ASSERT_TRUE(waitUntil([&] { return position(*window) > 0.3; }, kWaitMs));
    TWMTPlayer* control = window->wmtPlayer1();
    EXPECT_FALSE(control->isPaused());

    press(*window, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return control->isPaused(); }));
    QTest::qWait(200);
    const double pausedAt = position(*window);
    QTest::qWait(800);
    EXPECT_NEAR(position(*window), pausedAt, 0.05) << "the position stands still";

    press(*window, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return !control->isPaused(); }));
    EXPECT_TRUE(waitUntil([&] { return position(*window) > pausedAt + 0.4; }, 5000));
    EXPECT_EQ(streams, QList<int>{1});
}

TEST_F(PlayerUseTest, ShiftArrowsSeekTenSecondsInAClipAndStepThroughPictures)
{
    state.AllBox.addAll({tone("thirty.wav", 30), image("b.png"), image("c.png")});
    auto window = openWindow("20");
    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
    ASSERT_TRUE(waitUntil([&] { return position(*window) > 0.2; }, kWaitMs));
    const double before = position(*window);
    press(*window, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_TRUE(waitUntil([&] { return position(*window) > before + 8; }, 5000))
        << position(*window);
    EXPECT_LT(position(*window), before + 12.5);
    EXPECT_EQ(streams, QList<int>{1}) << "a seek is not a new entry";

    const double later = position(*window);
    press(*window, Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_TRUE(waitUntil([&] { return position(*window) < later - 8; }, 5000))
        << position(*window);
    EXPECT_EQ(streams, QList<int>{1});

    // Right alone still goes to the next entry; in a picture Shift+Right/Left move by entries.
    press(*window, Qt::Key_Right);
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 2; }, kWaitMs));
    press(*window, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 3; }, kWaitMs));
    press(*window, Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 4; }, kWaitMs));
    EXPECT_EQ(streams, (QList<int>{1, 2, 3, 2}));
}

TEST_F(PlayerUseTest, UpDownAndMChangeVolumeAndMuteExceptWhereFocusedItemsUseTheArrows)
{
    state.AllBox.addAll({tone("a.wav", 5), tone("b.wav", 5)});
    auto window = openWindow();
    TWMTPlayer* control = window->wmtPlayer1();
    EXPECT_EQ(control->Volume(), 100);

    // A play-order item with the focus moves with the arrows; the volume stays.
    window->radioItem(0)->setFocus();
    QTest::mouseClick(window->radioItem(0), Qt::LeftButton);
    press(*window, Qt::Key_Down);
    EXPECT_EQ(window->radioGroup1ItemIndex(), 1);
    EXPECT_EQ(control->Volume(), 100);

    // So does the guide with the focus: the arrows scroll it.
    THtmlTextView* guide = window->memoMark();
    QString longGuide;
    for (int i = 0; i < 40; ++i)
        longGuide += QStringLiteral("line %1<br>").arg(i);
    guide->ShowHtml(longGuide);
    guide->setFocus();
    ASSERT_TRUE(guide == window->focusWidget() || guide->isAncestorOf(window->focusWidget()));
    press(*window, Qt::Key_Down);
    press(*window, Qt::Key_Down);
    EXPECT_GT(guide->position(), 0);
    press(*window, Qt::Key_Up);
    EXPECT_EQ(control->Volume(), 100);

    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
    press(*window, Qt::Key_Down);
    press(*window, Qt::Key_Down);
    press(*window, Qt::Key_Down);
    EXPECT_EQ(control->Volume(), 85);
    EXPECT_EQ(control->controlBar()->volumeSlider()->value(), 85);
    EXPECT_DOUBLE_EQ(engineNumber(*window, "volume"), 85.0);
    press(*window, Qt::Key_Up);
    EXPECT_EQ(control->Volume(), 90);
    for (int i = 0; i < 5; ++i)
        press(*window, Qt::Key_Up);
    EXPECT_EQ(control->Volume(), 100) << "never above 100";

    press(*window, Qt::Key_M);
    EXPECT_TRUE(control->Mute());
    EXPECT_TRUE(engineFlag(*window, "mute"));
    EXPECT_TRUE(control->controlBar()->muteButton()->isChecked());
    EXPECT_EQ(control->controlBar()->muteButton()->accessibleName(), QStringLiteral("Unmute"));
    press(*window, Qt::Key_M);
    EXPECT_FALSE(control->Mute());
    EXPECT_FALSE(engineFlag(*window, "mute"));
    // Alt+M is the Mark button's, never mute.
    press(*window, Qt::Key_M, Qt::AltModifier);
    EXPECT_FALSE(control->Mute());
}

TEST_F(PlayerUseTest, VolumeAndMuteSurviveClosingAndANewWindowReadingTheSettingsFile)
{
    useSettingsFile(kFirstStartSettings);
    state.AllBox.addAll({tone("a.wav", 5)});
    {
        auto window = openWindow();
        EXPECT_EQ(window->wmtPlayer1()->Volume(), 100) << "a file from before starts at 100";
        EXPECT_FALSE(window->wmtPlayer1()->Mute());
        window->GoButtonClick();
        ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
        press(*window, Qt::Key_Down);
        press(*window, Qt::Key_Down);
        press(*window, Qt::Key_M);
        window->DoneButtonClick();
    }
    const QByteArray written = readFileBytes(state.IniFileName);
    EXPECT_TRUE(written.startsWith(kFirstStartSettings)) << "the four values stay as they were";
    EXPECT_EQ(written.mid(kFirstStartSettings.size()),
              "\r\n[Player]\r\nVolume=90\r\nMute=1\r\nPictureSeconds=5\r\n");

    streams.clear();
    auto again = openWindow();
    EXPECT_EQ(again->wmtPlayer1()->Volume(), 90);
    EXPECT_TRUE(again->wmtPlayer1()->Mute());
    EXPECT_EQ(again->wmtPlayer1()->controlBar()->volumeSlider()->value(), 90);
    EXPECT_TRUE(again->wmtPlayer1()->controlBar()->muteButton()->isChecked());
    EXPECT_DOUBLE_EQ(engineNumber(*again, "volume"), 90.0);
    EXPECT_TRUE(engineFlag(*again, "mute"));
}

TEST_F(PlayerUseTest, UnreadablePlayerValuesStartAsBefore)
{
    useSettingsFile(kFirstStartSettings +
                    "[Player]\r\nVolume=loud\r\nMute=yes\r\nPictureSeconds=7\r\n");
    auto window = openWindow();
    EXPECT_EQ(window->wmtPlayer1()->Volume(), 100);
    EXPECT_FALSE(window->wmtPlayer1()->Mute());
    EXPECT_EQ(window->wmtPlayer1()->PictureSeconds(), 5);
    window.reset();

    useSettingsFile(kFirstStartSettings + "[Player]\r\nVolume=250\r\n");
    window = openWindow();
    EXPECT_EQ(window->wmtPlayer1()->Volume(), 100);
}

TEST_F(PlayerUseTest, PictureTimeOfThreeSecondsEndsAThreePictureSlideshowInAboutNineSeconds)
{
    useSettingsFile(kFirstStartSettings);
    state.AllBox.addAll({image("a.jpg"), image("b.jpg"), image("c.jpg")});
    auto window = openWindow("5");
    TWMTPlayer* control = window->wmtPlayer1();
    QComboBox* choice = control->controlBar()->pictureTimeBox();
    EXPECT_EQ(choice->currentText(), QStringLiteral("5 s"));
    EXPECT_EQ(choice->accessibleName(), QStringLiteral("Picture time"));
    // The user picks 3 s as a mouse would.
    choice->activated(choice->findData(3));
    choice->setCurrentIndex(choice->findData(3));
    EXPECT_EQ(control->PictureSeconds(), 3);

    qint64 endedAt = -1;
    QObject::connect(control, &TWMTPlayer::PlayStateChanged, control, [&] {
        if (!control->isPlaying() && endedAt < 0 && !streams.isEmpty())
            endedAt = clock.elapsed();
    });
    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return endedAt >= 0; }, 30000));
    EXPECT_EQ(streams, (QList<int>{1, 2, 3}));
    const qint64 length = endedAt - streamTimes.first();
    EXPECT_GE(length, 8000);
    EXPECT_LE(length, 12500);
    window->DoneButtonClick();
    EXPECT_EQ(getPrivateProfileString(QStringLiteral("Player"), QStringLiteral("PictureSeconds"),
                                      QString(), state.IniFileName),
              QStringLiteral("3"));

    // The next window starts with the remembered time.
    auto again = openWindow("5");
    EXPECT_EQ(again->wmtPlayer1()->PictureSeconds(), 3);
    EXPECT_EQ(again->wmtPlayer1()->controlBar()->pictureTimeBox()->currentText(),
              QStringLiteral("3 s"));
}

TEST_F(PlayerUseTest, TransportTrackerAndVolumeHaveScreenReaderNames)
{
    auto window = openWindow();
    PlayerControlBar* bar = window->wmtPlayer1()->controlBar();
    EXPECT_EQ(bar->playPauseButton()->accessibleName(), QStringLiteral("Play"));
    EXPECT_EQ(bar->stopButton()->accessibleName(), QStringLiteral("Stop"));
    EXPECT_EQ(bar->previousButton()->accessibleName(), QStringLiteral("Previous"));
    EXPECT_EQ(bar->nextButton()->accessibleName(), QStringLiteral("Next"));
    EXPECT_EQ(bar->volumeSlider()->accessibleName(), QStringLiteral("Volume"));
    EXPECT_EQ(bar->muteButton()->accessibleName(), QStringLiteral("Mute"));
    EXPECT_EQ(window->wmtPlayer1()->trackerBar()->accessibleName(), QStringLiteral("Position"));
    EXPECT_EQ(window->doneButton()->accessibleName(), QStringLiteral("Close this window"));

    state.AllBox.addAll({tone("a.wav", 5)});
    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
    EXPECT_TRUE(waitUntil([&] { return bar->playPauseButton()->accessibleName() == u"Pause"; }));
}

// Without a mouse: Tab reaches every control of the window and of the media control (the
// position bar once there is something to seek in); the arrows then belong to a focused bar;
// Ctrl+W and Alt+F4 close the window as Done does.
TEST_F(PlayerUseTest, TabReachesEveryControlAndCtrlWOrAltF4ClosesTheWindow)
{
    state.AllBox.addAll({tone("a.wav", 5), tone("b.wav", 5)});
    auto window = openWindow();
    PlayerControlBar* bar = window->wmtPlayer1()->controlBar();
    // The widgets that have the focus, Tab after Tab from `start` until it comes round.
    const auto tabAround = [&](QWidget* start) {
        QList<QWidget*> visited;
        start->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 60 && !visited.contains(window->focusWidget()); ++i) {
            visited.append(window->focusWidget());
            press(*window, Qt::Key_Tab);
        }
        return visited;
    };
    const auto expectReached = [](const QList<QWidget*>& visited, QList<QWidget*> controls) {
        for (QWidget* control : controls)
            EXPECT_TRUE(visited.contains(control))
                << qPrintable(control->property("accessibleName").toString() +
                              control->objectName() + control->property("text").toString());
    };
    expectReached(tabAround(window->radioItem(0)),
                  {window->radioItem(0), window->goButton(), window->checkBox2(),
                   window->checkBox3(), window->checkBox4(), window->checkBox5(),
                   window->checkBox6(), window->infoBox(), window->homeButton(),
                   window->helpButton(), window->doneButton(), bar->playPauseButton(),
                   bar->stopButton(), bar->previousButton(), bar->nextButton(), bar->muteButton(),
                   bar->volumeSlider()});

    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
    ASSERT_TRUE(waitUntil([&] { return window->wmtPlayer1()->trackerBar()->isEnabled(); }));
    expectReached(tabAround(window->markButton()),
                  {window->markButton(), window->wmtPlayer1()->trackerBar()});

    // A focused volume bar takes the arrows: the entry stays, the volume moves by its step.
    bar->volumeSlider()->setFocus(Qt::TabFocusReason);
    press(*window, Qt::Key_Left);
    EXPECT_EQ(window->wmtPlayer1()->GetCurrentEntry(), 1);
    EXPECT_EQ(window->wmtPlayer1()->Volume(), 99);

    for (const QKeyCombination keys : {QKeyCombination(Qt::ControlModifier, Qt::Key_W),
                                       QKeyCombination(Qt::AltModifier, Qt::Key_F4)}) {
        auto closing = openWindow();
        press(*closing, keys.key(), keys.keyboardModifiers());
        EXPECT_TRUE(waitUntil([&] { return !closing->isVisible(); }, 2000))
            << QKeySequence(keys).toString().toStdString();
        EXPECT_TRUE(closing->closingDone());
    }
}

// Under Xvfb (player_window_xvfb) the picture really fills the screen, black around it; with
// VANTORO_SHOTS set to a folder the window and the full-screen view are saved there to look at.
TEST_F(PlayerUseTest, FullScreenShowsThePictureOnTheWholeScreen)
{
    auto window = openWindow();
    if (!window->wmtPlayer1()->hasVideoSurface())
        GTEST_SKIP() << "needs a display with OpenGL";
    const QColor red(220, 30, 30);
    writeY4mVideo(path(QStringLiteral("red.y4m")), 320, 180, 250, 25, red);
    state.AllBox.addAll({path(QStringLiteral("red.y4m"))});
    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
    const QString shots = qEnvironmentVariable("VANTORO_SHOTS");
    const auto isRed = [&](const QColor& seen) {
        return seen.red() > 150 && seen.green() < 90 && seen.blue() < 90;
    };
    const auto centreColour = [&] {
        const QImage image = window->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 4);
    };
    EXPECT_TRUE(waitUntil([&] { return isRed(centreColour()); }, 10000))
        << centreColour().name().toStdString();
    if (!shots.isEmpty())
        window->grab().save(shots + QStringLiteral("/player-window.png"));

    press(*window, Qt::Key_F);
    QTest::mouseMove(window->wmtPlayer1()->pictureArea(), QPoint(100, 100));
    QTest::qWait(500);
    const QImage full = window->grab().toImage();
    EXPECT_EQ(full.size(), window->screen()->geometry().size() * full.devicePixelRatio());
    // 16:9 on a 5:4 screen: the picture across the middle, black above and below it.
    EXPECT_TRUE(isRed(full.pixelColor(full.width() / 2, full.height() / 2)));
    EXPECT_LT(full.pixelColor(full.width() / 2, 5).lightness(), 30);
    if (!shots.isEmpty())
        full.save(shots + QStringLiteral("/player-full-screen.png"));
    press(*window, Qt::Key_Escape);
    EXPECT_TRUE(waitUntil([&] { return isRed(centreColour()); }, 5000));
    EXPECT_TRUE(window->wmtPlayer1()->isPlaying());
}

} // namespace
} // namespace vantoro::test
