#pragma once

#include <QFrame>

class QLabel;

namespace vantoro {

// The display panel: the playing entry's title and artist from its tags; without a title tag
// the file name stands in its place.
class PlayerDisplayBar : public QFrame
{
    Q_OBJECT
public:
    explicit PlayerDisplayBar(QWidget* parent = nullptr);

    // A new entry: its path, with no tags known yet.
    void setEntry(const QString& path);
    void setTitleTag(const QString& title);
    void setArtistTag(const QString& artist);
    void clear();

    QString titleText() const;
    QString artistText() const;

private:
    void refresh();

    QString m_fileName;
    QString m_title;
    QString m_artist;
    QLabel* m_titleLabel;
    QLabel* m_artistLabel;
};

} // namespace vantoro
