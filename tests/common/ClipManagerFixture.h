#pragma once

#include "clipmanager/TActionForm.h"
#include "common/FakeFileDialogs.h"
#include "common/FakeFolderBrowser.h"
#include "common/FakeMessageBoxes.h"
#include "common/FakeTextInput.h"
#include "common/TestSupport.h"
#include "playlists/ProgramState.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace vantoro::test {

// Clips marked in a temporary folder (the program folder, with the source folder "Videos"),
// scripted boxes, file dialogs, folder browser and text input, and the clip manager window on
// them. A fixture that derives from this one sets `services.fileOperations` in its SetUp.
class ClipManagerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        state.ProgramFolder = m_dir.path() + u'/';
        QDir().mkpath(path("Videos"));
        state.SourceFolder = path("Videos");
        services.messages = &messages;
        services.fileDialogs = &dialogs;
        services.folderBrowser = &browser;
        services.textInput = &textInput;
    }

    // The window goes first: it holds services that deriving fixtures own.
    void TearDown() override { form.reset(); }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Writes `contents` to the clip at `relativePath` and marks it after those marked before.
    QString markClip(const QString& relativePath, const QByteArray& contents)
    {
        const QString clip = path(relativePath);
        writeFileBytes(clip, contents);
        state.LeftBox.append(clip.mid(clip.lastIndexOf(u'/') + 1));
        state.PathLeft.append(clip);
        return clip;
    }

    TActionForm& open()
    {
        form = std::make_unique<TActionForm>(state, services);
        form->show();
        return *form;
    }

    QTemporaryDir m_dir;
    ProgramState state;
    FakeMessageBoxes messages;
    FakeFileDialogs dialogs;
    FakeFolderBrowser browser;
    FakeTextInput textInput;
    Services services;
    std::unique_ptr<TActionForm> form;
};

} // namespace vantoro::test
