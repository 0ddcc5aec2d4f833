#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {
// A red triangle with a white "!" over the lower right quarter and more, readable at 16 px.
void drawWarning(QPainter &p, int size)
{
    const qreal s = size * 0.6;
    const QRectF box(size - s, size - s, s, s);
    const QPointF corners[] = {{box.center().x(), box.top()}, box.bottomRight(), box.bottomLeft()};
    p.setPen(QPen(Qt::white, qMax(1.0, size / 32.0)));
    p.setBrush(QColor(200, 0, 0));
    p.drawPolygon(corners, 3);
    p.setPen(QPen(Qt::white, qMax(1.5, size / 12.0), Qt::SolidLine, Qt::RoundCap));
    const qreal x = box.center().x();
    p.drawLine(QPointF(x, box.top() + s * 0.35), QPointF(x, box.top() + s * 0.65));
    p.drawPoint(QPointF(x, box.top() + s * 0.82));
}
} // namespace

QIcon appIcon(bool warning)
{
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0, 0, 128));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        p.setBrush(QColor(255, 200, 0));
        const qreal m = size / 4.0;
        p.drawEllipse(QRectF(m, m, size - 2 * m, size - 2 * m));
        if (warning)
            drawWarning(p, size);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
