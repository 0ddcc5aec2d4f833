#pragma once

#include <QString>

class QWidget;

// The open and save dialogs both setting file pages use, opened in the working folder.
namespace SettingFileDialogs {
QString askOpen(QWidget *parent, const QString &dialogName, const QString &folder, const QString &remembered,
                bool mustExist);
QString askSave(QWidget *parent, const QString &dialogName, const QString &folder, const QString &remembered);
} // namespace SettingFileDialogs
