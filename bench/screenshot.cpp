// Draws the main window, as started on a working folder, into a PNG for the README:
//   screenshot <working folder> <output.png> [min | <width>x<height>] [busy]
// With "min" the window is drawn at the smallest size it lets itself be made. With "busy"
// the folder is first filled with every page in use and every runner busy (BusyFolder.h).
// The window is drawn once the runners' first ticks are over.
#include "BusyFolder.h"
#include "MainWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PAV Control"));
    if (argc < 3)
        return 2;
    const QStringList args = QApplication::arguments();
    const QString folder = args.at(1);
    if (args.contains(QStringLiteral("busy")))
        writeBusyFolder(folder, QStringLiteral(PAV_SAMPLES_DIR), QDate::currentDate());
    MainWindow window{WorkingFolder(folder)};
    window.resize(900, 600);
    window.startUp();
    const QString size = args.value(3);
    if (size == QLatin1String("min")) {
        window.resize(1, 1);
    } else if (size.contains(QLatin1Char('x'))) {
        window.resize(size.section(QLatin1Char('x'), 0, 0).toInt(),
                      size.section(QLatin1Char('x'), 1, 1).toInt());
    }
    QTimer::singleShot(1500, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w))
                box->close();
        }
        window.grab().save(args.at(2));
        QCoreApplication::exit(0);
    });
    return app.exec();
}
