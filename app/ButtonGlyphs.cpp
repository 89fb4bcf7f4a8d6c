#include "app/ButtonGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace vantoro::glyphs {

namespace {

constexpr int kSize = 16;

QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

} // namespace

QIcon website()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(0x00, 0x66, 0xCC), 1.2));
        p.setBrush(QColor(0xCC, 0xE6, 0xFF));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
    });
}

QIcon help()
{
    return drawn([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x00, 0x80, 0x00));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(12);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("?"));
    });
}

QIcon close()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(0xCC, 0x00, 0x00), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

QIcon mail()
{
    return drawn([](QPainter& p) {
        p.setPen(QPen(QColor(0x80, 0x00, 0x00), 1.2));
        p.setBrush(QColor(0xFF, 0xF4, 0xD6));
        p.drawRect(QRectF(1.5, 3.5, 13, 9));
        QPainterPath flap;
        flap.moveTo(1.5, 3.5);
        flap.lineTo(8, 9);
        flap.lineTo(14.5, 3.5);
        p.setBrush(Qt::NoBrush);
        p.drawPath(flap);
    });
}

} // namespace vantoro::glyphs
