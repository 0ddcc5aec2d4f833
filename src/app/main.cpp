#include "ConsoleCommands.h"
#include "DailyIntensity.h"
#include "Journal.h"
#include "MainWindow.h"
#include "ServiceNotifier.h"
#include "ServiceStatus.h"
#include "SignalPipe.h"
#include "SingleInstance.h"

#include <QApplication>

namespace {

// What a service manager shows for the console: the port, the setting file, the last level.
ServiceStatus serviceStatus(MainWindow &window)
{
    ServiceStatus status;
    status.portOpen = window.serialLink().isOpen();
    status.device = window.serialLink().devicePath();
    status.settingFile = window.state().CurPAVFileName;
    const DailyIntensity &intensity = window.dailyIntensity();
    if (intensity.levelLastSent() >= 0) {
        status.level = intensity.levelNames().value(intensity.levelLastSent(),
                                                    QString::number(intensity.levelLastSent()));
        status.levelSentAt = intensity.lastSentAt();
    }
    return status;
}

} // namespace

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

    ServiceNotifier service([&window] { return serviceStatus(window).text(); });
    // Queued: the status is read once the event that changed it has run to its end.
    QObject::connect(&window, &MainWindow::reported, &service, &ServiceNotifier::refreshStatus,
                     Qt::QueuedConnection);
    QObject::connect(&window, &MainWindow::ended, &service, &ServiceNotifier::stopping);
    // exit() rather than quit(): quit() first asks every window to close, and the main
    // window's close only hides it.
    QObject::connect(
        &window, &MainWindow::ended, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);

    // SIGTERM (the service manager, the session's end), SIGINT and SIGHUP end the console as
    // the tray's Exit does, from the event loop.
    SignalPipe termination;
    if (termination.install())
        QObject::connect(&termination, &SignalPipe::caught, &window, &MainWindow::shutDown);

    window.startUp();
    service.ready();
    return app.exec();
}
