#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Where the port numbers 1 to 12 of the Port Setting dialog lead. On Windows "COM" + number.
// Elsewhere the optional file ComPorts.txt maps numbers to device paths, one record a line,
// the number, a comma and the path in double quotes (1,"/dev/ttyUSB0"); a number without a
// record is /dev/ttyS + (number - 1), the usual name of the n-th built-in port.
class PortDirectory {
public:
    PortDirectory() = default;

    // Twelve records with long device paths fit many times over.
    static constexpr qint64 MaxFileSize = qint64(64) * 1024;

    static PortDirectory parse(const QByteArray &data);
    // A missing file is no problem: every port keeps its usual name.
    static PortDirectory read(const QString &comPortsFile);

    QString devicePath(int portNumber) const;

    // Records that could not be used, for the operator.
    const QStringList &problems() const { return m_problems; }

private:
    QMap<int, QString> m_paths;
    QStringList m_problems;
};
