// Draws the main window, as started on a working folder, into a PNG for the README:
//   screenshot <working folder> <output.png> [min | <width>x<height> | check] [busy]
// With "min" the window is drawn at the smallest size it lets itself be made. With "busy"
// the folder is first filled with every page in use and every runner busy (BusyFolder.h).
// With "check" the schedule task page's Check Files is pressed and its result drawn into
// <output.png>, and the page behind it, with its marks, into <output>-page.png. The window
// is drawn once the runners' first ticks are over.
#include "BusyFolder.h"
#include "MainWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace {
// Check Files on the schedule task page: the page with its marks, then the list it shows.
bool drawCheckFiles(MainWindow &window, const QString &output)
{
    auto *check = window.findChild<QPushButton *>(QStringLiteral("cmdSchTaskCheck"));
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("SSTab1"));
    if (!check || !tabs)
        return false;
    for (int page = 0; page < tabs->count(); ++page) {
        if (tabs->widget(page)->isAncestorOf(check))
            tabs->setCurrentIndex(page);
    }
    check->click();
    window.grab().save(QString(output).replace(QStringLiteral(".png"), QStringLiteral("-page.png")));
    window.findChild<QWidget *>(QStringLiteral("frmCheckFiles"))->grab().save(output);
    return true;
}
} // namespace

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
    const QString mode = args.value(3);
    if (mode == QLatin1String("min")) {
        window.resize(1, 1);
    } else if (mode.contains(QLatin1Char('x'))) {
        window.resize(mode.section(QLatin1Char('x'), 0, 0).toInt(), mode.section(QLatin1Char('x'), 1, 1).toInt());
    }
    QTimer::singleShot(1500, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w))
                box->close();
        }
        if (mode == QLatin1String("check")) {
            QCoreApplication::exit(drawCheckFiles(window, args.at(2)) ? 0 : 1);
            return;
        }
        window.grab().save(args.at(2));
        QCoreApplication::exit(0);
    });
    return app.exec();
}
