#pragma once

#include <QString>
#include <QStringList>

// The port settings as positions in the five lists of the Port Setting dialog.
struct PortSettings {
    int PortIndex = 0;     // "Com 1" .. "Com 12": port number PortIndex + 1
    int BaudRateIndex = 0; // "2400" .. "115200"
    int DataBitsIndex = 0; // "4" .. "8": PortIndex + 4 data bits
    int ParityIndex = 0;   // "None", "Even", "Odd"
    int StopBitsIndex = 0; // "1", "2"

    static const QStringList &portEntries();
    static const QStringList &baudRateEntries();
    static const QStringList &dataBitsEntries();
    static const QStringList &parityEntries();
    static const QStringList &stopBitsEntries();

    // Com 1, 9600 baud, 8 data bits, no parity, 1 stop bit: the dialog's Defaults.
    static PortSettings defaults();

    // Every position lies within its list.
    bool isValid() const;

    int portNumber() const { return PortIndex + 1; }
    int baudRate() const;
    int dataBits() const { return DataBitsIndex + 4; }
    int stopBits() const { return StopBitsIndex + 1; }
    // "N", "E" or "O".
    QString parityLetter() const;

    // "9600,N,8,1": baud, parity letter, data bits, stop bits, as the port service takes them.
    QString settingsText() const;

    friend bool operator==(const PortSettings &a, const PortSettings &b)
    {
        return a.PortIndex == b.PortIndex && a.BaudRateIndex == b.BaudRateIndex &&
               a.DataBitsIndex == b.DataBitsIndex && a.ParityIndex == b.ParityIndex &&
               a.StopBitsIndex == b.StopBitsIndex;
    }
};
