#pragma once

#include "platform/Services.h"
#include "playlists/PlayerOpener.h"

namespace vantoro {

struct ProgramState;
class UndoStack;

// Opens a new clip manager window (TActionForm) for the marked clips of the program state,
// shows it modally (Services::modal) until it closes, and destroys it. The window is centred on
// the screen and has no parent; the caller shows the main window again afterwards.
class ClipManagerWindowOpener final : public ClipManagerOpener
{
public:
    // Each window's actions go on `undo` (the program's undo stack), when given.
    ClipManagerWindowOpener(ProgramState& state, const Services& services,
                            UndoStack* undo = nullptr);

    void OpenClipManager() override;

private:
    ProgramState& m_state;
    Services m_services;
    UndoStack* m_undo = nullptr;
};

} // namespace vantoro
