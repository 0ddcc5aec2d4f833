#include "PortSettings.h"

namespace {
bool within(int position, const QStringList &list)
{
    return position >= 0 && position < list.size();
}
} // namespace

const QStringList &PortSettings::portEntries()
{
    static const QStringList entries = [] {
        QStringList list;
        for (int n = 1; n <= 12; ++n)
            list << QStringLiteral("Com %1").arg(n);
        return list;
    }();
    return entries;
}

const QStringList &PortSettings::baudRateEntries()
{
    static const QStringList entries{"2400", "4800", "7200", "9600", "19200", "38400", "57600", "115200"};
    return entries;
}

const QStringList &PortSettings::dataBitsEntries()
{
    static const QStringList entries{"4", "5", "6", "7", "8"};
    return entries;
}

const QStringList &PortSettings::parityEntries()
{
    static const QStringList entries{"None", "Even", "Odd"};
    return entries;
}

const QStringList &PortSettings::stopBitsEntries()
{
    static const QStringList entries{"1", "2"};
    return entries;
}

PortSettings PortSettings::defaults()
{
    return PortSettings{0, 3, 4, 0, 0};
}

bool PortSettings::isValid() const
{
    return within(PortIndex, portEntries()) && within(BaudRateIndex, baudRateEntries()) &&
           within(DataBitsIndex, dataBitsEntries()) && within(ParityIndex, parityEntries()) &&
           within(StopBitsIndex, stopBitsEntries());
}

int PortSettings::baudRate() const
{
    return within(BaudRateIndex, baudRateEntries()) ? baudRateEntries().at(BaudRateIndex).toInt() : 0;
}

QString PortSettings::parityLetter() const
{
    static const QStringList letters{"N", "E", "O"};
    return within(ParityIndex, letters) ? letters.at(ParityIndex) : QString();
}

QString PortSettings::settingsText() const
{
    return QStringLiteral("%1,%2,%3,%4").arg(baudRate()).arg(parityLetter()).arg(dataBits()).arg(stopBits());
}
