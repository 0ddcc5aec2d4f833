#include "AppIcon.h"

#include <QPainter>
#include <QPixmap>

QIcon appIcon()
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
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
