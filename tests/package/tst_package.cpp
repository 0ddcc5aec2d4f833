#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray output; // standard output and error together
};

Run run(const QString &program, const QStringList &arguments,
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.output = process.readAll();
    return result;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

const QString InstallDir = QStringLiteral("/opt/pav-control");

} // namespace

// The Debian package as an installer gets it: built with CPack from this build, its files and
// control data, its desktop entries, its maintainer script, and the console unpacked into a
// temporary root and started offscreen against the simulator that came with it.
class TestPackage : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_work.isValid());
        const Run cpack = run(
            PAV_CPACK, {"-G", "DEB", "--config", PAV_BUILD_DIR "/CPackConfig.cmake", "-B", m_work.path()});
        QVERIFY2(cpack.exitCode == 0, cpack.output.constData());
        const QStringList debs = QDir(m_work.path()).entryList({"pav-control_*.deb"});
        QCOMPARE(debs.size(), 1);
        m_deb = m_work.filePath(debs.first());
        const Run contents = run("dpkg-deb", {"-c", m_deb});
        QCOMPARE(contents.exitCode, 0);
        m_contents = contents.output;
        m_root = m_work.filePath("root");
        QCOMPARE(run("dpkg-deb", {"-x", m_deb, m_root}).exitCode, 0);
        QCOMPARE(run("dpkg-deb", {"-e", m_deb, m_work.filePath("DEBIAN")}).exitCode, 0);
        qInfo("%s: %lld bytes", qPrintable(debs.first()), QFileInfo(m_deb).size());
    }

    void files_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("mode");
        const QString program = "-rwxr-xr-x", data = "-rw-r--r--";
        QTest::newRow("console") << InstallDir + "/pav-control" << program;
        QTest::newRow("simulator") << InstallDir + "/kvr-sim" << program;
        QTest::newRow("command") << "/usr/bin/pav-control" << program;
        QTest::newRow("autostart command") << "/usr/bin/pav-control-autostart" << program;
        QTest::newRow("menu entry") << "/usr/share/applications/pav-control.desktop" << data;
        QTest::newRow("icon source") << "/usr/share/icons/hicolor/scalable/apps/pav-control.svg" << data;
        for (const QString &sample : QDir(PAV_SAMPLES_DIR).entryList(QDir::Files))
            QTest::newRow(qPrintable(sample)) << InstallDir + "/share/samples/" + sample << data;
    }
    void files()
    {
        QFETCH(QString, path);
        QFETCH(QString, mode);
        const QRegularExpression line("^" + QRegularExpression::escape(mode) + " root/root .* \\." +
                                          QRegularExpression::escape(path) + "$",
                                      QRegularExpression::MultilineOption);
        QVERIFY2(line.match(QString::fromUtf8(m_contents)).hasMatch(), m_contents.constData());
    }

    void nothingOfTheOperatorsOrOfQtIsShipped()
    {
        // The working folder belongs to the machine (postinst makes it); Qt comes from Debian.
        QVERIFY2(!m_contents.contains(" ./opt/pav-control/sys"), m_contents.constData());
        QVERIFY2(!m_contents.contains(".so"), m_contents.constData());
    }

    void iconSizes()
    {
        const QDir hicolor(m_root + "/usr/share/icons/hicolor");
        const QStringList sizes = hicolor.entryList({"*x*"}, QDir::Dirs);
        QVERIFY2(sizes.contains("48x48"), qPrintable(sizes.join(' '))); // the size every theme needs
        for (const QString &size : sizes) {
            const QImage icon(hicolor.filePath(size + "/apps/pav-control.png"));
            QCOMPARE(QString("%1x%2").arg(icon.width()).arg(icon.height()), size);
        }
    }

    void dependencies()
    {
        const Run depends = run("dpkg-deb", {"-f", m_deb, "Depends"});
        QCOMPARE(depends.exitCode, 0);
        qInfo("Depends: %s", depends.output.trimmed().constData());
        QStringList names;
        for (const QString &alternative : QString::fromUtf8(depends.output).split(QRegularExpression("[,|]")))
            names << alternative.section('(', 0, 0).trimmed();
        for (const char *needed : {"libqt6widgets6", "libqt6serialport6", "libqt6network6", "libcap2-bin"})
            QVERIFY2(names.contains(needed), depends.output.constData());
        // Each one is a Debian package this machine has (the build links against them).
        for (const QString &name : names)
            QVERIFY2(run("dpkg-query", {"-W", name}).exitCode == 0, qPrintable(name));
    }

    void desktopEntries()
    {
        const QString menu = m_root + "/usr/share/applications/pav-control.desktop";
        const Run validate = run("desktop-file-validate", {menu});
        QVERIFY2(validate.exitCode == 0 && validate.output.isEmpty(), validate.output.constData());
        const QByteArray exec = QRegularExpression("^Exec=(\\S+)", QRegularExpression::MultilineOption)
                                    .match(QString::fromUtf8(readFile(menu)))
                                    .captured(1)
                                    .toUtf8();
        QVERIFY2(QFileInfo(m_root + "/usr/bin/" + exec).isExecutable(), exec.constData());

        QTemporaryDir config;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        const QString command = m_root + "/usr/bin/pav-control-autostart";
        const QString entry = config.filePath("autostart/pav-control.desktop");
        QCOMPARE(run(command, {"on"}, env).exitCode, 0);
        QCOMPARE(readFile(entry), readFile(menu));
        QCOMPARE(run(command, {"on"}, env).exitCode, 0); // twice is once
        QCOMPARE(run(command, {"off"}, env).exitCode, 0);
        QVERIFY(!QFile::exists(entry));
        QCOMPARE(run(command, {}, env).exitCode, 2);
    }

    void workingFolderSeededOnlyOnAFirstInstall_data()
    {
        QTest::addColumn<QString>("previousVersion"); // what dpkg passes postinst
        QTest::addColumn<bool>("deletedSampleBack");
        QTest::newRow("first install over a folder put there before") << QString() << true;
        QTest::newRow("upgrade, or installed again after a removal") << QString("2.0.0.0") << false;
    }
    void workingFolderSeededOnlyOnAFirstInstall()
    {
        QFETCH(QString, previousVersion);
        QFETCH(bool, deletedSampleBack);
        const QString sys = m_root + InstallDir + "/sys";
        QVERIFY(QDir(sys).removeRecursively());
        QVERIFY(configure(QString()));
        for (const QString &sample : QDir(PAV_SAMPLES_DIR).entryList(QDir::Files))
            QCOMPARE(readFile(sys + '/' + sample), readFile(PAV_SAMPLES_DIR "/" + sample));
        struct stat folder {};
        QCOMPARE(::stat(qPrintable(sys), &folder), 0);
        QCOMPARE(folder.st_mode & 07777, mode_t(02775));
        struct stat sample {};
        QCOMPARE(::stat(qPrintable(sys + "/default.pav"), &sample), 0);
        QCOMPARE(sample.st_mode & 0777, mode_t(0664));
        QCOMPARE(sample.st_gid, folder.st_gid);
        if (::geteuid() == 0) {
            const Run cap = run("getcap", {m_root + InstallDir + "/pav-control"});
            QVERIFY2(cap.output.contains("cap_net_bind_service=ep"), cap.output.constData());
        }

        QFile::remove(sys + "/evening.pav");
        QFile edited(sys + "/default.pav");
        QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate) && edited.write("\"PC\"\r\n") > 0);
        edited.close();
        QVERIFY(configure(previousVersion));
        QCOMPARE(readFile(sys + "/default.pav"), QByteArray("\"PC\"\r\n"));
        QCOMPARE(QFile::exists(sys + "/evening.pav"), deletedSampleBack);
    }

    void installedConsoleDrivesTheSimulator()
    {
        const QString dir = m_root + InstallDir;
        QVERIFY(QDir(dir + "/sys").removeRecursively());
        QVERIFY(configure(QString()));
        // Without default.pav the console starts from empty settings and makes the file.
        QVERIFY(QFile::remove(dir + "/sys/default.pav"));
        // The sample ComPorts.txt makes the working folder's ttyKVR Com 1.
        QProcess simulator;
        simulator.start(dir + "/kvr-sim", {"--link", dir + "/sys/ttyKVR", "--answer", "06"});
        QVERIFY(simulator.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(dir + "/sys/ttyKVR"), 5000);

        QTemporaryDir tmp; // a single-instance lock of its own, whatever else runs here
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TMPDIR", tmp.path());
        QProcess console;
        console.setProcessEnvironment(env);
        console.setProcessChannelMode(QProcess::MergedChannels);
        console.start(m_root + "/usr/bin/pav-control", {});
        QVERIFY(console.waitForStarted());

        // Each of the samples' two pages sends its mode and the sample VGAReg.cfg.
        const QByteArray registers = "0B vga 11 00 5F\n0B vga 11 01 4F\n0B vga 11 02 50\n"
                                     "0B vga 11 03 82\n0B vga 11 04 55\n0B vga 11 05 81\n";
        const QByteArray expected =
            "01 mode Both\n08 antigamma Off\n" + registers + "01 mode Both\n" + registers;
        QByteArray lines;
        const auto received = [&] {
            lines += simulator.readAllStandardOutput();
            return lines.size() >= expected.size();
        };
        QTRY_VERIFY2_WITH_TIMEOUT(received(), (lines + console.readAll()).constData(), 15000);
        QTest::qWait(300); // nothing more
        lines += simulator.readAllStandardOutput();
        QCOMPARE(lines, expected);
        QCOMPARE(console.state(), QProcess::Running);

        // Made through the command on the PATH: writable for the group, as the samples are.
        struct stat made {};
        QTRY_COMPARE(::stat(qPrintable(dir + "/sys/default.pav"), &made), 0);
        struct stat sample {};
        QCOMPARE(::stat(qPrintable(dir + "/sys/VGAReg.cfg"), &sample), 0);
        QCOMPARE(made.st_mode & 0777, mode_t(0664));
        QCOMPARE(made.st_gid, sample.st_gid);
        console.terminate();
        QVERIFY(console.waitForFinished(5000));
        simulator.terminate();
        QVERIFY(simulator.waitForFinished(5000));
    }

private:
    // Runs the package's postinst on the temporary root as dpkg would ("configure", and the
    // version configured before, empty on a first install).
    bool configure(const QString &previousVersion)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DPKG_ROOT", m_root);
        const Run postinst = run(m_work.filePath("DEBIAN/postinst"), {"configure", previousVersion}, env);
        if (postinst.exitCode != 0)
            qWarning("postinst: %s", postinst.output.constData());
        return postinst.exitCode == 0;
    }

    QTemporaryDir m_work;
    QString m_deb;
    QString m_root;
    QByteArray m_contents;
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
