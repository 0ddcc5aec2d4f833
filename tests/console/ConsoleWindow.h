#pragma once

#include "ConsoleFolder.h"
#include "MainWindow.h"

#include <QLineEdit>
#include <QPushButton>

// A console window in the test's own process, on an installation whose Com 1 is a
// pseudo-terminal (the port opens), driven by control name. Link with "util".
struct ConsoleWindow {
    ConsoleFolder folder;
    PtyPair pty;
    std::unique_ptr<MainWindow> window;

    ConsoleWindow() { folder.useAsComPort(pty); }
    MainWindow &start(const QList<int> &pages)
    {
        folder.usePages(pages);
        window = std::make_unique<MainWindow>(WorkingFolder(folder.sysPath()));
        window->startUp();
        return *window;
    }
    template <typename T = QWidget> T *find(const QString &name) const
    {
        T *control = window->findChild<T *>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }
    QString text(const QString &name) const { return find<QLineEdit>(name)->text(); }
    bool enabled(const QString &name) const { return find(name)->isEnabled(); }
    void click(const QString &name) const { find<QPushButton>(name)->click(); }
};
