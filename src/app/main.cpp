#include "ConsoleCommands.h"
#include "Journal.h"
#include "MainWindow.h"
#include "ServiceNotifier.h"
#include "SignalPipe.h"
#include "SingleInstance.h"

#include <QApplication>
#include <csignal>

int main(int argc, char *argv[])
{
    // The installers' commands (--check, --help, --version) show no window and touch no port.
    if (ConsoleCommands::asked(argc, argv)) {
        QCoreApplication app(argc, argv);
        return ConsoleCommands::run(QCoreApplication::arguments());
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PAV Control"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(QStringLiteral("pav-control"));
    if (!instance.claim()) {
        // Another console runs: bring it forward and leave without touching anything.
        instance.activateRunning();
        Journal::write(QStringLiteral("start"),
                       QStringLiteral("PAV Control already runs for this machine; it was brought to the front and this start ends."));
        ServiceNotifier::endedAtOnce(QStringLiteral("Another console runs; it was brought to the front"));
        return 0;
    }

    MainWindow window(WorkingFolder::forApplication());
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &MainWindow::bringToFront);

    // The service manager's status line is the now-and-next panel's summary.
    ServiceNotifier service([&window] { return window.consoleStatus().summary(); });
    // Queued: the status is read once the event that changed it has run to its end.
    QObject::connect(&window.consoleStatus(), &ConsoleStatus::changed, &service, &ServiceNotifier::refreshStatus,
                     Qt::QueuedConnection);
    QObject::connect(&window, &MainWindow::ended, &service, &ServiceNotifier::stopping);
    // exit() rather than quit(): quit() first asks every window to close, and the main
    // window's close only hides it.
    QObject::connect(
        &window, &MainWindow::ended, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    // SIGTERM (the service manager, the session's end), SIGINT and SIGHUP end the console
    // through its own shutdown, from the event loop.
    SignalPipe termination;
    if (termination.install()) {
        QObject::connect(&termination, &SignalPipe::caught, &window, [&window](int number) {
            window.shutDown(number == SIGTERM ? QStringLiteral("SIGTERM")
                            : number == SIGINT ? QStringLiteral("SIGINT")
                                               : QStringLiteral("signal %1").arg(number));
        });
    }
    window.startUp();
    service.ready();
    return app.exec();
}
