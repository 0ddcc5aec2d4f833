#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString ProgramDir = "/usr/lib/pav-control", WorkingDir = "/var/lib/pav-control";

struct Run {
    int exitCode = -1;
    QByteArray output; // standard output and error together
    bool clean() const { return exitCode == 0 && output.isEmpty(); }
};

// Runs a program in the test's environment; through env(1) to set variables ("env", {"A=b", program}).
Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, process.readAll()};
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A file's permission bits and group; -1 for both when there is no such file.
QPair<int, int> modeAndGroup(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {-1, -1};
    return {int(st.st_mode & 07777), int(st.st_gid)};
}

} // namespace

// The Debian package as an installer gets it: built with CPack from this build, lintian's
// verdict (its manual pages among what it judges), its files and control data, its user
// service, its desktop entries, its maintainer script, and the console unpacked into a
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
        m_contents = run("dpkg-deb", {"-c", m_deb}).output;
        m_root = m_work.filePath("root");
        QCOMPARE(run("dpkg-deb", {"-x", m_deb, m_root}).exitCode, 0);
        QCOMPARE(run("dpkg-deb", {"-e", m_deb, m_work.filePath("DEBIAN")}).exitCode, 0);
        // The unpacked tree stands in for the root (which has /var/lib): its sys link leads to its
        // own working folder.
        QVERIFY(QDir().mkpath(m_root + "/var/lib") && QFile::remove(m_root + ProgramDir + "/sys"));
        QVERIFY(QFile::link(m_root + WorkingDir, m_root + ProgramDir + "/sys"));
    }

    // Lintian judges the files' modes, owners, copyright, changelog, icon sizes and manual pages,
    // and the checks below reach the rest; what is left is here.
    void contents()
    {
        // Lintian finds nothing beyond its note on running as root.
        const Run lintian = run("lintian", {m_deb});
        const QString said =
            QString::fromUtf8(lintian.output).remove(QRegularExpression(".*running with root privileges.*"));
        QVERIFY2(lintian.exitCode == 0 && said.trimmed().isEmpty(), lintian.output.constData());
        const QString listing = QString::fromUtf8(m_contents);
        for (const QString &entry :
             QStringList{ProgramDir + "/sys -> " + WorkingDir,
                         "/usr/share/icons/hicolor/scalable/apps/pav-control.svg",
                         "/usr/share/icons/hicolor/48x48/apps/pav-control.png"}) // every theme's
            QVERIFY2(listing.contains(" ." + entry + "\n"), qPrintable(entry + "\n" + listing));
        // The working folder belongs to the machine (postinst makes it); Qt comes from Debian.
        QVERIFY2(!listing.contains(" ./var/") && !listing.contains(".so"), qPrintable(listing));
        // What the console and its postinst need.
        const QByteArray depends = run("dpkg-deb", {"-f", m_deb, "Depends"}).output;
        for (const char *needed : {"libqt6widgets6", "libqt6serialport6", "libqt6network6", "libcap2-bin"})
            QVERIFY2(depends.contains(needed), depends.constData());
    }

    void userServiceVerifies()
    {
        // systemd-analyze checks the unit's keys, its command and its manual page; the unpacked
        // tree stands in for the root, so the command is looked for there.
        const QString unit = readFile(m_root + "/usr/lib/systemd/user/pav-control.service");
        QVERIFY2(unit.contains("\nExecStart=/usr/bin/pav-control\n"), qPrintable(unit));
        QTemporaryDir dir;
        const QString rooted = dir.filePath("pav-control.service");
        QVERIFY(
            writeFile(rooted, QString(unit).replace("ExecStart=/", "ExecStart=" + m_root + "/").toUtf8()));
        const Run verify =
            run("env", {"XDG_RUNTIME_DIR=" + dir.path(), "MANPATH=" + m_root + "/usr/share/man",
                        "systemd-analyze", "--user", "verify", rooted});
        QVERIFY2(verify.clean(), verify.output.constData());
    }

    void autostart_data()
    {
        QTest::addColumn<bool>("systemdSession"); // the session's graphical-session.target is active
        QTest::newRow("session under systemd: the user service") << true;
        QTest::newRow("other session: the XDG autostart entry") << false;
    }
    void autostart()
    {
        QFETCH(bool, systemdSession);
        const QString menu = m_root + "/usr/share/applications/pav-control.desktop";
        const Run validate = run("desktop-file-validate", {menu}); // lintian has its command
        QVERIFY2(validate.clean(), validate.output.constData());

        // A systemctl of the test's own answers for the user manager and notes what it is asked.
        QTemporaryDir dir;
        const QString calls = dir.filePath("calls"), systemctl = dir.filePath("systemctl");
        QVERIFY(writeFile(systemctl, "#!/bin/sh\necho \"$*\" >> '" + calls.toUtf8() +
                                         "'\ncase \"$*\" in *is-active*) exit " +
                                         (systemdSession ? "0" : "3") + ";; esac\n"));
        QVERIFY(QFile::setPermissions(systemctl, QFile::permissions(systemctl) | QFileDevice::ExeOwner));
        const QStringList command = {"XDG_CONFIG_HOME=" + dir.path(),
                                     "PATH=" + dir.path() + ':' + qgetenv("PATH"),
                                     m_root + "/usr/bin/pav-control-autostart"};
        const QString entry = dir.filePath("autostart/pav-control.desktop");
        // An entry from a time the session did not run under systemd.
        QVERIFY(QDir(dir.path()).mkpath("autostart") && writeFile(entry, "[Desktop Entry]\n"));

        QCOMPARE(run("env", command + QStringList{"on"}).exitCode, 0);
        QCOMPARE(run("env", command + QStringList{"on"}).exitCode, 0); // twice is once
        QCOMPARE(readFile(calls).contains("--user enable pav-control.service"), systemdSession);
        QCOMPARE(readFile(entry), systemdSession ? QByteArray("(missing)") : readFile(menu)); // never both
        QCOMPARE(run("env", command + QStringList{"off"}).exitCode, 0);
        QVERIFY(!QFile::exists(entry));
        QVERIFY(readFile(calls).contains("--user disable pav-control.service"));
        QCOMPARE(run("env", command).exitCode, 2);
    }

    void workingFolderSeededOnlyOnAFirstInstall_data()
    {
        QTest::addColumn<QString>("previousVersion"); // what dpkg passes postinst
        QTest::addColumn<bool>("fromOpt");            // the folder of the layout before, under /opt
        QTest::addColumn<bool>("deletedSampleBack");
        QTest::newRow("first install over a folder put there before") << QString() << false << true;
        QTest::newRow("upgrade, or installed again after a removal") << QString("2.0.0.0") << false << false;
        QTest::newRow("upgrade from /opt: the folder moves") << QString("2.0.0.0") << true << false;
    }
    void workingFolderSeededOnlyOnAFirstInstall()
    {
        QFETCH(QString, previousVersion);
        QFETCH(bool, fromOpt);
        const QString sys = m_root + WorkingDir, opt = m_root + "/opt/pav-control";
        QVERIFY(QDir(sys).removeRecursively() && configure(QString()));
        for (const QString &sample : QDir(PAV_SAMPLES_DIR).entryList(QDir::Files))
            QCOMPARE(readFile(sys + '/' + sample), readFile(PAV_SAMPLES_DIR "/" + sample));
        QCOMPARE(modeAndGroup(sys).first, 02775);
        QCOMPARE(modeAndGroup(sys + "/default.pav"), qMakePair(0664, modeAndGroup(sys).second));
        if (::geteuid() == 0) {
            const Run cap = run("getcap", {m_root + ProgramDir + "/pav-control"});
            QVERIFY2(cap.output.contains("cap_net_bind_service=ep"), cap.output.constData());
        }

        QVERIFY(QFile::remove(sys + "/evening.pav") && writeFile(sys + "/default.pav", "\"PC\"\r\n"));
        if (fromOpt) // share/ emptied by dpkg, as the samples were its files
            QVERIFY(QDir().mkpath(opt + "/share") && QDir().rename(sys, opt + "/sys"));
        QVERIFY(configure(previousVersion));
        QCOMPARE(readFile(sys + "/default.pav"), QByteArray("\"PC\"\r\n"));
        QTEST(QFile::exists(sys + "/evening.pav"), "deletedSampleBack");
        QVERIFY(!QFileInfo::exists(opt));
        QCOMPARE(modeAndGroup(sys).first, 02775);
    }

    void installedConsoleDrivesTheSimulator()
    {
        const QString sys = m_root + WorkingDir;
        // Without default.pav the console starts from empty settings and makes the file.
        QVERIFY(QDir(sys).removeRecursively() && configure(QString()) && QFile::remove(sys + "/default.pav"));
        // The sample ComPorts.txt makes the working folder's ttyKVR Com 1.
        QProcess simulator;
        simulator.start(m_root + "/usr/bin/kvr-sim", {"--link", sys + "/ttyKVR", "--answer", "06"});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(sys + "/ttyKVR"), 5000);

        // The installer's check finds the console's own folder through the link beside it.
        const Run check = run(m_root + "/usr/bin/pav-control", {"--check"});
        QVERIFY2(check.exitCode == 0 && check.output.endsWith(": all usable.\n"), check.output.constData());

        QTemporaryDir tmp; // a single-instance lock of its own, whatever else runs here
        QProcess console;
        console.setProcessChannelMode(QProcess::MergedChannels);
        console.start("env",
                      {"QT_QPA_PLATFORM=offscreen", "TMPDIR=" + tmp.path(), m_root + "/usr/bin/pav-control"});

        // The samples' pages send their settings and VGAReg.cfg, whose last entry is 11 05 81.
        QByteArray lines;
        QTRY_VERIFY2_WITH_TIMEOUT(
            (lines += simulator.readAllStandardOutput()).contains("\n0B vga 11 05 81\n"),
            (lines + console.readAll()).constData(), 15000);
        QCOMPARE(console.state(), QProcess::Running);
        // Made through the command on the PATH: writable for the group, as the samples are.
        QTRY_COMPARE(modeAndGroup(sys + "/default.pav"),
                     qMakePair(0664, modeAndGroup(sys + "/VGAReg.cfg").second));
        console.terminate();
        simulator.terminate();
        QVERIFY(console.waitForFinished(5000) && simulator.waitForFinished(5000));
    }

private:
    // Runs the package's postinst on the temporary root as dpkg would ("configure", and the
    // version configured before, empty on a first install).
    bool configure(const QString &previousVersion)
    {
        const Run postinst = run(
            "env", {"DPKG_ROOT=" + m_root, m_work.filePath("DEBIAN/postinst"), "configure", previousVersion});
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
