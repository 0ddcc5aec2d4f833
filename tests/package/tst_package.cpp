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

const QString ProgramDir = QStringLiteral("/usr/lib/pav-control");
const QString WorkingDir = QStringLiteral("/var/lib/pav-control");
const QString SamplesDir = QStringLiteral("/usr/share/pav-control/samples");

// What lintian says beyond the note on running as root.
QStringList lintianTags(const QByteArray &output)
{
    QStringList tags;
    for (const QByteArray &line : output.split('\n')) {
        if (!line.isEmpty() && !line.contains("running with root privileges"))
            tags << QString::fromUtf8(line);
    }
    return tags;
}

} // namespace

// The Debian package as an installer gets it: built with CPack from this build, lintian's
// verdict, its files and control data, its manual pages, its user service, its desktop
// entries, its maintainer script, and the console unpacked into a temporary root and started
// offscreen against the simulator that came with it.
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
        // The unpacked tree stands in for the root (which has /var/lib): its sys link leads to its
        // own working folder.
        QVERIFY(QDir().mkpath(m_root + "/var/lib"));
        QCOMPARE(QFileInfo(m_root + ProgramDir + "/sys").symLinkTarget(), WorkingDir);
        QVERIFY(QFile::remove(m_root + ProgramDir + "/sys"));
        QVERIFY(QFile::link(m_root + WorkingDir, m_root + ProgramDir + "/sys"));
    }

    void lintianFindsNothing()
    {
        const Run lintian = run("lintian", {m_deb});
        QVERIFY2(lintian.exitCode == 0 && lintianTags(lintian.output).isEmpty(), lintian.output.constData());
    }

    void files_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("mode");
        const QString program = "-rwxr-xr-x", data = "-rw-r--r--";
        QTest::newRow("console") << ProgramDir + "/pav-control" << program;
        QTest::newRow("working folder beside it") << ProgramDir + "/sys -> " + WorkingDir << "lrwxrwxrwx";
        QTest::newRow("simulator") << "/usr/bin/kvr-sim" << program;
        QTest::newRow("command") << "/usr/bin/pav-control" << program;
        QTest::newRow("autostart command") << "/usr/bin/pav-control-autostart" << program;
        QTest::newRow("user service") << "/usr/lib/systemd/user/pav-control.service" << data;
        QTest::newRow("menu entry") << "/usr/share/applications/pav-control.desktop" << data;
        QTest::newRow("icon source") << "/usr/share/icons/hicolor/scalable/apps/pav-control.svg" << data;
        QTest::newRow("copyright") << "/usr/share/doc/pav-control/copyright" << data;
        QTest::newRow("changelog") << "/usr/share/doc/pav-control/changelog.gz" << data;
        for (const QString &sample : QDir(PAV_SAMPLES_DIR).entryList(QDir::Files))
            QTest::newRow(qPrintable(sample)) << SamplesDir + "/" + sample << data;
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
        QVERIFY2(!m_contents.contains(" ./var/"), m_contents.constData());
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

    void manualPages_data()
    {
        QTest::addColumn<QString>("page");
        for (const char *page : {"pav-control", "pav-control-autostart", "kvr-sim"})
            QTest::newRow(page) << QString(page);
    }
    void manualPages()
    {
        // Set by groff without a word on standard error, with the sections an installer looks for.
        QFETCH(QString, page);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MANWIDTH", "80");
        const QString file = m_root + "/usr/share/man/man1/" + page + ".1.gz";
        const Run warnings =
            run("sh", {"-c", "man --warnings -l -Tutf8 \"$1\" 2>&1 >/dev/null", "sh", file}, env);
        QVERIFY2(warnings.exitCode == 0 && warnings.output.isEmpty(), warnings.output.constData());
        const Run man = run("man", {"-l", "-Tutf8", file}, env);
        for (const char *section : {"NAME", "SYNOPSIS", "DESCRIPTION", "THE WORKING FOLDER AND ITS FILES",
                                    "JOURNAL", "SERVICE", "EXIT STATUS"})
            QVERIFY2(QRegularExpression(QStringLiteral("(^|\\n)%1\\n").arg(section))
                         .match(QString::fromUtf8(man.output).remove(QRegularExpression(".\b")))
                         .hasMatch(),
                     section);
    }

    void userServiceVerifies()
    {
        // systemd-analyze checks the unit's keys, its command and its manual page; the unpacked
        // tree stands in for the root, so the command is looked for there.
        const QString unit = readFile(m_root + "/usr/lib/systemd/user/pav-control.service");
        QVERIFY2(unit.contains("\nExecStart=/usr/bin/pav-control\n"), qPrintable(unit));
        QTemporaryDir dir;
        QFile rooted(dir.filePath("pav-control.service"));
        QVERIFY(rooted.open(QIODevice::WriteOnly));
        rooted.write(QString(unit).replace("ExecStart=/", "ExecStart=" + m_root + "/").toUtf8());
        rooted.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir.path());
        env.insert("MANPATH", m_root + "/usr/share/man");
        const Run verify = run("systemd-analyze", {"--user", "verify", rooted.fileName()}, env);
        QVERIFY2(verify.exitCode == 0 && verify.output.isEmpty(), verify.output.constData());
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
        const Run validate = run("desktop-file-validate", {menu});
        QVERIFY2(validate.exitCode == 0 && validate.output.isEmpty(), validate.output.constData());
        const QByteArray exec = QRegularExpression("^Exec=(\\S+)", QRegularExpression::MultilineOption)
                                    .match(QString::fromUtf8(readFile(menu)))
                                    .captured(1)
                                    .toUtf8();
        QVERIFY2(QFileInfo(m_root + "/usr/bin/" + exec).isExecutable(), exec.constData());

        // A systemctl of the test's own answers for the user manager and notes what it is asked.
        QTemporaryDir dir;
        const QString calls = dir.filePath("calls");
        QFile systemctl(dir.filePath("systemctl"));
        QVERIFY(systemctl.open(QIODevice::WriteOnly));
        systemctl.write("#!/bin/sh\necho \"$*\" >> '" + calls.toUtf8() +
                        "'\ncase \"$*\" in *is-active*) exit " + (systemdSession ? "0" : "3") +
                        ";; esac\nexit 0\n");
        systemctl.close();
        QVERIFY(systemctl.setPermissions(systemctl.permissions() | QFileDevice::ExeOwner));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.path());
        env.insert("PATH", dir.path() + ':' + env.value("PATH"));
        const QString command = m_root + "/usr/bin/pav-control-autostart";
        const QString entry = dir.filePath("autostart/pav-control.desktop");
        QVERIFY(QDir(dir.path()).mkpath("autostart"));
        QFile earlier(entry); // from a time the session did not run under systemd
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("[Desktop Entry]\n") > 0);
        earlier.close();

        QCOMPARE(run(command, {"on"}, env).exitCode, 0);
        QCOMPARE(run(command, {"on"}, env).exitCode, 0); // twice is once
        QCOMPARE(readFile(calls).contains("--user enable pav-control.service"), systemdSession);
        QCOMPARE(readFile(entry), systemdSession ? QByteArray("(missing)") : readFile(menu)); // never both
        QCOMPARE(run(command, {"off"}, env).exitCode, 0);
        QVERIFY(!QFile::exists(entry));
        QVERIFY(readFile(calls).contains("--user disable pav-control.service"));
        QCOMPARE(run(command, {}, env).exitCode, 2);
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
        QFETCH(bool, deletedSampleBack);
        const QString sys = m_root + WorkingDir;
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
            const Run cap = run("getcap", {m_root + ProgramDir + "/pav-control"});
            QVERIFY2(cap.output.contains("cap_net_bind_service=ep"), cap.output.constData());
        }

        QFile::remove(sys + "/evening.pav");
        QFile edited(sys + "/default.pav");
        QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate) && edited.write("\"PC\"\r\n") > 0);
        edited.close();
        const QString opt = m_root + "/opt/pav-control";
        if (fromOpt) {
            QVERIFY(QDir().mkpath(opt) && QDir().rename(sys, opt + "/sys"));
            QVERIFY(QDir().mkpath(opt + "/share")); // emptied by dpkg, as the samples were its files
        }
        QVERIFY(configure(previousVersion));
        QCOMPARE(readFile(sys + "/default.pav"), QByteArray("\"PC\"\r\n"));
        QCOMPARE(QFile::exists(sys + "/evening.pav"), deletedSampleBack);
        QVERIFY(!QFileInfo::exists(opt));
        QCOMPARE(::stat(qPrintable(sys), &folder), 0);
        QCOMPARE(folder.st_mode & 07777, mode_t(02775));
    }

    void installedConsoleDrivesTheSimulator()
    {
        const QString sys = m_root + WorkingDir;
        QVERIFY(QDir(sys).removeRecursively());
        QVERIFY(configure(QString()));
        // Without default.pav the console starts from empty settings and makes the file.
        QVERIFY(QFile::remove(sys + "/default.pav"));
        // The sample ComPorts.txt makes the working folder's ttyKVR Com 1.
        QProcess simulator;
        simulator.start(m_root + "/usr/bin/kvr-sim", {"--link", sys + "/ttyKVR", "--answer", "06"});
        QVERIFY(simulator.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(sys + "/ttyKVR"), 5000);

        // The installer's check finds the console's own folder through the link beside it.
        const Run check = run(m_root + "/usr/bin/pav-control", {"--check"});
        QVERIFY2(check.exitCode == 0 && check.output.endsWith(": all usable.\n"), check.output.constData());

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
        QTRY_COMPARE(::stat(qPrintable(sys + "/default.pav"), &made), 0);
        struct stat sample {};
        QCOMPARE(::stat(qPrintable(sys + "/VGAReg.cfg"), &sample), 0);
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
