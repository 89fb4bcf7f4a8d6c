#include "player/Marking.h"

#include "playlists/ProgramState.h"

namespace vantoro {

Marking::Marking(ProgramState& state) : m_state(state) {}

void Marking::newStream(int entry)
{
    if (m_state.Tag != kModeNew)
        return;
    // Entries the control cannot play are skipped without a stream, so the first stream may
    // belong to any entry; waiting for entry 1 would leave such a playlist without Mark.
    if (entry >= 1)
        m_visible = true;
    m_enabled = true;
}

bool Marking::MarkButtonClick(int currentEntry)
{
    if (!buttonEnabled() || currentEntry < 1 || currentEntry > m_state.AllBox.count())
        return false;
    m_enabled = false;
    const QString& path = m_state.AllBox.at(currentEntry - 1);
    if (m_state.PathLeft.contains(path, Qt::CaseSensitive))
        return false;
    m_state.LeftBox.append(fileNameOf(path));
    m_state.PathLeft.append(path);
    return true;
}

QString Marking::fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace vantoro
