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

    int number(const QString &what, int min = -32768, int max = 32767)
    {
        const QString field = text(what);
        if (!m_problem.isEmpty())
            return 0;
        const std::optional<int> value = NumberText::strictWhole(field, min, max);
        if (!value) {
            m_problem =
                QStringLiteral("%1 is \"%2\", not a number from %3 to %4").arg(what, field).arg(min).arg(max);
            return 0;
        }
        return *value;
    }

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

    c.pageCount = in.number(QStringLiteral("the page count"), 0, PageCount);
    in.text(QStringLiteral("the text after the page count"));
    c.pagesPerRow = in.number(QStringLiteral("the pages per row"));
    in.text(QStringLiteral("the text after the pages per row"));
    for (int record = 0; record < c.pageCount && in.problem().isEmpty(); ++record) {
        const QString which = QStringLiteral("page record %1").arg(record + 1);
        const int index = in.number(which + QStringLiteral("'s index"), 0, c.pageCount - 1);
        const QString caption = in.text(which + QStringLiteral("'s caption"));
        const int flag = in.number(which + QStringLiteral("'s flag"));
        if (in.problem().isEmpty()) {
            c.captions[static_cast<size_t>(index)] = caption;
            c.inUse[static_cast<size_t>(index)] = flag != 0;
        }
    }

    // The names and codes follow the count the file states, even when it is out of range,
    // so the fields after them stay in step.
    const int count = in.number(QStringLiteral("the intensity level count"));
    const int stated = qBound(-1, count, 64);
    QStringList names, codes;
    for (int i = 0; i < stated + 1; ++i)
        names << in.text(QStringLiteral("intensity level name %1").arg(i + 1));
    for (int i = 0; i < stated; ++i)
        codes << in.text(QStringLiteral("intensity level code %1").arg(i + 1));
    in.text(QStringLiteral("the text before the watchdog flag"));
    c.WatchdogEnabled = in.number(QStringLiteral("the watchdog flag"));

    if (!in.problem().isEmpty()) {
        result.problem = in.problem();
        const InstallationConfig fallback;
        c = fallback;
        return result;
    }

    c.IntensityLevelCount = qBound(InstallationConfig::MinLevels, count, InstallationConfig::MaxLevels);
    if (c.IntensityLevelCount != count) {
        result.warning =
            QStringLiteral("the intensity level count %1 is outside %2 to %3; %4 levels are used")
                .arg(count)
                .arg(InstallationConfig::MinLevels)
                .arg(InstallationConfig::MaxLevels)
                .arg(c.IntensityLevelCount);
    }
    for (int i = 0; i < InstallationConfig::TableSize; ++i) {
        c.IntensityLevelNames[i] = names.value(i);
        c.IntensityLevels[i] = i < c.IntensityLevelCount ? codes.value(i) : QString();
    }
    return result;
}

ConfigSetupRead ConfigSetup::read(const QString &path)
{
    int error = 0;
    const QByteArray data = readWholeFile(path, &error);
    if (error != 0) {
        ConfigSetupRead result;
        result.problem = error == static_cast<int>(FileError::FileNotFound)
                             ? QStringLiteral("the file is missing")
                             : QStringLiteral("the file cannot be read");
        return result;
    }
    return parse(data);
}
