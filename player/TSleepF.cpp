#include "player/TSleepF.h"

#include "playlists/ProgramState.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vantoro {

namespace {

// Client size of the dialog at the design resolution.
constexpr QSize kDesignSize(528, 404);

} // namespace

TSleepF::TSleepF(ProgramState& state, QWidget* parent)
    : ChoiceDialog(QStringLiteral("Vantoro - Sleep Timer"), parent), m_state(state)
{
    // A dialog frame with a title but no title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    m_sleepTimer = makeItemGroup(QStringLiteral(" Shutdown:"), sleepItems(), Qt::Vertical);
    m_memo1 = makeNote(noteLines());
    QFont bold = designFont();
    bold.setBold(true);
    m_memo1->setFont(bold);
    m_memo1->setMinimumSize(noteRoom(*m_memo1, noteLines()));

    auto* top = new QHBoxLayout;
    top->setSpacing(kGap);
    top->addWidget(m_sleepTimer);
    top->addWidget(m_memo1, 1);
    layOut(top);
    bitBtn1()->setToolTip(QStringLiteral("Apply change"));
    bitBtn2()->setToolTip(QStringLiteral("No Changes"));

    setItemIndex(m_state.SleepChoice);
    // A dialog frame: fixed at the design's size, not the layout's preferred one.
    setFixedSize(scaledToScreen(kDesignSize));
}

QStringList TSleepF::sleepItems()
{
    return {QStringLiteral("Off (don't shutdown)"),  QStringLiteral("When Playlist finishes"),
            QStringLiteral("  15 minutes"),          QStringLiteral("  30 minutes"),
            QStringLiteral("  45 minuties"),         QStringLiteral("  60 minutes (1 hour)"),
            QStringLiteral("  90 minutes"),          QStringLiteral("120 minutes (2 hours)"),
            QStringLiteral("150 minutes "),          QStringLiteral("180 minutes (3 hours)"),
            QStringLiteral("210 minutes"),           QStringLiteral("240 minutes (4 hours)"),
            QStringLiteral("1 minute (for testing)")};
}

QStringList TSleepF::noteLines()
{
    return {QString(),
            QStringLiteral("This Sleep Timer will shut down your "),
            QStringLiteral("computer and (if supported by your bios) "),
            QStringLiteral("power it off.  Select the first item (Off) to "),
            QStringLiteral("cancel automatic shutdown.  The next "),
            QStringLiteral("option will cause shutdown after the Playlist "),
            QStringLiteral("has completed."),
            QString(),
            QStringLiteral("The other options will schedule shutdown "),
            QStringLiteral("after the specified period of time, or after "),
            QStringLiteral("the Playlist is finished, whichever happens "),
            QStringLiteral("first.  To be certain that shutdown occurs at "),
            QStringLiteral("the specific time period specified and not "),
            QStringLiteral("before, also select the Repeat toggle button "),
            QStringLiteral("so that the Playlist keeps repeating."),
            QString(),
            QStringLiteral("If you select anything but Off, make sure "),
            QStringLiteral("you have saved any documents that might "),
            QStringLiteral("be open in any other application you have "),
            QStringLiteral("running on your computer.")};
}

void TSleepF::showEvent(QShowEvent* event)
{
    ChoiceDialog::showEvent(event);
    centreOnScreen();
}

void TSleepF::BitBtn1Click()
{
    m_state.SleepChoice = itemIndex();
    accept();
}

} // namespace vantoro
