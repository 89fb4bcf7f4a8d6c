#pragma once

#include <QString>

namespace vantoro {

class MessageBoxes;
struct ProgramState;

// The settings file IniFileName: four values kept between runs.
//
//   [Bar]   Track=1|0   Status=1|0
//   [Paths] Clips=<folder as held>   Lists=<folder as held>
//
// Every write goes through the profile-string functions (a whole new file renamed over the old
// one). A failing write shows "Unable to write to <path>" and ends the current step. A folder
// holding a line break is never written (the settings file is line-based): the file keeps the
// value it had.
class Settings
{
public:
    Settings(ProgramState& state, MessageBoxes& messages);

    // Writes the four defaults in table order when no file named IniFileName exists. Answers
    // false when a write failed (the error box has been shown).
    bool createIfMissing();
    // Reads the four values into the state; missing values give the defaults.
    void read();
    // Writes the four in-memory values in table order, even when nothing changed.
    bool save();

    // "1", "0x1F", "-3" are yes; "0" is no; empty, words and malformed numbers give `defaultValue`.
    static bool parseYesNo(const QString& text, bool defaultValue);

private:
    bool write(const QString& section, const QString& key, const QString& value);
    // Clips= when the file has none: the clip folder of a first run (the program folder of a
    // portable copy).
    QString clipFolderDefault() const;
    // Lists= when the file has none: the playlist folder (the program folder of a portable copy).
    QString listFolderDefault() const;
    bool writeFolder(const QString& key, const QString& folder);

    ProgramState& m_state;
    MessageBoxes& m_messages;
};

} // namespace vantoro
