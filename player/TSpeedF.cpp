#include "player/TSpeedF.h"

#include "platform/TextContrast.h"
#include "player/DialogButtonPictures.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QtMath>

#include <array>

namespace vantoro {

namespace {

constexpr std::array<double, 5> kRates = {1.0, 0.2, 0.5, 1.5, 2.0};
const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);
// Pixel sizes are given at 120 dots per inch and scaled to the screen.
constexpr double kDesignDpi = 120.0;
constexpr QSize kDesignSize(588, 185);
constexpr int kDesignPointSize = 8;
// Margin and spacing of the layout, in screen pixels.
constexpr int kGap = 6;

} // namespace

TSpeedF::TSpeedF(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Vantoro - Playback Speed"));

    // The design's font throughout: the dialog is laid out to its size in it.
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    arial.setPointSize(kDesignPointSize);
    setFont(arial);

    m_radioGroup1 = new QGroupBox(QStringLiteral("  Playback Speed  "), this);
    m_radioGroup1->setFont(arial);
    TextContrast::fixBackground(*m_radioGroup1, QPalette::Window, kYellow);
    m_items = new QButtonGroup(this);
    auto* columns = new QHBoxLayout(m_radioGroup1);
    columns->setContentsMargins(kGap, 0, kGap, kGap / 2);
    columns->setSpacing(kGap);
    const QStringList items = speedItems();
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), m_radioGroup1);
        m_items->addButton(button, i);
        columns->addWidget(button);
    }

    m_colorMemo1 = new QPlainTextEdit(this);
    m_colorMemo1->setReadOnly(true);
    m_colorMemo1->setPlainText(
        QStringLiteral("Note:  Audio becomes difficult to understand at rates lower than 0.5 \n"
                       "or higher than 1.5."));
    TextContrast::fixBackground(*m_colorMemo1, QPalette::Base, kAqua);
    m_colorMemo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_colorMemo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_colorMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    {
        // Room for the two lines of the note and no more.
        const QFontMetrics metrics(m_colorMemo1->font());
        const int frame =
            2 * m_colorMemo1->frameWidth() + 2 * qCeil(m_colorMemo1->document()->documentMargin());
        m_colorMemo1->setFixedHeight(2 * metrics.lineSpacing() + frame + 2);
    }

    m_bitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    m_bitBtn1->setDefault(true);
    m_bitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    connect(m_bitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(m_bitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_bitBtn1);
    buttons->addWidget(m_bitBtn2);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kGap, kGap, kGap, kGap);
    layout->setSpacing(kGap);
    layout->addWidget(m_radioGroup1);
    layout->addWidget(m_colorMemo1);
    layout->addStretch(1);
    layout->addLayout(buttons);

    setItemIndex(0);
    // The design's size, not the layout's preferred one, which is taller.
    const double scale = logicalDpiY() / kDesignDpi;
    resize(qRound(kDesignSize.width() * scale), qRound(kDesignSize.height() * scale));
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

int TSpeedF::itemIndex() const
{
    return m_items->checkedId();
}

void TSpeedF::setItemIndex(int index)
{
    if (QAbstractButton* button = m_items->button(index))
        button->setChecked(true);
}

QRadioButton* TSpeedF::item(int index) const
{
    return qobject_cast<QRadioButton*>(m_items->button(index));
}

bool TSpeedF::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void TSpeedF::setVisible(bool visible)
{
    if (visible)
        fetchOkCancelPictures(*m_bitBtn1, *m_bitBtn2);
    QDialog::setVisible(visible);
}

void TSpeedF::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shownBefore) {
        m_shownBefore = true;
        if (const QScreen* where = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(where->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    FormActivate();
}

void TSpeedF::BitBtn1Click()
{
    accept();
}

void TSpeedF::FormActivate()
{
    if (!m_player)
        return;
    const QRect player = m_player->frameGeometry();
    move(x(), player.top() + player.height() - frameGeometry().height());
}

} // namespace vantoro
