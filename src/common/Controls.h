#pragma once

#include <QPushButton>
#include <QString>

// A push button carrying the control name operators and tests know it by.
inline QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}
