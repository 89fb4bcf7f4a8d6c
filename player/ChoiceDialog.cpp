#include "player/ChoiceDialog.h"

#include "platform/TextContrast.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>

namespace vantoro {

namespace {

const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);
constexpr double kDesignDpi = 120.0;
constexpr int kDesignPointSize = 8;

} // namespace

ChoiceDialog::ChoiceDialog(const QString& title, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(title);
    setFont(designFont());
    m_items = new QButtonGroup(this);
}

QFont ChoiceDialog::designFont() const
{
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    arial.setPointSize(kDesignPointSize);
    arial.setBold(false);
    return arial;
}

QGroupBox* ChoiceDialog::makeItemGroup(const QString& title, const QStringList& items,
                                       Qt::Orientation orientation)
{
    auto* group = new QGroupBox(title, this);
    group->setFont(designFont());
    TextContrast::fixBackground(*group, QPalette::Window, kYellow);
    QBoxLayout* line = nullptr;
    if (orientation == Qt::Vertical)
        line = new QVBoxLayout(group);
    else
        line = new QHBoxLayout(group);
    line->setContentsMargins(kGap, 0, kGap, kGap / 2);
    line->setSpacing(orientation == Qt::Vertical ? 0 : kGap);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), group);
        m_items->addButton(button, i);
        line->addWidget(button);
    }
    return group;
}

QPlainTextEdit* ChoiceDialog::makeNote(const QStringList& lines)
{
    auto* note = new QPlainTextEdit(this);
    note->setReadOnly(true);
    note->setLineWrapMode(QPlainTextEdit::NoWrap);
    note->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    note->setPlainText(lines.join(QLatin1Char('\n')));
    TextContrast::fixBackground(*note, QPalette::Base, kAqua);
    return note;
}

QSize ChoiceDialog::noteRoom(const QPlainTextEdit& note, const QStringList& lines)
{
    const QFontMetrics metrics(note.font());
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int frame = 2 * note.frameWidth() + 2 * qCeil(note.document()->documentMargin());
    return {widest + frame + 2, metrics.lineSpacing() * static_cast<int>(lines.size()) + frame + 2};
}

void ChoiceDialog::layOut(QLayout* body)
{
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
    layout->addLayout(body);
    layout->addLayout(buttons);
}

QSize ChoiceDialog::scaledToScreen(QSize designSize) const
{
    const double scale = logicalDpiY() / kDesignDpi;
    return {qRound(designSize.width() * scale), qRound(designSize.height() * scale)};
}

void ChoiceDialog::centreOnScreen()
{
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}

int ChoiceDialog::itemIndex() const
{
    return m_items->checkedId();
}

void ChoiceDialog::setItemIndex(int index)
{
    if (QAbstractButton* button = m_items->button(index))
        button->setChecked(true);
}

QRadioButton* ChoiceDialog::item(int index) const
{
    return qobject_cast<QRadioButton*>(m_items->button(index));
}

void ChoiceDialog::setVisible(bool visible)
{
    // The pictures load the image plugins, which would cost several milliseconds of the
    // program's start-up if the dialogs fetched them when they are built.
    if (visible && m_bitBtn1->icon().isNull()) {
        m_bitBtn1->setIcon(m_bitBtn1->style()->standardIcon(QStyle::SP_DialogOkButton));
        m_bitBtn2->setIcon(m_bitBtn2->style()->standardIcon(QStyle::SP_DialogCancelButton));
    }
    QDialog::setVisible(visible);
}

void ChoiceDialog::BitBtn1Click()
{
    accept();
}

} // namespace vantoro
