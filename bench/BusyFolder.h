#pragma once

#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>

// A working folder with every page in use and every runner busy: the sample files, a daily
// schedule and a schedule task, an automatic intensity table and an intensity task, with
// task dates around 'today' so that each runner has an entry in force and one to come. Com 1
// is the simulator's ttyKVR. For the idle measurement and the screenshots.
inline void writeBusyFolder(const QString &sys, const QString &samples, const QDate &today)
{
    QDir().mkpath(sys);
    for (const QString &name : QDir(samples).entryList(QDir::Files))
        QFile::copy(samples + QLatin1Char('/') + name, sys + QLatin1Char('/') + name);
    auto write = [&](const char *name, const QByteArray &bytes) {
        QFile file(sys + QLatin1Char('/') + QLatin1String(name));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
    };
    auto day = [&](int days) { return today.addDays(days); };
    auto entry = [](const QDate &date, const char *file) {
        return "\t" + date.toString(QStringLiteral("dd/MM/yyyy")).toLatin1() + "\t" + file + "\t" +
               date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    };

    QByteArray config = "8,\"Page count\"\r\n4,\"Pages per row\"\r\n";
    const char *captions[] = {"Video",     "NVideo",  "Schedule", "SchTask",
                              "Intensity", "IntTask", "Client",   "Server"};
    for (int i = 0; i < 8; ++i)
        config += QByteArray::number(i) + ",\"" + captions[i] + "\",1\r\n";
    config += "3\r\n\"Low\",\"Medium\",\"High\",\"Off\"\r\n\"64\",\"128\",\"255\"\r\n\"Watchdog\"\r\n1\r\n";
    write("ConfigSetup.txt", config);
    write("HostName.txt", "\"control-room-2\"\r\n");
    write("schedule.shd", "3,\"\t06:00\tdefault.pav\r\t18:00\tevening.pav\"\r\n");
    write("summer.shd", "3,\"\t05:30\tdefault.pav\r\t21:00\tevening.pav\"\r\n");
    write("ScheduleTask.tsk", "4,\"" + entry(day(-40), "schedule.shd") + "\r" + entry(day(60), "summer.shd") +
                                  "\r" + entry(day(200), "schedule.shd") + "\"\r\n");
    write("setting.int", "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n"
                         "4,\"\t06:00\tLow\t0\r\t12:00\tHigh\t2\r\t20:00\tMedium\t1\"\r\n");
    write("night.int",
          "1,\"Automatic\"\r\n\"5\",\"Automatic\"\r\n3,\"\t07:00\tMedium\t1\r\t19:00\tLow\t0\"\r\n");
    write("IntensityTask.tsk",
          "3,\"" + entry(day(-10), "setting.int") + "\r" + entry(day(45), "night.int") + "\"\r\n");
}
