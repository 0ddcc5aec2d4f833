#include "FolderCheck.h"

#include "CellText.h"
#include "DailyFilesAhead.h"
#include "DailyIntensity.h"
#include "DailySchedule.h"
#include "FileError.h"
#include "IntensityFile.h"
#include "IntensityTask.h"
#include "PortDirectory.h"
#include "PortSettingsFile.h"
#include "SafeFile.h"
#include "ScheduleTask.h"
#include "SettingFile.h"
#include "TableRecord.h"
#include "VgaRegisterFile.h"
#include "VideoControl.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr QLatin1String ConfigFile("ConfigSetup.txt");
constexpr QLatin1String PortFile("comset.prt");
constexpr QLatin1String PortMapFile("ComPorts.txt");
constexpr QLatin1String HostNameFile("HostName.txt");
constexpr QLatin1String Missing("is missing");

// A reader's error in words, for a reader that gave none of its own.
QString errorText(int error, const QString &why)
{
    if (!why.isEmpty())
        return why;
    switch (static_cast<FileError>(error)) {
    case FileError::InputPastEnd:
        return QStringLiteral("the file ends before all its fields");
    case FileError::TypeMismatch:
        return QStringLiteral("a number is expected");
    case FileError::InvalidValue:
        return QStringLiteral("the value is outside its range");
    default:
        return fileErrorText(error);
    }
}

// "line 3" for a byte offset into the file: the record readers stop at a field.
QString lineAt(const QString &path, qsizetype offset)
{
    int error = 0;
    const QByteArray data = readWholeFile(path, &error);
    return QStringLiteral("line %1").arg(data.left(offset).count('\n') + 1);
}

} // namespace

QString FolderCheck::Problem::line() const
{
    return where.isEmpty() ? QStringLiteral("%1: %2").arg(file, what)
                           : QStringLiteral("%1: %2: %3").arg(file, where, what);
}

FolderCheck::FolderCheck(const WorkingFolder &folder, QDate today) : m_folder(folder), m_today(today) {}

void FolderCheck::run()
{
    if (!QFileInfo(m_folder.path()).isDir()) {
        add(QDir::cleanPath(m_folder.path()), QString(), QStringLiteral("there is no such folder"));
        return;
    }
    checkConfig();
    checkPort();
    checkPageFiles();
    checkOtherFiles();
}

QStringList FolderCheck::report() const
{
    QStringList lines;
    for (const Problem &problem : m_problems)
        lines << problem.line();
    const QString folder = m_folder.path();
    int filesRead = 0;
    for (auto it = m_checked.constBegin(); it != m_checked.constEnd(); ++it)
        filesRead += QFileInfo::exists(it.key()) ? 1 : 0;
    if (m_problems.isEmpty())
        lines << QStringLiteral("%1 files read in %2: all usable.").arg(filesRead).arg(folder);
    else
        lines << QStringLiteral("%1 files read in %2: %3 %4.")
                     .arg(filesRead)
                     .arg(folder)
                     .arg(m_problems.size())
                     .arg(m_problems.size() == 1 ? QStringLiteral("problem") : QStringLiteral("problems"));
    return lines;
}

void FolderCheck::add(const QString &file, const QString &where, const QString &what)
{
    m_problems.append({file, where, what});
}

void FolderCheck::checkConfig()
{
    const ConfigSetupRead read = ConfigSetup::read(m_folder.file(ConfigFile));
    m_checked.insert(m_folder.file(ConfigFile), read.problem);
    m_config = read.config;
    if (!read.problem.isEmpty() && read.pageRecordsRead == 0)
        add(ConfigFile, QString(), read.problem + QStringLiteral("; the console runs with no page in use"));
    else if (!read.problem.isEmpty())
        add(ConfigFile, QString(),
            QStringLiteral("%1; only the %2 page records before it are used")
                .arg(read.problem)
                .arg(read.pageRecordsRead));
    if (!read.warning.isEmpty())
        add(ConfigFile, QString(), read.warning);
}

void FolderCheck::checkPort()
{
    const PortSettingsRead read = PortSettingsFile::read(m_folder.file(PortFile));
    if (read.error == static_cast<int>(FileError::FileNotFound)) {
        add(PortFile, QString(),
            QStringLiteral("missing; the port stays closed until the operator chooses it with Port Setting"));
        return;
    }
    m_checked.insert(m_folder.file(PortFile), read.problem);
    if (!read.ok()) {
        add(PortFile, QString(), read.problem + QStringLiteral("; the port stays closed"));
        return;
    }
    const PortDirectory directory = PortDirectory::read(m_folder.file(PortMapFile));
    if (QFileInfo::exists(m_folder.file(PortMapFile)))
        m_checked.insert(m_folder.file(PortMapFile), directory.problems().value(0));
    const QString prefix = PortMapFile + QStringLiteral(": ");
    for (QString problem : directory.problems()) {
        if (problem.startsWith(prefix))
            problem.remove(0, prefix.size());
        add(PortMapFile, QString(), problem);
    }
    // The device is looked at, never opened: a check must not disturb a console that runs.
    const int port = read.settings.portNumber();
    const QString device = m_folder.resolve(directory.devicePath(port));
    const QString where = QStringLiteral("Com %1").arg(port);
#ifdef Q_OS_UNIX
    if (!QFileInfo::exists(device))
        add(PortFile, where, QStringLiteral("the device %1 does not exist").arg(device));
    else if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0)
        add(PortFile, where,
            QStringLiteral(
                "the device %1 may not be opened by this user (%2); operators need the group dialout")
                .arg(device, QString::fromLocal8Bit(std::strerror(errno))));
#else
    Q_UNUSED(where); // COM ports are no files to look at: the console says at start-up
#endif
}

void FolderCheck::checkDefault(const QString &name, Kind kind, const QString &page)
{
    if (check(name, kind) == Missing)
        add(name, QString(), QStringLiteral("missing; the %1 page loads it at start").arg(page));
}

void FolderCheck::checkPageFiles()
{
    const auto inUse = [this](Page page) { return m_config.pageInUse(page); };
    const auto caption = [this](Page page) { return m_config.captions[static_cast<size_t>(page)]; };
    if (inUse(Page::Video) || inUse(Page::NVideo))
        checkDefault(VideoControl::DefaultFileName, Kind::Setting, caption(Page::Video));
    if (inUse(Page::Schedule))
        checkDefault(DailySchedule::DefaultFileName, Kind::Schedule, caption(Page::Schedule));
    if (inUse(Page::SchTask))
        checkDefault(ScheduleTask::DefaultFileName, Kind::ScheduleTask, caption(Page::SchTask));
    if (inUse(Page::Intensity))
        checkDefault(DailyIntensity::DefaultFileName, Kind::Intensity, caption(Page::Intensity));
    if (inUse(Page::IntTask))
        checkDefault(IntensityTask::DefaultFileName, Kind::IntensityTask, caption(Page::IntTask));
    // Read whatever pages are in use: no file at all is an installation without registers, or
    // a client's first start.
    const QString registers = m_folder.file(VideoControl::RegisterFileName);
    const VgaRegisterList list = VgaRegisterFile::read(registers);
    if (!list.fileMissing) {
        m_checked.insert(registers, list.stopReason);
        if (!list.stopReason.isEmpty())
            add(VideoControl::RegisterFileName, QString(), list.stopReason);
    }
    checkHostName();
}

void FolderCheck::checkHostName()
{
    const QString path = m_folder.file(HostNameFile);
    if (!QFileInfo::exists(path))
        return;
    int error = 0;
    QString why;
    readWholeFile(path, &error, DefaultReadLimit, &why);
    m_checked.insert(path, why);
    if (error != 0)
        add(HostNameFile, QString(), errorText(error, why));
}

void FolderCheck::checkOtherFiles()
{
    // Files no page loads at start may still be opened by hand or named by a table later.
    const QFileInfoList files = QDir(m_folder.path())
                                    .entryInfoList({QStringLiteral("*.pav"), QStringLiteral("*.shd"),
                                                    QStringLiteral("*.int"), QStringLiteral("*.tsk")},
                                                   QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &file : files) {
        const QString suffix = file.suffix().toLower();
        Kind kind = Kind::Setting;
        if (suffix == QLatin1String("shd"))
            kind = Kind::Schedule;
        else if (suffix == QLatin1String("int"))
            kind = Kind::Intensity;
        else if (suffix == QLatin1String("tsk"))
            kind =
                file.fileName() == IntensityTask::DefaultFileName ? Kind::IntensityTask : Kind::ScheduleTask;
        check(file.fileName(), kind);
    }
}

QString FolderCheck::check(const QString &name, Kind kind)
{
    const QString path = QFileInfo(m_folder.resolve(name)).absoluteFilePath();
    const auto known = m_checked.constFind(path);
    if (known != m_checked.constEnd())
        return *known;
    QString problem;
    if (!QFileInfo::exists(path)) {
        // The working folder's default.pav and setting.int are made anew from the page when
        // a load finds them missing; any other file is just missing.
        const bool madeAnew =
            (kind == Kind::Setting && path == m_folder.file(VideoControl::DefaultFileName)) ||
            (kind == Kind::Intensity && path == m_folder.file(DailyIntensity::DefaultFileName));
        problem = madeAnew ? QString() : Missing;
    } else {
        switch (kind) {
        case Kind::Setting:
            problem = checkSetting(name, path);
            break;
        case Kind::Schedule:
            problem = checkSchedule(name);
            break;
        case Kind::Intensity:
            problem = checkIntensity(name, path);
            break;
        case Kind::ScheduleTask:
        case Kind::IntensityTask:
            problem = checkTask(name, kind);
            break;
        }
    }
    m_checked.insert(path, problem);
    return problem;
}

QString FolderCheck::checkSetting(const QString &name, const QString &path)
{
    const SettingFileRead read = SettingFile::read(path);
    if (read.complete())
        return QString();
    const QString what = errorText(read.error, read.refusal);
    add(name, read.refusal.isEmpty() ? lineAt(path, read.errorOffset) : QString(), what);
    return QStringLiteral("cannot be used (%1)").arg(what);
}

bool FolderCheck::readTable(const QString &name, int cellCount, bool emptyAllowed, Table *table)
{
    TableRecord::Read read = TableRecord::readFile(m_folder.resolve(name), cellCount);
    if (read.ok() && read.emptyFile && !emptyAllowed) {
        read.error = static_cast<int>(FileError::InputPastEnd);
        read.why = QStringLiteral("the file is empty; a task file holds its row count at least");
    }
    if (!read.ok()) {
        const QString what = errorText(read.error, read.why);
        const bool placed = read.error != int(FileError::FileNotFound) &&
                            read.error != int(FileError::PathFileAccess) &&
                            read.error != int(FileError::FileTooLarge) && !read.emptyFile;
        add(name, placed ? QStringLiteral("byte %1").arg(read.where) : QString(), what);
        return false;
    }
    table->setEntries(read.entries);
    return true;
}

QString FolderCheck::checkSchedule(const QString &name)
{
    Table table(DailySchedule::CellCount);
    if (!readTable(name, DailySchedule::CellCount, true, &table))
        return QStringLiteral("cannot be used (a damaged table)");
    for (int r = 1; r <= table.entryCount(); ++r) {
        const QString time = table.cell(r, DailySchedule::TimeCell);
        const QString where = QStringLiteral("entry %1 (%2)").arg(r).arg(time);
        if (!CellText::timeOf(time).isValid())
            add(name, where, QStringLiteral("\"%1\" is not a time of day (HH:mm)").arg(time));
        const QString setting = table.cell(r, DailySchedule::PathCell);
        const QString settingProblem = check(setting, Kind::Setting);
        if (!settingProblem.isEmpty())
            add(name, where, QStringLiteral("the setting file %1 %2").arg(setting, settingProblem));
    }
    return QString(); // it loads; its entries' problems are its own lines
}

QString FolderCheck::checkIntensity(const QString &name, const QString &path)
{
    const IntensityFile::Read read = IntensityFile::readFile(path);
    if (!read.ok()) {
        const QString what = errorText(read.error, read.why);
        const bool placed = read.error != int(FileError::FileNotFound) &&
                            read.error != int(FileError::PathFileAccess) &&
                            read.error != int(FileError::FileTooLarge);
        add(name, placed ? lineAt(path, read.where) : QString(), what);
        return QStringLiteral("cannot be used (%1)").arg(what);
    }
    const int levels = m_config.IntensityLevelCount;
    if (read.header.level < 0 || read.header.level > levels) {
        const QString what = QStringLiteral("the level %1 is not one of the %2 levels of %3")
                                 .arg(read.header.level)
                                 .arg(levels)
                                 .arg(ConfigFile);
        add(name, QStringLiteral("line 1"), what);
        return QStringLiteral("cannot be used (%1)").arg(what);
    }
    return QString();
}

QString FolderCheck::checkTask(const QString &name, Kind kind)
{
    Table table(YearlyTask::CellCount);
    if (!readTable(name, YearlyTask::CellCount, false, &table))
        return QStringLiteral("cannot be used (a damaged table)");
    const Kind daily = kind == Kind::IntensityTask ? Kind::Intensity : Kind::Schedule;
    const QString noun =
        kind == Kind::IntensityTask ? QStringLiteral("intensity file") : QStringLiteral("daily schedule");
    for (int r = 1; r <= table.entryCount(); ++r) {
        const QString date = table.cell(r, YearlyTask::DateCell);
        if (!CellText::dateOf(date).isValid())
            add(name, QStringLiteral("entry %1").arg(r),
                QStringLiteral("\"%1\" is not a date (dd/MM/yyyy)").arg(date));
    }
    // The next twelve months, with the dates each unusable file would be needed ...
    const QList<DailyFilesAhead::Use> uses =
        DailyFilesAhead::walk(table, m_today, [&](const QString &file) { return check(file, daily); });
    QStringList walked;
    for (const DailyFilesAhead::Use &use : uses) {
        walked << use.file;
        if (use.problem.isEmpty())
            continue;
        add(name, QStringLiteral("entry %1").arg(use.entryDates.join(QStringLiteral(", "))),
            QStringLiteral("the %1 %2 %3; it is in force %4")
                .arg(noun, use.file, use.problem, DailyFilesAhead::datesText(use.when)));
    }
    // ... and the entries further ahead; past entries are history.
    const QString horizon = m_today.addMonths(12).toString(QStringLiteral("yyyyMMdd"));
    for (int r = 1; r <= table.entryCount(); ++r) {
        const QString date = table.cell(r, YearlyTask::DateCell);
        const QString file = table.cell(r, YearlyTask::PathCell);
        if (walked.contains(file) || CellText::dateKey(date) < horizon)
            continue;
        const QString fileProblem = check(file, daily);
        if (!fileProblem.isEmpty()) {
            add(name, QStringLiteral("entry %1").arg(date),
                QStringLiteral("the %1 %2 %3; it is in force from %4").arg(noun, file, fileProblem, date));
        }
    }
    return QString();
}
