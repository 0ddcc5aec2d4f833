#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QString>

// A push button carrying the control name operators and tests know it by.
inline QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

// A box that only shows what the console holds (a value's display, the current file, a
// connection status): read-only and drawn on the window's colour, so it does not look like a
// field that ignores typing. Its text can still be selected and copied.
inline void makeDisplay(QLineEdit *box)
{
    box->setReadOnly(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    box->setPalette(palette);
}

// The current file's display: the whole text in its tooltip too. A name keeps its end in
// view, where the file's own name stands; any other text (a file that was refused, which it
// names first) keeps its start.
inline void showFileDisplay(QLineEdit *box, const QString &text)
{
    box->setText(text);
    box->setToolTip(text);
    if (!text.startsWith(QLatin1String(" Filename - ")))
        box->setCursorPosition(0);
}

// A control of another page, found in the window by its name; the client and server pages,
// and the schedule page, set buttons of pages they do not own.
template <typename T = QWidget>
T *findControl(const QWidget *within, const char *name)
{
    return within ? within->window()->findChild<T *>(QLatin1String(name)) : nullptr;
}
