#pragma once

#include <QStringList>

class QWidget;

// Buttons of the whole window, named by their control names, that a page shows, hides,
// enables or disables. The client and server pages put the console into its mode this way;
// a button of a page that this installation does not build is passed over.
struct ButtonStates {
    QStringList shown;
    QStringList hidden;
    QStringList enabled;
    QStringList disabled;

    void applyTo(const QWidget *within) const;
};
