#pragma once

#include <QString>

// The folder that holds every file of the system: "sys" beside the program.
// Tests and tools pass a folder of their own; the console uses forApplication().
class WorkingFolder {
public:
    explicit WorkingFolder(const QString &path);

    // <program folder>/sys/
    static WorkingFolder forApplication();

    // The folder, ending in a slash.
    QString path() const { return m_path; }

    // Full path of a file in the folder.
    QString file(const QString &name) const { return m_path + name; }

    // EnterWorkingFolder: makes the folder the current one (creating it when it is missing),
    // so bare names such as "default.pav" resolve there. False when it cannot be entered.
    bool enter() const;

    // The path a name stands for: a relative name resolves against the working folder.
    QString resolve(const QString &name) const;

    // How a chosen file is stored: inside the folder, its name relative to it ("evening.pav",
    // "sub/evening.pav"), so that a folder of tables copied to another console still finds its
    // files; elsewhere its full path, without "..".
    QString storedName(const QString &path) const;

private:
    QString m_path;
};
