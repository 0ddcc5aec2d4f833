#include "ConfigSetup.h"

#include "FileError.h"
#include "NumberText.h"
#include "RecordReader.h"
#include "SafeFile.h"

namespace {

// Reads the fields in order and remembers the first thing that went wrong.
class FieldReader {
public:
    explicit FieldReader(const QByteArray &data) : m_reader(data) {}

    QString text(const QString &what)
    {
        if (!m_problem.isEmpty())
            return QString();
        const std::optional<QString> field = m_reader.next();
        if (!field) {
            m_problem = QStringLiteral("the file ends before %1").arg(what);
            return QString();
        }
        return *field;
    }

    // The number at the start of the field (blanks skipped, none gives 0), as every file of
    // the system is read; only a value outside [min, max] stops the read.
    int number(const QString &what, int min = -32768, int max = 32767)
    {
        const QString field = text(what);
        if (!m_problem.isEmpty())
            return 0;
        const std::optional<int> value = NumberText::leadingWhole(field, min, max);
        if (!value) {
            m_problem = QStringLiteral("%1 is \"%2\", outside %3 to %4").arg(what, field).arg(min).arg(max);
            return 0;
        }
        return *value;
    }

    bool ok() const { return m_problem.isEmpty(); }
    const QString &problem() const { return m_problem; }

private:
    RecordReader m_reader;
    QString m_problem;
};

} // namespace

InstallationConfig::InstallationConfig()
{
    for (int i = 0; i < PageCount; ++i)
        captions[static_cast<size_t>(i)] = designCaption(i);
}

ConfigSetupRead ConfigSetup::parse(const QByteArray &data)
{
    ConfigSetupRead result;
    InstallationConfig &c = result.config;
    FieldReader in(data);
    QStringList warnings;
    // A tab caption or list entry longer than this only hides the rest of the window.
    auto cut = [&warnings](QString text, const QString &what) {
        if (text.size() > InstallationConfig::MaxNameLength) {
            warnings << QStringLiteral("%1 is cut to %2 characters").arg(what).arg(InstallationConfig::MaxNameLength);
            text.truncate(InstallationConfig::MaxNameLength);
        }
        return text;
    };

    // Whatever was read before a field that stops the read stays in use, as with every loader.
    const int pageCount = in.number(QStringLiteral("the page count"), 0, PageCount);
    in.text(QStringLiteral("the text after the page count"));
    const int pagesPerRow = in.number(QStringLiteral("the pages per row"));
    in.text(QStringLiteral("the text after the pages per row"));
    if (in.ok()) {
        c.pageCount = pageCount;
        c.pagesPerRow = pagesPerRow;
    }
    for (int record = 0; record < pageCount && in.ok(); ++record) {
        const QString which = QStringLiteral("page record %1").arg(record + 1);
        const int index = in.number(which + QStringLiteral("'s index"), 0, pageCount - 1);
        const QString caption = in.text(which + QStringLiteral("'s caption"));
        const int flag = in.number(which + QStringLiteral("'s flag"));
        if (in.ok()) {
            c.captions[static_cast<size_t>(index)] = cut(caption, which + QStringLiteral("'s caption"));
            c.inUse[static_cast<size_t>(index)] = flag != 0;
            ++result.pageRecordsRead;
        }
    }

    // The names and codes follow the count the file states, even when it is out of range,
    // so the fields after them stay in step.
    const int count = in.number(QStringLiteral("the intensity level count"));
    if (in.ok()) {
        const int stated = qBound(-1, count, 64);
        QStringList names, codes;
        for (int i = 0; i < stated + 1; ++i) {
            const QString what = QStringLiteral("intensity level name %1").arg(i + 1);
            const QString name = in.text(what);
            if (in.ok())
                names << cut(name, what);
        }
        for (int i = 0; i < stated; ++i) {
            const QString code = in.text(QStringLiteral("intensity level code %1").arg(i + 1));
            if (in.ok())
                codes << code;
        }
        c.IntensityLevelCount = qBound(InstallationConfig::MinLevels, count, InstallationConfig::MaxLevels);
        if (c.IntensityLevelCount != count) {
            warnings << QStringLiteral("the intensity level count %1 is outside %2 to %3; %4 levels are used")
                            .arg(count)
                            .arg(InstallationConfig::MinLevels)
                            .arg(InstallationConfig::MaxLevels)
                            .arg(c.IntensityLevelCount);
        }
        for (int i = 0; i < InstallationConfig::TableSize; ++i) {
            c.IntensityLevelNames[i] = names.value(i);
            c.IntensityLevels[i] = i < c.IntensityLevelCount ? codes.value(i) : QString();
        }
    }
    in.text(QStringLiteral("the text before the watchdog flag"));
    const int watchdog = in.number(QStringLiteral("the watchdog flag"));
    if (in.ok())
        c.WatchdogEnabled = watchdog;

    result.problem = in.problem();
    result.warning = warnings.join(QStringLiteral("; "));
    return result;
}

ConfigSetupRead ConfigSetup::read(const QString &path)
{
    int error = 0;
    QString why;
    const QByteArray data = readWholeFile(path, &error, MaxFileSize, &why);
    if (error != 0) {
        ConfigSetupRead result;
        result.problem = error == static_cast<int>(FileError::FileNotFound)
                             ? QStringLiteral("the file is missing")
                             : QStringLiteral("the file cannot be read (%1)").arg(why);
        return result;
    }
    return parse(data);
}

QList<std::pair<Journal::Priority, QString>> ConfigSetupRead::messages(const QString &folder) const
{
    QList<std::pair<Journal::Priority, QString>> texts;
    if (!problem.isEmpty() && pageRecordsRead == 0) {
        texts << std::pair(Journal::Priority::Error, QStringLiteral("ConfigSetup.txt in %1 cannot be used: %2. The console goes on with no page in use.")
                     .arg(folder, problem));
    } else if (!problem.isEmpty()) {
        texts << std::pair(Journal::Priority::Error, QStringLiteral("ConfigSetup.txt in %1 breaks off: %2. The %3 page records read before that are "
                                "used; the other pages are off.")
                     .arg(folder, problem)
                     .arg(pageRecordsRead));
    }
    if (!warning.isEmpty())
        texts << std::pair(Journal::Priority::Warning, QStringLiteral("ConfigSetup.txt: %1.").arg(warning));
    return texts;
}
