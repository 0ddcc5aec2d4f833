#include "PortDirectory.h"

#include "NumberText.h"
#include "RecordReader.h"
#include "SafeFile.h"

#include <QFileInfo>

PortDirectory PortDirectory::parse(const QByteArray &data)
{
    PortDirectory directory;
    QByteArray text = data;
    text.replace("\r\n", "\n").replace('\r', '\n');
    // One record a line; blank lines are allowed between records.
    for (const QByteArray &line : text.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        RecordReader reader(line);
        const QString number = reader.next().value_or(QString());
        const QString path = reader.next().value_or(QString());
        const std::optional<int> port = NumberText::strictWhole(number, 1, 12);
        if (!port || path.isEmpty()) {
            directory.m_problems << QStringLiteral(
                                        "ComPorts.txt: record %1 skipped (a port 1 to 12, a comma and "
                                        "a device path in double quotes are needed)")
                                        .arg(QString::fromLatin1(line.trimmed()));
            continue;
        }
        directory.m_paths.insert(*port, path);
    }
    return directory;
}

PortDirectory PortDirectory::read(const QString &comPortsFile)
{
    if (!QFileInfo::exists(comPortsFile))
        return PortDirectory();
    int error = 0;
    QString why;
    const QByteArray data = readWholeFile(comPortsFile, &error, MaxFileSize, &why);
    PortDirectory directory = parse(data);
    if (error != 0)
        directory.m_problems << QStringLiteral("ComPorts.txt cannot be read: %1").arg(why);
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
