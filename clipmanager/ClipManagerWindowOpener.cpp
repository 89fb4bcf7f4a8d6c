#include "clipmanager/ClipManagerWindowOpener.h"

#include "clipmanager/TActionForm.h"
#include "platform/ModalRunner.h"

#include <memory>

namespace vantoro {

ClipManagerWindowOpener::ClipManagerWindowOpener(ProgramState& state, const Services& services,
                                                 UndoStack* undo)
    : m_state(state), m_services(services), m_undo(undo)
{}

void ClipManagerWindowOpener::OpenClipManager()
{
    auto window = std::make_unique<TActionForm>(m_state, m_services);
    if (m_undo)
        window->setUndoStack(m_undo);
    m_services.modal->exec(*window);
}

} // namespace vantoro
