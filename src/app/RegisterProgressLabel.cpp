#include "RegisterProgressLabel.h"

RegisterProgressLabel::RegisterProgressLabel(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("lblRegisterProgress"));
    setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("Sending VGA registers: entry 32767 of 32767")));
}

void RegisterProgressLabel::showProgress(int entry, int count)
{
    if (entry >= count) {
        clear();
        return;
    }
    if (entry > 1 && m_sincePaint.isValid() && m_sincePaint.elapsed() < 100)
        return;
    m_sincePaint.start();
    setText(QStringLiteral("Sending VGA registers: entry %1 of %2").arg(entry).arg(count));
    if (isVisible())
        repaint();
}
