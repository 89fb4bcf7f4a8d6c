#include "player/TSleepF.h"

#include "platform/TextContrast.h"
#include "player/DialogButtonPictures.h"
#include "playlists/ProgramState.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vantoro {

namespace {

const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);
// Pixel sizes are given at 120 dots per inch and scaled to the screen.
constexpr double kDesignDpi = 120.0;
// Client size of the dialog at the design resolution.
constexpr QSize kDesignSize(528, 404);
constexpr int kDesignPointSize = 8;
// Margin and spacing of the layout, in screen pixels.
constexpr int kGap = 6;

QFont arial(QFont font, bool bold)
{
    font.setFamily(QStringLiteral("Arial"));
    font.setBold(bold);
    return font;
}

} // namespace

TSleepF::TSleepF(ProgramState& state, QWidget* parent) : QDialog(parent), m_state(state)
{
    setWindowTitle(QStringLiteral("Vantoro - Sleep Timer"));
    // A dialog frame with a title but no title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    // The design's font throughout: the dialog is laid out to its size in it.
    QFont designFont = font();
    designFont.setPointSize(kDesignPointSize);
    setFont(arial(designFont, false));

    m_sleepTimer = new QGroupBox(QStringLiteral(" Shutdown:"), this);
    m_sleepTimer->setFont(arial(designFont, false));
    TextContrast::fixBackground(*m_sleepTimer, QPalette::Window, kYellow);
    m_items = new QButtonGroup(this);
    auto* rows = new QVBoxLayout(m_sleepTimer);
    rows->setContentsMargins(kGap, 0, kGap, kGap / 2);
    rows->setSpacing(0);
    const QStringList items = sleepItems();
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), m_sleepTimer);
        m_items->addButton(button, i);
        rows->addWidget(button);
    }

    m_memo1 = new QPlainTextEdit(this);
    m_memo1->setReadOnly(true);
    m_memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo1->setFont(arial(designFont, true));
    m_memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_memo1->setPlainText(noteLines().join(QLatin1Char('\n')));
    TextContrast::fixBackground(*m_memo1, QPalette::Base, kAqua);
    {
        const QFontMetrics metrics(m_memo1->font());
        int widest = 0;
        for (const QString& line : noteLines())
            widest = std::max(widest, metrics.horizontalAdvance(line));
        const int frame =
            2 * m_memo1->frameWidth() + 2 * qRound(m_memo1->document()->documentMargin());
        m_memo1->setMinimumSize(widest + frame + 2,
                                metrics.lineSpacing() * static_cast<int>(noteLines().size()) +
                                    frame + 2);
    }

    m_bitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    m_bitBtn1->setToolTip(QStringLiteral("Apply change"));
    m_bitBtn1->setDefault(true);
    m_bitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    m_bitBtn2->setToolTip(QStringLiteral("No Changes"));
    connect(m_bitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(m_bitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });

    auto* top = new QHBoxLayout;
    top->setSpacing(kGap);
    top->addWidget(m_sleepTimer);
    top->addWidget(m_memo1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_bitBtn1);
    buttons->addWidget(m_bitBtn2);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kGap, kGap, kGap, kGap);
    layout->setSpacing(kGap);
    layout->addLayout(top);
    layout->addLayout(buttons);

    setItemIndex(m_state.SleepChoice);
    // A dialog frame: fixed at the design's size, not the layout's preferred one.
    const double scale = logicalDpiY() / kDesignDpi;
    setFixedSize(qRound(kDesignSize.width() * scale), qRound(kDesignSize.height() * scale));
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

int TSleepF::itemIndex() const
{
    return m_items->checkedId();
}

void TSleepF::setItemIndex(int index)
{
    if (QAbstractButton* button = m_items->button(index))
        button->setChecked(true);
}

QRadioButton* TSleepF::item(int index) const
{
    return qobject_cast<QRadioButton*>(m_items->button(index));
}

void TSleepF::setVisible(bool visible)
{
    if (visible)
        fetchOkCancelPictures(*m_bitBtn1, *m_bitBtn2);
    QDialog::setVisible(visible);
}

void TSleepF::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TSleepF::BitBtn1Click()
{
    m_state.SleepChoice = itemIndex();
    accept();
}

void TSleepF::BitBtn2Click()
{
    reject();
}

} // namespace vantoro
