#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What a VGA register file lets the console send.
struct VgaRegisterList {
    int pauseMs = 0;           // pause after each frame, never negative
    QList<QByteArray> entries; // three bytes each, in file order
    QString stopReason;        // empty when the whole file was used, else a note for the operator
    bool usable = false;       // false: nothing may be sent
    bool fileMissing = false;  // there is no register file at all
};

// VGAReg.cfg: the pause in milliseconds, then register entries of three fields each.
// Fields are read as records, so an entry may run over a line end.
class VgaRegisterFile {
public:
    // Thousands of register entries, one a line, with room to spare.
    static constexpr qint64 MaxFileSize = qint64(1024) * 1024;

    static VgaRegisterList parse(const QByteArray &data);
    static VgaRegisterList read(const QString &path);
};
