#include "SettingFileActions.h"

#include "FileDialogs.h"

#include "VideoControl.h"
#include <QWidget>

SettingFileActions::SettingFileActions(VideoControl &control, const QString &dialogName,
                                       bool loadNeedsExistingFile, QWidget *page)
    : QObject(page), m_control(control), m_dialogName(dialogName),
      m_loadNeedsExistingFile(loadNeedsExistingFile), m_page(page)
{
}

void SettingFileActions::loadDefaultAtStart()
{
    m_control.CurPAVFileName() = m_control.defaultSettingFile();
    m_control.OpenSettingFile(m_control.CurPAVFileName());
    m_remembered = m_control.CurPAVFileName();
}

QString SettingFileActions::ask(bool forSaving)
{
    // The dialog opens in the working folder, which is also where bare names resolve.
    m_control.workingFolder().enter();
    FileDialogs::Request request;
    request.objectName = m_dialogName;
    request.caption = forSaving ? QStringLiteral("Save Setting File") : QStringLiteral("Load Setting File");
    request.folder = m_control.workingFolder().path();
    request.filter = QStringLiteral("PAV Setting Files (*.pav)");
    request.rememberedName = m_control.workingFolder().resolve(m_remembered);
    request.mustExist = m_loadNeedsExistingFile;
    // A file inside the working folder is kept by its bare name, so it travels with the folder.
    QString path = m_control.workingFolder().storedName(
        forSaving ? FileDialogs::askSave(m_page, request) : FileDialogs::askOpen(m_page, request));
    if (!path.isEmpty())
        m_remembered = path;
    return path;
}

void SettingFileActions::load()
{
    const QString path = ask(false);
    if (path.isEmpty())
        return;
    m_control.OpenSettingFile(path);
    m_control.CurPAVFileName() = path;
}

void SettingFileActions::save()
{
    if (m_remembered.isEmpty())
        saveAs();
    else
        m_control.SaveSettingFile(m_remembered);
}

void SettingFileActions::saveAs()
{
    const QString path = ask(true);
    if (!path.isEmpty())
        m_control.SaveSettingFile(path);
}

void SettingFileActions::saveDefault()
{
    m_control.SaveSettingFile(m_control.defaultSettingFile());
    m_remembered = m_control.defaultSettingFile();
}

void SettingFileActions::reloadCurrent()
{
    const QString current = m_control.CurPAVFileName();
    m_control.OpenSettingFile(current);
    m_control.showFileName(current);
}
