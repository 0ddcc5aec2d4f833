#include "PortDirectory.h"

#include "NumberText.h"
#include "RecordReader.h"
#include "SafeFile.h"

#include <QFileInfo>

PortDirectory PortDirectory::parse(const QByteArray &data)
{
    PortDirectory directory;
    RecordReader reader(data);
    while (!reader.atEnd()) {
        const std::optional<QString> number = reader.next();
        const std::optional<QString> path = reader.next();
        if (!number || !path) {
            directory.m_problems << QStringLiteral("ComPorts.txt ends inside a record");
            break;
        }
        const std::optional<int> port = NumberText::strictWhole(*number, 1, 12);
        if (!port || path->isEmpty()) {
            directory.m_problems << QStringLiteral(
                                        "ComPorts.txt: record \"%1\",\"%2\" skipped (a port 1 to 12 "
                                        "and a device path are needed)")
                                        .arg(*number, *path);
            continue;
        }
        directory.m_paths.insert(*port, *path);
    }
    return directory;
}

PortDirectory PortDirectory::read(const QString &comPortsFile)
{
    if (!QFileInfo::exists(comPortsFile))
        return PortDirectory();
    int error = 0;
    const QByteArray data = readWholeFile(comPortsFile, &error);
    PortDirectory directory = parse(data);
    if (error != 0)
        directory.m_problems << QStringLiteral("ComPorts.txt cannot be read");
    return directory;
}

QString PortDirectory::devicePath(int portNumber) const
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const auto it = m_paths.constFind(portNumber);
    if (it != m_paths.constEnd())
        return *it;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}
