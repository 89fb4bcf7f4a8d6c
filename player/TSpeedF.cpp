#include "player/TSpeedF.h"

#include <QEvent>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <array>

namespace vantoro {

namespace {

constexpr std::array<double, 5> kRates = {1.0, 0.2, 0.5, 1.5, 2.0};
// Client size of the dialog at the design resolution.
constexpr QSize kDesignSize(588, 185);

} // namespace

TSpeedF::TSpeedF(QWidget* parent) : ChoiceDialog(QStringLiteral("Vantoro - Playback Speed"), parent)
{
    m_radioGroup1 =
        makeItemGroup(QStringLiteral("  Playback Speed  "), speedItems(), Qt::Horizontal);
    const QStringList note = {
        QStringLiteral("Note:  Audio becomes difficult to understand at rates lower than 0.5 "),
        QStringLiteral("or higher than 1.5.")};
    m_colorMemo1 = makeNote(note);
    m_colorMemo1->setFixedHeight(noteRoom(*m_colorMemo1, note).height());

    auto* body = new QVBoxLayout;
    body->setSpacing(kGap);
    body->addWidget(m_radioGroup1);
    body->addWidget(m_colorMemo1);
    body->addStretch(1);
    layOut(body);

    setItemIndex(0);
    // The design's size, not the layout's preferred one, which is taller.
    resize(scaledToScreen(kDesignSize));
}

QStringList TSpeedF::speedItems()
{
    return {QStringLiteral("Normal (1.0)"), QStringLiteral("Fifth (0.2)"),
            QStringLiteral("Half  (0.5)"), QStringLiteral("Fast (1.5)"),
            QStringLiteral("Double (2.0)")};
}

double TSpeedF::rateOfItem(int index)
{
    if (index < 0 || index >= static_cast<int>(kRates.size()))
        return 1.0;
    return kRates[static_cast<size_t>(index)];
}

bool TSpeedF::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return ChoiceDialog::event(event);
}

void TSpeedF::showEvent(QShowEvent* event)
{
    ChoiceDialog::showEvent(event);
    if (!m_shownBefore) {
        m_shownBefore = true;
        centreOnScreen();
    }
    FormActivate();
}

void TSpeedF::FormActivate()
{
    if (!m_player)
        return;
    const QRect player = m_player->frameGeometry();
    move(x(), player.top() + player.height() - frameGeometry().height());
}

} // namespace vantoro
