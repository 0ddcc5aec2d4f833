#pragma once

#include <QStringList>

// The console's commands for installers: --help, --version and --check [FOLDER]. They run
// with a core application only: no window, no port, no socket, no single-instance lock, so
// they work over ssh and beside a console that runs.
class ConsoleCommands {
public:
    // One of the commands is asked for. Any other argument is left to the windowed console
    // (Qt's own, such as -session from a session manager, are taken by the application).
    static bool asked(int argc, const char *const *argv);

    // Runs the command; the exit status: 0 done (for --check: every file usable), 1 --check
    // found a problem, 2 a command line that makes no sense.
    static int run(const QStringList &arguments);
};
