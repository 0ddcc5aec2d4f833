#pragma once

#include "PortSettings.h"

#include <QByteArray>
#include <QString>

// comset.prt: the five list positions, one decimal number per line, each ended by CR LF,
// in the order port, baud rate, data bits, parity, stop bits ("0" "3" "4" "0" "0" is
// Com 1 at 9600,N,8,1). Read back as comma- or line-separated fields.
struct PortSettingsRead {
    PortSettings settings;
    int error = 0;   // 0, or a FileError number
    QString problem; // what is wrong, for the operator; empty when read
    bool ok() const { return error == 0; }
};

class PortSettingsFile {
public:
    static QByteArray format(const PortSettings &settings);
    static PortSettingsRead parse(const QByteArray &data);
    static PortSettingsRead read(const QString &path);
    // "" or the system's description of the failure; the file is replaced whole or not at all.
    static QString write(const QString &path, const PortSettings &settings);
};
