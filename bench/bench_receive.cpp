// The receive path: 1 MB without line ends, one character per port event, into
// ReceiveBuffer and on to the status box as shown. At 115200 baud each of the 25 refreshes a
// second brings about 460 characters, so the box is refreshed and painted every 460 bytes.
// Prints bytes per second and the cost per byte for each tenth of the run: a flat column
// means the cost does not grow with what has arrived.
#include "ReceiveBuffer.h"
#include "StatusBox.h"
#include "StatusDisplay.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ReceiveBuffer buffer;
    StatusBox box;
    box.resize(640, 120);
    box.show();
    StatusDisplay display(buffer, box);

    const qsizetype total = 1024 * 1024;
    const int slices = 10;
    QElapsedTimer whole;
    whole.start();
    std::printf("receive path: %lld bytes, one per event, box painted every 460 bytes\n",
                static_cast<long long>(total));
    for (int slice = 0; slice < slices; ++slice) {
        QElapsedTimer timer;
        timer.start();
        for (qsizetype i = 0; i < total / slices; ++i) {
            // Printable text with a marker now and then, as a chatty controller gives.
            const char c = (i % 61 == 0) ? '\r' : static_cast<char>('!' + i % 90);
            display.received(QByteArray(1, c));
            if (i % 460 == 459) {
                display.refresh();
                box.repaint();
            }
        }
        QCoreApplication::processEvents();
        std::printf("  slice %2d: %6.3f us per byte\n", slice + 1,
                    timer.nsecsElapsed() / 1000.0 / (total / slices));
    }
    display.refresh();
    box.repaint();
    const double seconds = whole.nsecsElapsed() / 1e9;
    std::printf("  total %.2f s, %.0f bytes/s (115200 baud brings 11520 bytes/s)\n", seconds,
                total / seconds);
    std::printf("  buffer kept %lld characters, box %lld\n", static_cast<long long>(buffer.text().size()),
                static_cast<long long>(box.text().size()));
    return 0;
}
