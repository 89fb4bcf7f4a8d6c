#pragma once

#include "TWMTPlayerTestMedia.h"

#include "common/FakeMessageBoxes.h"
#include "common/FakePowerService.h"
#include "common/FakeShellOpener.h"
#include "common/FakeTimerFactory.h"
#include "common/ScriptedModalRunner.h"
#include "common/TestSupport.h"
#include "platform/ModalRunner.h"
#include "platform/MpvLibrary.h"
#include "platform/Services.h"
#include "player/TSleepF.h"
#include "player/TSpeedF.h"
#include "player/TWMTPlayer.h"
#include "player/TWplayerF2.h"
#include "playlists/ProgramState.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vantoro::test {

// A program state, the fake services and the two long-lived dialogs, with generated clips in a
// temporary folder that also serves as the program folder.
class PlayerWindowFixture : public ::testing::Test
{
protected:
    static constexpr int kWaitMs = 15000;

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        state.ProgramFolder = m_dir.path() + u'/';
        state.PlayFile = state.ProgramFolder + QStringLiteral("playlist.tmp");
        state.PlaylistTitle = QStringLiteral("Test list");
        state.Tag = kModeNew;
        services.messages = &messages;
        services.shell = &shell;
        services.modal = &modal;
        services.timers = &timers;
        services.power = &power;
        services.programFolder = state.ProgramFolder;
        services.executableFolder = m_dir.path();
        speed = std::make_unique<TSpeedF>();
        sleep = std::make_unique<TSleepF>(state);
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A tone clip of `seconds` in the temporary folder; answers its path.
    QString tone(const QString& name, double seconds)
    {
        writeToneWav(path(name), seconds);
        return path(name);
    }

    QString image(const QString& name)
    {
        writeImage(path(name), Qt::darkCyan);
        return path(name);
    }

    // The setup of a window whose control has no audio or video output; still images last
    // `imageSeconds`.
    PlayerWindowSetup setup(QByteArray imageSeconds = "0.3")
    {
        PlayerWindowSetup result;
        result.productPage = QStringLiteral("https://www.example.org/vantoro");
        result.makeControl = [imageSeconds](QWidget* parent) {
            MpvSession::Options options;
            options.audioOutput = "null";
            options.extraOptions = {{"image-display-duration", imageSeconds}};
            return new TWMTPlayer(MpvLibrary::shared(), options, parent);
        };
        return result;
    }

    QTemporaryDir m_dir;
    ProgramState state;
    FakeMessageBoxes messages;
    FakeShellOpener shell;
    ScriptedModalRunner modal;
    FakeTimerFactory timers;
    FakePowerService power;
    Services services;
    std::unique_ptr<TSpeedF> speed;
    std::unique_ptr<TSleepF> sleep;
};

} // namespace vantoro::test
