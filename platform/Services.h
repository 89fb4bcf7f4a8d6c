#pragma once

#include <QString>

namespace vantoro {

class MessageBoxes;
class FileDialogs;
class ShellOpener;
class ModalRunner;
class MediaPlayerCheck;
class PowerService;
class TimerFactory;
class FileOperationEngine;
class FolderBrowser;
class TextInput;
class MediaSession;
class ScreenSaverInhibitor;
class ProgressWindows;

// The platform services a window may use, built once in main() with the real implementations
// and in tests with fakes, and handed down by reference. Nothing below reaches a dialog, the
// file system or D-Bus except through these. Pointers are never owning; a service a window
// does not use may be null in a test.
struct Services
{
    MessageBoxes* messages = nullptr;
    FileDialogs* fileDialogs = nullptr;
    ShellOpener* shell = nullptr;
    ModalRunner* modal = nullptr;
    MediaPlayerCheck* mediaCheck = nullptr;
    PowerService* power = nullptr;
    TimerFactory* timers = nullptr;
    FileOperationEngine* fileOperations = nullptr;
    FolderBrowser* folderBrowser = nullptr;
    TextInput* textInput = nullptr;
    MediaSession* mediaSession = nullptr; // media keys and the desktop's player controls
    ScreenSaverInhibitor* screenSaver = nullptr;
    ProgressWindows* progress = nullptr;

    // Folder of the program's own files, with a trailing '/' (see ProgramFolder.h).
    QString programFolder;
    // Folder in which the playlist dialogs start and new playlists are proposed, with a trailing
    // '/': the program folder for a portable copy, the user's playlist folder for an installed
    // one (see ProgramFolder.h). Empty: the program folder.
    QString playlistFolder;
    // Folder the clip dialog starts in before the settings name one, with a trailing '/': the
    // program folder for a portable copy, the user's music folder for an installed one (see
    // ProgramFolder.h). Empty: the program folder.
    QString clipFolder;
    // Folder the program's executable lives in; the help page is looked up there first.
    QString executableFolder;
};

} // namespace vantoro
