#include "MatrixIcons.h"

#include <QPainter>
#include <QPainterPath>

const QPixmap& MatrixIcons::pixmap(Icon icon, int size)
{
    static QHash<int, QPixmap> cache;
    const int key = size * 16 + static_cast<int>(icon);
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, draw(icon, size));
    return it.value();
}

QPixmap MatrixIcons::draw(Icon icon, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QColor green(0x3D, 0xDC, 0x84);
    const QColor plain(0xC8, 0xC8, 0xD0);
    QPen pen(plain, qMax<qreal>(1.5, s / 8), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (icon) {
    case Checked: {
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawEllipse(QRectF(s * 0.15, s * 0.15, s * 0.7, s * 0.7));
        pen.setColor(QColor(0x21, 0x22, 0x27));
        p.setPen(pen);
        QPainterPath tick;
        tick.moveTo(s * 0.32, s * 0.52);
        tick.lineTo(s * 0.45, s * 0.65);
        tick.lineTo(s * 0.69, s * 0.38);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
        break;
    }
    case Checking:
        pen.setColor(QColor(0xF5, 0xB0, 0x41));
        p.setPen(pen);
        p.drawArc(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6), 90 * 16, 270 * 16);
        break;
    case Increase:
    case IncreaseRoute:
    case Decrease:
    case DecreaseRoute: {
        const bool route = icon == IncreaseRoute || icon == DecreaseRoute;
        pen.setColor(route ? green : plain);
        p.setPen(pen);
        p.drawRect(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6));
        p.drawLine(QPointF(s * 0.35, s * 0.5), QPointF(s * 0.65, s * 0.5));
        if (icon == Increase || icon == IncreaseRoute)
            p.drawLine(QPointF(s * 0.5, s * 0.35), QPointF(s * 0.5, s * 0.65));
        break;
    }
    case ArrowDown:
    case ArrowLeft: {
        p.setPen(Qt::NoPen);
        p.setBrush(plain);
        QPolygonF tri;
        if (icon == ArrowDown)
            tri << QPointF(s * 0.25, s * 0.35) << QPointF(s * 0.75, s * 0.35) << QPointF(s * 0.5, s * 0.7);
        else
            tri << QPointF(s * 0.65, s * 0.25) << QPointF(s * 0.65, s * 0.75) << QPointF(s * 0.3, s * 0.5);
        p.drawPolygon(tri);
        break;
    }
    }
    return pm;
}
