#pragma once

#include <QString>

// The entry whose switch could not load its file: marked on the grid and the strip until
// another entry comes into force or a load succeeds. The path is kept with the row, so an
// edit that moves the rows does not move the mark to another entry.
struct FailedSwitch {
    int entry = 0; // table row; 0 for none
    QString path;  // as the entry names it
    QString why;   // for the tooltip

    bool holds(int row, const QString &rowPath) const
    {
        return entry != 0 && row == entry && rowPath == path;
    }
    bool operator==(const FailedSwitch &other) const
    {
        return entry == other.entry && path == other.path && why == other.why;
    }
};
