#include "clipmanager/ClipManagerWindowOpener.h"

#include "clipmanager/TActionForm.h"
#include "platform/ModalRunner.h"

#include <memory>

namespace vantoro {

ClipManagerWindowOpener::ClipManagerWindowOpener(ProgramState& state, const Services& services)
    : m_state(state), m_services(services)
{}

void ClipManagerWindowOpener::OpenClipManager()
{
    auto window = std::make_unique<TActionForm>(m_state, m_services);
    m_services.modal->exec(*window);
}

} // namespace vantoro
