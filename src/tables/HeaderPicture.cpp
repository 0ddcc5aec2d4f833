#include "HeaderPicture.h"

#include <QPainter>
#include <QPixmap>

namespace HeaderPicture {

namespace {
QPixmap blank()
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}
} // namespace

QIcon clock()
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 128), 1.5));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 1.5, Size - 3, Size - 3));
    const QPointF centre(Size / 2.0, Size / 2.0);
    p.drawLine(centre, QPointF(centre.x(), 4));
    p.drawLine(centre, QPointF(Size - 5, centre.y()));
    return QIcon(pixmap);
}

QIcon calendar()
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setPen(QColor(0, 0, 128));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, Size - 3, Size - 4);
    p.fillRect(2, 3, Size - 4, 3, QColor(176, 32, 32));
    for (int y = 8; y < Size - 3; y += 3) {
        for (int x = 3; x < Size - 3; x += 3)
            p.fillRect(x, y, 2, 2, QColor(0, 0, 128));
    }
    return QIcon(pixmap);
}

QIcon inForce()
{
    QPixmap pixmap = blank();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawPolygon(QPolygonF({QPointF(4, 3), QPointF(12, 8), QPointF(4, 13)}));
    return QIcon(pixmap);
}

} // namespace HeaderPicture
