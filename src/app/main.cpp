#include "Journal.h"
#include "MainWindow.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PAV Control"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(QStringLiteral("pav-control"));
    if (!instance.claim()) {
        // Another console runs: bring it forward and leave without touching anything.
        instance.activateRunning();
        Journal::write(QStringLiteral("start"),
                       QStringLiteral("PAV Control already runs for this machine; it was brought to the front and this start ends."));
        return 0;
    }

    MainWindow window(WorkingFolder::forApplication());
    QObject::connect(&instance, &SingleInstance::activationRequested, &window, &MainWindow::bringToFront);
    // exit() rather than quit(): quit() first asks every window to close, and the main
    // window's close only hides it.
    QObject::connect(
        &window, &MainWindow::ended, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    // A service manager's or a shutdown's SIGTERM ends the console through its own shutdown.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &window,
                     [&window](const QString &name) { window.shutDown(name); });
    window.startUp();
    return app.exec();
}
