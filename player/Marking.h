#pragma once

#include <QString>

namespace vantoro {

struct ProgramState;

// Marking of the playing clip in a new playlist (mode 10), and the Mark button's states.
// Marks go to the marked-clip lists of the program state: LeftBox (file name after the last
// '/') and PathLeft (full path, exactly as in the clip list), parallel and in marking order,
// no path twice in PathLeft (compared exactly, letter case included). Marking only appends.
//
// Button states in mode 10: hidden until the first stream starts (whichever entry it is: the
// control skips entries it cannot play), then shown
// for the rest of the player window's life; enabled at the start of every entry; disabled by
// a press until the next entry starts. In any other mode the button is never shown.
class Marking
{
public:
    explicit Marking(ProgramState& state);

    // The control began entry `entry` (counted from 1), also on each repetition.
    void newStream(int entry);

    bool buttonVisible() const { return m_visible; }
    bool buttonEnabled() const { return m_visible && m_enabled; }

    // A press of Mark (or Enter while it is the visible default button) during entry
    // `currentEntry` of the clip list, counted from 1. Does nothing unless the button is
    // visible and enabled, or when the entry has no clip-list entry. Otherwise disables the
    // button and records the clip unless PathLeft holds it already. Answers true when a new
    // mark was recorded.
    bool MarkButtonClick(int currentEntry);

    // The text after the last '/' of a path (the whole path when it has none).
    static QString fileNameOf(const QString& path);

private:
    ProgramState& m_state;
    bool m_visible = false;
    bool m_enabled = false;
};

} // namespace vantoro
