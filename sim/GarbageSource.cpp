#include "GarbageSource.h"

#include <QRandomGenerator>

GarbageSource::GarbageSource(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &GarbageSource::burst);
}

void GarbageSource::burst()
{
    QRandomGenerator *random = QRandomGenerator::global();
    QByteArray bytes(random->bounded(1, MaxBurst + 1), Qt::Uninitialized);
    for (char &c : bytes)
        c = static_cast<char>(random->bounded(256));
    emit bytesReady(bytes);
}
