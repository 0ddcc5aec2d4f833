#pragma once

#include <QString>

// What a grid row or a strip band says about the file its entry names: missing (or not
// readable), or named by a switch that failed to load it.
struct EntryMark {
    enum Kind { None, Missing, Failed };
    Kind kind = None;
    QString why; // for the tooltip

    static EntryMark missing(const QString &why) { return {Missing, why}; }
    static EntryMark failed(const QString &why) { return {Failed, why}; }
    // The tooltip's line for the mark; empty for none.
    QString text() const
    {
        return kind == Missing  ? QStringLiteral("Missing: %1").arg(why)
               : kind == Failed ? QStringLiteral("Failed: %1").arg(why)
                                : QString();
    }
};
