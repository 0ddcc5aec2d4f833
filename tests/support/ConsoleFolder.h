#pragma once

#include "PtyPair.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

// A temporary installation: a folder with the working folder sys/ in it, the files a test
// puts there, and optionally a pseudo-terminal as Com 1 (9600,N,8,1).
class ConsoleFolder {
public:
    ConsoleFolder()
    {
        for (const char *name : {"sys", "tmp", "run", "home"})
            QDir(m_dir.path()).mkpath(QLatin1String(name));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString root() const { return m_dir.path(); }
    // "sys", or the console's own "tmp", "run" and "home" folders (its lock and socket are in tmp/).
    QString path(const char *folder) const { return m_dir.filePath(QLatin1String(folder)); }
    QString sysPath() const { return path("sys"); }
    QString file(const QString &name) const { return sysPath() + QLatin1Char('/') + name; }

    void write(const QString &name, const QByteArray &bytes) const
    {
        QFile out(file(name));
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(bytes);
    }

    // The bytes of a file, or an empty array when it does not exist.
    QByteArray read(const QString &name) const
    {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    // Com 1 is the pseudo-terminal's slave side, stored as 9600,N,8,1.
    void useAsComPort(const PtyPair &pty) const
    {
        write(QStringLiteral("ComPorts.txt"), "1,\"" + pty.slavePath().toLocal8Bit() + "\"\r\n");
        write(QStringLiteral("comset.prt"), "0\r\n3\r\n4\r\n0\r\n0\r\n");
    }

    // ConfigSetup.txt with eight pages, those listed in use, and three intensity levels
    // (codes 10, 100, 200) with the watchdog flag set.
    void usePages(const QList<int> &inUse) const
    {
        const QList<QByteArray> captions =
            QByteArray("Video NVideo Schedule SchTask Intensity IntTask Client Server").split(' ');
        QByteArray text = "8,\"Pages\"\r\n4,\"Per row\"\r\n";
        for (int i = 0; i < 8; ++i)
            text += QByteArray::number(i) + ",\"" + captions[i] + "\"," + "01"[inUse.contains(i)] + "\r\n";
        text += "3\r\n\"Low\",\"Mid\",\"High\",\"Spare\"\r\n\"10\",\"100\",\"200\"\r\n\"Watchdog\"\r\n1\r\n";
        write(QStringLiteral("ConfigSetup.txt"), text);
    }

private:
    QTemporaryDir m_dir;
};
