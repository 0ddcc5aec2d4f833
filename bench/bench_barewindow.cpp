// A bare Qt window, for comparing the console's start-up time and memory.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(640, 480);
    window.show();
    window.repaint();
    qInfo("window shown");
    return app.exec();
}
