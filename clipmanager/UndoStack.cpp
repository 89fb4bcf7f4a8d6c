#include "clipmanager/UndoStack.h"

#include "fileops/IoError.h"
#include "fileops/Trash.h"
#include "platform/AtomicFileWriter.h"
#include "platform/MessageBoxes.h"

#include <QFile>
#include <QSet>

namespace vantoro {

namespace {

constexpr int kListedProblems = 15;

QString clips(qsizetype n)
{
    return n == 1 ? QStringLiteral("1 clip") : QStringLiteral("%1 clips").arg(n);
}

// "path: reason" lines, the first few of them, for a message box.
QString problemLines(const std::vector<UndoProblem>& problems)
{
    QStringList lines;
    for (const UndoProblem& problem : problems) {
        if (lines.size() == kListedProblems) {
            lines.append(QStringLiteral("... and %1 more").arg(problems.size() - kListedProblems));
            break;
        }
        lines.append(problem.path + QStringLiteral(": ") + problem.reason);
    }
    return lines.join(u'\r');
}

} // namespace

QString ClipAction::description() const
{
    if (!playlist.isEmpty())
        return QStringLiteral("add %1 to %2").arg(clips(clipCount), playlist);
    return files.description();
}

QString ClipAction::summary() const
{
    if (!playlist.isEmpty())
        return QStringLiteral("%1 added to %2").arg(clips(clipCount), playlist);
    return files.summary();
}

UndoStack::UndoStack(QObject* parent) : QObject(parent), m_idleWait(new QTimer(this))
{
    m_idleWait->setInterval(250);
    connect(m_idleWait, &QTimer::timeout, this, [this] { m_whenIdle(); });
}

void UndoStack::undoWhenIdle(int depth, std::function<bool()> busy, MessageBoxes& messages,
                             FileOperationEngine& engine)
{
    m_whenIdle = [this, depth, busy = std::move(busy), &messages, &engine] {
        if (m_busy || busy())
            return;
        m_idleWait->stop();
        if (depth == size())
            undoNewest(messages, engine);
    };
    m_idleWait->start();
}

QString UndoStack::hint() const
{
    if (m_actions.empty())
        return {};
    return QStringLiteral("Undo: ") + m_actions.back().description();
}

void UndoStack::push(ClipAction action)
{
    if (action.files.isEmpty() && action.playlist.isEmpty())
        return;
    const QString summary = action.summary();
    m_actions.push_back(std::move(action));
    Q_EMIT changed();
    Q_EMIT pushed(summary);
}

QString UndoStack::playlistProblem(const ClipAction& action)
{
    const FileIdentity now = FileIdentity::of(QFile::encodeName(action.playlist));
    if (!now.isValid())
        return QStringLiteral("The playlist is no longer there.");
    if (!(now == action.playlistWritten))
        return QStringLiteral("The playlist has changed since.");
    return {};
}

std::optional<ClipUndoResult> UndoStack::undoNewest(MessageBoxes& messages,
                                                    FileOperationEngine& engine)
{
    // The questions and the engine's progress keep events flowing: a second undo asked for
    // meanwhile (a key, the notification) is not started.
    if (m_actions.empty() || m_busy)
        return std::nullopt;
    m_busy = true;
    ClipUndoResult result;
    result.action = std::move(m_actions.back());
    m_actions.pop_back();
    const ClipAction& action = result.action;

    std::vector<UndoProblem> leftAlone;
    QSet<QString> back;
    if (!action.playlist.isEmpty()) {
        // A playlist action has nothing else: what cannot go back is told, not asked about.
        if (const QString reason = undoPlaylist(action); !reason.isEmpty())
            leftAlone.push_back({action.playlist, reason});
        else
            back = QSet<QString>(action.boxPaths.cbegin(), action.boxPaths.cend());
    } else {
        auto proceed = [&messages](const std::vector<UndoProblem>& problems) {
            return messages.askContinueCancel(
                QStringLiteral("These cannot be undone and stay as they are:\r") +
                problemLines(problems) + QStringLiteral("\r\rUndo the rest?"));
        };
        const UndoOutcome outcome = action.files.run(engine, proceed);
        if (outcome.aborted && outcome.undone.isEmpty() && outcome.leftAlone.empty()) {
            m_actions.push_back(std::move(result.action));
            m_busy = false;
            m_lastReport = QStringLiteral("Nothing was undone.");
            return std::nullopt;
        }
        for (const QString& path : outcome.undone)
            back.insert(path);
        leftAlone = outcome.leftAlone;
        if (!outcome.retry.isEmpty()) {
            // What failed or was cancelled can be tried again.
            ClipAction rest = action;
            rest.files = FileOperationUndo(outcome.retry);
            m_actions.push_back(std::move(rest));
        }
    }
    for (qsizetype i = 0; i < action.boxPaths.size(); ++i) {
        if (back.contains(action.boxPaths.at(i))) {
            result.restoredPaths.append(action.boxPaths.at(i));
            result.restoredNames.append(action.boxNames.value(i));
        }
    }
    m_lastReport = back.isEmpty()
                       ? QStringLiteral("Nothing was undone: %1").arg(action.description())
                       : QStringLiteral("Undone: %1").arg(action.description());
    if (!leftAlone.empty() && !back.isEmpty())
        m_lastReport += QStringLiteral(" (%1 left as they are)").arg(clips(leftAlone.size()));
    m_busy = false;
    Q_EMIT changed();
    if (!leftAlone.empty())
        messages.information(QStringLiteral("These were left as they are:\r") +
                             problemLines(leftAlone));
    Q_EMIT undone(result);
    return result;
}

QString UndoStack::undoPlaylist(const ClipAction& action)
{
    if (const QString reason = playlistProblem(action); !reason.isEmpty())
        return reason;
    if (action.playlistExisted) {
        const int error = AtomicFileWriter::writeWhole(action.playlist, action.playlistBefore);
        return error ? systemErrorText(error) : QString();
    }
    const TrashOutcome trashed = moveToTrash(QFile::encodeName(action.playlist));
    if (trashed.status != TrashOutcome::Status::Trashed)
        return QStringLiteral("The new playlist stays: the Trash refused it (%1).")
            .arg(trashed.reason);
    return {};
}

} // namespace vantoro
