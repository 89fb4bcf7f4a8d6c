#include "app/Settings.h"

#include "platform/MessageBoxes.h"
#include "platform/ProfileStrings.h"
#include "playlists/ProgramState.h"

#include <QFileInfo>

namespace vantoro {

namespace {

const QString kBar = QStringLiteral("Bar");
const QString kTrack = QStringLiteral("Track");
const QString kStatus = QStringLiteral("Status");
const QString kPaths = QStringLiteral("Paths");
const QString kClips = QStringLiteral("Clips");
const QString kLists = QStringLiteral("Lists");

// Folder values are read into a buffer of 1024 characters, terminator included.
constexpr int kMaxFolderChars = 1023;

QString yesNoText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

Settings::Settings(ProgramState& state, MessageBoxes& messages)
    : m_state(state), m_messages(messages)
{}

bool Settings::parseYesNo(const QString& text, bool defaultValue)
{
    bool ok = false;
    qlonglong value = 0;
    if (text.size() > 2 &&
        (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))) {
        value = text.mid(2).toLongLong(&ok, 16);
        // "0x-1" and "0x+1" are not hexadecimal numbers.
        if (text.at(2) == u'-' || text.at(2) == u'+')
            ok = false;
    } else {
        value = text.toLongLong(&ok, 10);
    }
    if (!ok)
        return defaultValue;
    return value != 0;
}

bool Settings::write(const QString& section, const QString& key, const QString& value)
{
    if (writePrivateProfileString(section, key, value, m_state.IniFileName) == 0)
        return true;
    m_messages.error(QStringLiteral("Unable to write to %1").arg(m_state.IniFileName));
    return false;
}

QString Settings::clipFolderDefault() const
{
    return m_state.DefaultClipFolder.isEmpty() ? m_state.ProgramFolder : m_state.DefaultClipFolder;
}

QString Settings::listFolderDefault() const
{
    return m_state.PlaylistFolder.isEmpty() ? m_state.ProgramFolder : m_state.PlaylistFolder;
}

bool Settings::writeFolder(const QString& key, const QString& folder)
{
    // A line break would cut the value and leave its rest as a line of its own: such a folder
    // is not stored, and the file keeps the value it had.
    if (folder.contains(u'\n') || folder.contains(u'\r'))
        return true;
    return write(kPaths, key, folder);
}

bool Settings::createIfMissing()
{
    if (QFileInfo::exists(m_state.IniFileName))
        return true;
    return write(kBar, kTrack, QStringLiteral("1")) && write(kBar, kStatus, QStringLiteral("1")) &&
           writeFolder(kClips, clipFolderDefault()) && writeFolder(kLists, listFolderDefault());
}

void Settings::read()
{
    const QString& file = m_state.IniFileName;
    m_state.TrackBarSetting =
        parseYesNo(getPrivateProfileString(kBar, kTrack, QString(), file), true);
    m_state.StatusBarSetting =
        parseYesNo(getPrivateProfileString(kBar, kStatus, QString(), file), true);
    m_state.ClipFolder =
        getPrivateProfileString(kPaths, kClips, clipFolderDefault(), file, kMaxFolderChars);
    m_state.ListFolder =
        getPrivateProfileString(kPaths, kLists, listFolderDefault(), file, kMaxFolderChars);
}

bool Settings::save()
{
    return write(kBar, kTrack, yesNoText(m_state.TrackBarSetting)) &&
           write(kBar, kStatus, yesNoText(m_state.StatusBarSetting)) &&
           writeFolder(kClips, m_state.ClipFolder) && writeFolder(kLists, m_state.ListFolder);
}

} // namespace vantoro
