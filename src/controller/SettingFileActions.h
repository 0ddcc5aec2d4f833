#pragma once

#include <QObject>
#include <QString>

class QWidget;
class VideoControl;

// The setting file buttons of one page (Load, Save, Save As, Save Default) around that page's
// file dialog, which remembers the file name last chosen in it or saved by Save Default.
class SettingFileActions : public QObject {
    Q_OBJECT
public:
    // 'dialogName' is the dialog's control name; 'loadNeedsExistingFile' says whether Load
    // accepts only files that exist.
    SettingFileActions(VideoControl &control, const QString &dialogName, bool loadNeedsExistingFile,
                       QWidget *page);

    // The loading part of a page's start-up action: default.pav becomes the current file,
    // is loaded, and is the name the dialog remembers.
    void loadDefaultAtStart();

    // A remote refresh: the current setting file loaded again under its name.
    void reloadCurrent();

    void load();
    // Saves to the remembered name without asking; asks as Save As when there is none.
    void save();
    void saveAs();
    void saveDefault();

    QString rememberedFileName() const { return m_remembered; }

private:
    QString ask(bool forSaving);

    VideoControl &m_control;
    QString m_dialogName;
    bool m_loadNeedsExistingFile;
    QWidget *m_page;
    QString m_remembered;
};
