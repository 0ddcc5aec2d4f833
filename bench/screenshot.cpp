// Draws the main window, as started on the demo working folder, into a PNG for the README:
//   screenshot <working folder> <output.png> [min]
// With "min" the window is drawn at the smallest size it lets itself be made.
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
    MainWindow window{WorkingFolder(QString::fromLocal8Bit(argv[1]))};
    window.resize(900, 600);
    window.startUp();
    if (argc > 3 && QByteArray(argv[3]) == "min")
        window.resize(1, 1);
    QTimer::singleShot(500, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w))
                box->close();
        }
        window.grab().save(QString::fromLocal8Bit(argv[2]));
        QCoreApplication::exit(0);
    });
    return app.exec();
}
