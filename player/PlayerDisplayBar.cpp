#include "player/PlayerDisplayBar.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vantoro {

PlayerDisplayBar::PlayerDisplayBar(QWidget* parent)
    : QFrame(parent), m_titleLabel(new QLabel(this)), m_artistLabel(new QLabel(this))
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    QFont bold = m_titleLabel->font();
    bold.setBold(true);
    m_titleLabel->setFont(bold);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_artistLabel->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(0);
    layout->addWidget(m_titleLabel);
    layout->addWidget(m_artistLabel);
}

void PlayerDisplayBar::setEntry(const QString& path)
{
    m_fileName = path.mid(path.lastIndexOf(u'/') + 1);
    m_title.clear();
    m_artist.clear();
    refresh();
}

void PlayerDisplayBar::setTitleTag(const QString& title)
{
    m_title = title.trimmed();
    refresh();
}

void PlayerDisplayBar::setArtistTag(const QString& artist)
{
    m_artist = artist.trimmed();
    refresh();
}

void PlayerDisplayBar::clear()
{
    m_fileName.clear();
    m_title.clear();
    m_artist.clear();
    refresh();
}

QString PlayerDisplayBar::titleText() const
{
    return m_titleLabel->text();
}

QString PlayerDisplayBar::artistText() const
{
    return m_artistLabel->text();
}

void PlayerDisplayBar::refresh()
{
    m_titleLabel->setText(m_title.isEmpty() ? m_fileName : m_title);
    m_artistLabel->setText(m_artist);
}

} // namespace vantoro
