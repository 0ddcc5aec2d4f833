#pragma once

#include "PortSettings.h"

#include <QByteArray>
#include <QString>

// comset.prt: the five list positions, one decimal number per line, each ended by CR LF,
// in the order port, baud rate, data bits, parity, stop bits ("0" "3" "4" "0" "0" is
// Com 1 at 9600,N,8,1). Read back as comma- or line-separated fields.
struct PortSettingsRead {
    PortSettings settings; // as read; a short file leaves the positions after its end as before
    int error = 0;   // 0, or a FileError number
    QString problem; // what is wrong, for the operator; empty when read
    bool ok() const { return error == 0; }
};

class PortSettingsFile {
public:
    static QByteArray format(const PortSettings &settings);
    // Five short numbers; anything near this size is not a port settings file.
    static constexpr qint64 MaxFileSize = qint64(4) * 1024;

    // 'before' holds the positions in force, which a short file keeps after its end.
    static PortSettingsRead parse(const QByteArray &data, const PortSettings &before = {});
    static PortSettingsRead read(const QString &path, const PortSettings &before = {});
    // "" or the system's description of the failure; the file is replaced whole or not at all.
    static QString write(const QString &path, const PortSettings &settings);
};
