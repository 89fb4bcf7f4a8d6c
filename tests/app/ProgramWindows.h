#pragma once

#include "app/TForm1.h"
#include "clipmanager/TActionForm.h"
#include "common/FakeFileDialogs.h"
#include "common/FakeFileOperationEngine.h"
#include "common/FakeFolderBrowser.h"
#include "common/FakeMessageBoxes.h"
#include "common/FakeShellOpener.h"
#include "common/FakeTimerFactory.h"
#include "common/ScriptedModalRunner.h"
#include "common/TestSupport.h"
#include "platform/MpvLibrary.h"
#include "player/TSleepF.h"
#include "player/TSpeedF.h"
#include "player/TWMTPlayer.h"
#include "player/TWplayerF2.h"

#include <QTemporaryDir>

#include <memory>

namespace vantoro::test {

// The program's windows as a person meets them, built with fake services: the main window, the
// player (a control with no outputs), the clip manager with two marked clips, and the speed and
// sleep dialogs. Nothing is shown.
struct ProgramWindows
{
    ProgramWindows()
    {
        services.messages = &messages;
        services.fileDialogs = &dialogs;
        services.shell = &shell;
        services.folderBrowser = &folderBrowser;
        services.fileOperations = &engine;
        services.modal = &modal;
        services.timers = &timers;
        services.programFolder = dir.path() + u'/';
        services.executableFolder = dir.path();
        form = std::make_unique<TForm1>(services);
        form->FormCreate();
        ProgramState& state = form->state();
        for (const char* name : {"a.wav", "b.wav"}) {
            const QString clip = dir.filePath(QString::fromLatin1(name));
            writeFileBytes(clip, "RIFF");
            state.LeftBox.append(QString::fromLatin1(name));
            state.PathLeft.append(clip);
        }
        clipManager = std::make_unique<TActionForm>(state, services);
        speed = std::make_unique<TSpeedF>();
        sleep = std::make_unique<TSleepF>(state);
        PlayerWindowSetup setup;
        setup.makeControl = [](QWidget* parent) {
            MpvSession::Options options;
            options.audioOutput = "null";
            return new TWMTPlayer(MpvLibrary::shared(), options, parent);
        };
        player = std::make_unique<TWplayerF2>(state, services, *speed, *sleep, setup);
    }

    QList<QWidget*> all() const
    {
        return {form.get(), player.get(), clipManager.get(), speed.get(), sleep.get()};
    }

    QTemporaryDir dir;
    FakeMessageBoxes messages;
    FakeFileDialogs dialogs;
    FakeShellOpener shell;
    FakeFolderBrowser folderBrowser;
    FakeFileOperationEngine engine;
    ScriptedModalRunner modal;
    FakeTimerFactory timers;
    Services services;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TActionForm> clipManager;
    std::unique_ptr<TSpeedF> speed;
    std::unique_ptr<TSleepF> sleep;
    std::unique_ptr<TWplayerF2> player;
};

} // namespace vantoro::test
