#include "gui/listicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <cmath>
#include <functional>

namespace {

constexpr int side = 16;

QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

} // namespace

namespace ListIcons {

QIcon lock()
{
    static const QIcon icon = drawn([](QPainter& painter) {
        painter.setPen(QPen(QColor(90, 90, 90), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
        painter.drawLine(QPointF(4.5, 6), QPointF(4.5, 8));
        painter.drawLine(QPointF(11.5, 6), QPointF(11.5, 8));
        painter.setPen(QPen(QColor(120, 80, 0), 1));
        painter.setBrush(QColor(222, 170, 40));
        painter.drawRoundedRect(QRectF(2.5, 7.5, 11, 8), 1.5, 1.5);
    });
    return icon;
}

QIcon star()
{
    static const QIcon icon = drawn([](QPainter& painter) {
        QPolygonF points;
        for (int i = 0; i < 10; ++i) {
            const double radius = i % 2 == 0 ? 7.5 : 3.2;
            const double angle = -M_PI / 2 + i * M_PI / 5;
            points << QPointF(8 + radius * std::cos(angle), 8.5 + radius * std::sin(angle));
        }
        painter.setPen(QPen(QColor(170, 110, 0), 1));
        painter.setBrush(QColor(255, 200, 30));
        painter.drawPolygon(points);
    });
    return icon;
}

QIcon friends()
{
    static const QIcon icon = drawn([](QPainter& painter) {
        painter.setPen(QPen(QColor(20, 100, 30), 1));
        painter.setBrush(QColor(70, 200, 90));
        painter.drawEllipse(QRectF(5, 1.5, 6, 6));
        painter.drawRoundedRect(QRectF(2.5, 8.5, 11, 6.5), 3, 3);
    });
    return icon;
}

} // namespace ListIcons
