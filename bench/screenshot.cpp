// Draws the main window, as started on the demo working folder, into a PNG for the README:
//   screenshot <working folder> <output.png> [min | check]
// With "min" the window is drawn at the smallest size it lets itself be made. With "check"
// the schedule task page's Check Files is pressed and its result drawn into <output.png>,
// and the page behind it, with its marks, into <output>-page.png.
#include "MainWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PAV Control"));
    if (argc < 3)
        return 2;
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QByteArray mode = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    MainWindow window{WorkingFolder(QString::fromLocal8Bit(argv[1]))};
    window.resize(900, 600);
    window.startUp();
    if (mode == "min")
        window.resize(1, 1);
    QTimer::singleShot(500, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w))
                box->close();
        }
        if (mode == "check") {
            auto *check = window.findChild<QPushButton *>(QStringLiteral("cmdSchTaskCheck"));
            auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("SSTab1"));
            if (!check || !tabs) {
                QCoreApplication::exit(1);
                return;
            }
            for (int page = 0; page < tabs->count(); ++page) {
                if (tabs->widget(page)->isAncestorOf(check))
                    tabs->setCurrentIndex(page);
            }
            check->click();
            window.grab().save(QString(output).replace(QStringLiteral(".png"), QStringLiteral("-page.png")));
            window.findChild<QWidget *>(QStringLiteral("frmCheckFiles"))->grab().save(output);
        } else {
            window.grab().save(output);
        }
        QCoreApplication::exit(0);
    });
    return app.exec();
}
