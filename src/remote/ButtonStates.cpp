#include "ButtonStates.h"

#include "Controls.h"

#include <QPushButton>

void ButtonStates::applyTo(const QWidget *within) const
{
    const auto each = [within](const QStringList &names, void (QWidget::*set)(bool), bool on) {
        for (const QString &name : names) {
            if (auto *button = findControl<QPushButton>(within, name.toLatin1().constData()))
                (button->*set)(on);
        }
    };
    each(shown, &QWidget::setVisible, true);
    each(hidden, &QWidget::setVisible, false);
    each(enabled, &QWidget::setEnabled, true);
    each(disabled, &QWidget::setEnabled, false);
}
