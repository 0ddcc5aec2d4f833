#include "SettingFileDialogs.h"

#include "FileDialogs.h"

namespace {
const QString Filter = QStringLiteral("PAV Setting Files (*.pav)");
}

namespace SettingFileDialogs {

QString askOpen(QWidget *parent, const QString &dialogName, const QString &folder, const QString &remembered,
                bool mustExist)
{
    FileDialogs::Request request;
    request.objectName = dialogName;
    request.caption = QStringLiteral("Load Setting File");
    request.folder = folder;
    request.filter = Filter;
    request.rememberedName = remembered;
    request.mustExist = mustExist;
    return FileDialogs::askOpen(parent, request);
}

QString askSave(QWidget *parent, const QString &dialogName, const QString &folder, const QString &remembered)
{
    FileDialogs::Request request;
    request.objectName = dialogName;
    request.caption = QStringLiteral("Save Setting File");
    request.folder = folder;
    request.filter = Filter;
    request.rememberedName = remembered;
    return FileDialogs::askSave(parent, request);
}

} // namespace SettingFileDialogs
