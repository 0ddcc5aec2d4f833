#include "ConsoleCommands.h"

#include "FolderCheck.h"
#include "WorkingFolder.h"

#include <QCommandLineParser>
#include <QDate>
#include <cstdio>
#include <cstring>

namespace {

const char *const Commands[] = {"-h", "--help", "-?", "-v", "--version", "--check"};

void print(std::FILE *to, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
}

} // namespace

bool ConsoleCommands::asked(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char *command : Commands) {
            if (std::strcmp(argv[i], command) == 0)
                return true;
        }
    }
    return false;
}

int ConsoleCommands::run(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("PAV Control: the console for the KVR video controller. Without options it starts the "
                       "console's window; the options below run without one."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption check(
        QStringLiteral("check"),
        QStringLiteral("Read every file of the working folder (FOLDER, or the console's own) with the "
                       "console's readers, follow each schedule and task entry to the file it names, print "
                       "one line per problem and a summary. Exit status 0 when all is usable, 1 otherwise."));
    parser.addOptions({help, version, check});
    parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                 QStringLiteral("The working folder --check reads."),
                                 QStringLiteral("[FOLDER]"));

    const auto usageError = [](const QString &text) {
        print(stderr, QStringLiteral("pav-control: %1\nTry 'pav-control --help'.\n").arg(text));
        return 2;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        // Named plainly, not by the path the program was started with.
        text.replace(0, text.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: pav-control [--check [FOLDER] | --version | --help]"));
        print(stdout, text);
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("pav-control %1\n").arg(QStringLiteral(PAV_VERSION)));
        return 0;
    }
    const QStringList folders = parser.positionalArguments();
    if (!parser.isSet(check) || folders.size() > 1)
        return usageError(QStringLiteral("--check takes one working folder at most."));

    const WorkingFolder folder =
        folders.isEmpty() ? WorkingFolder::forApplication() : WorkingFolder(folders.first());
    FolderCheck folderCheck(folder, QDate::currentDate());
    folderCheck.run();
    print(stdout, folderCheck.report().join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return folderCheck.problems().isEmpty() ? 0 : 1;
}
