#include "SignalPipe.h"
#include "SimOptions.h"
#include "Simulator.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const SimOptions options = SimOptions::fromArguments(app.arguments());
    if (options.help) {
        std::fputs(qPrintable(options.usage), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs("kvr-sim " PAV_VERSION "\n", stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "kvr-sim: %s\nTry 'kvr-sim --help'.\n", qPrintable(options.error));
        return 2;
    }

    // A closed output pipe is noticed by write(), not by dying with the link left behind.
    std::signal(SIGPIPE, SIG_IGN);
    SignalPipe signalPipe;
    if (!signalPipe.install()) {
        std::perror("kvr-sim: pipe");
        return 1;
    }
    QObject::connect(&signalPipe, &SignalPipe::caught, &app, &QCoreApplication::quit);

    Simulator simulator(options);
    QObject::connect(&simulator, &Simulator::outputClosed, &app, &QCoreApplication::quit);
    QString error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "kvr-sim: %s\n", qPrintable(error));
        return 1;
    }
    return app.exec();
}
