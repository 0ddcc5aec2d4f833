#pragma once

#include "ConsoleState.h"
#include "FileLoad.h"
#include "UnsavedChanges.h"
#include "WorkingFolder.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class Transmitter;
class VideoPanel;

// Setting files and VGA registers: OpenSettingFile and SaveSettingFile for both pages, the
// current setting file's name, and SendVgaRegisters with its pacing.
class VideoControl : public QObject {
    Q_OBJECT
public:
    static const QString DefaultFileName;  // "default.pav"
    static const QString RegisterFileName; // "VGAReg.cfg"
    static const QString FileNamePrefix;   // " Filename - "

    // 'state' holds CurPAVFileName, which the schedule runner reads and writes too.
    VideoControl(VideoPanel &panel, Transmitter &transmitter, const WorkingFolder &folder, ConsoleState &state,
                 QObject *parent = nullptr);
    // With a state of its own, for a panel that stands alone.
    VideoControl(VideoPanel &panel, Transmitter &transmitter, const WorkingFolder &folder,
                 QObject *parent = nullptr);

    // Which of the two pages exist in this installation (decided at start-up).
    void setPagesPresent(bool videoPage, bool registerPage);

    const WorkingFolder &workingFolder() const { return m_folder; }
    QString defaultSettingFile() const { return m_folder.file(DefaultFileName); }

    // Loads a setting file: its texts and picture values as read (each changed value sends
    // its frame), then, when every field was read, the options of the pages present. A read
    // that stops at a bad field keeps what came before and reports the error. A missing
    // default.pav is created from the current settings; any other missing file is an
    // ordinary failure and writes nothing. True when the whole file was applied.
    bool OpenSettingFile(const QString &filename) { return loadSettingFile(filename).ok(); }
    // The same, saying how it went.
    FileLoad loadSettingFile(const QString &filename);

    // Writes the current settings, whole or not at all. True on success; a failure is
    // reported as "Error " + the system's description. Settings the file cannot hold are
    // not written; a file there that does not read is kept beside it as <name>.bak first.
    bool SaveSettingFile(const QString &filename);

    // Sends every entry of VGAReg.cfg as a register frame, pausing after each. The pauses
    // hold everything else up, so frames never interleave with those of timers or the
    // network.
    void SendVgaRegisters();

    // Told "entry k of n" after each register frame; it may repaint a display but must not
    // let other events run.
    void setRegisterProgress(std::function<void(int, int)> progress) { m_progress = std::move(progress); }

    // The setting file loaded last by start-up, a load button, a schedule or a refresh.
    QString &CurPAVFileName() { return m_state.CurPAVFileName; }

    // " Filename - " + the name, in the file display of each page present; while the last
    // setting file asked for was refused, why it was instead.
    void showFileName(const QString &filename);
    // Why the last setting file asked for did not load whole; empty once one loads or is saved.
    QString refusal() const { return m_refusal; }
    // The picture values and options changed since the setting file was last loaded or saved.
    const UnsavedChanges &unsaved() const { return m_unsaved; }

    QString videoFileDisplay() const { return m_videoFileDisplay; }
    QString registerFileDisplay() const { return m_registerFileDisplay; }

signals:
    void fileDisplaysChanged();
    // OpenSettingFile was asked for 'filename'; 'inForce' when its values are now the current
    // settings (read whole, or a missing default.pav made from them).
    void settingFileOpened(const QString &filename, bool inForce);
    // ComposeFileError's text for a file that did not load.
    void loadFailed(const QString &text);
    // A message for the operator: a save that failed.
    void saveFailed(const QString &text);
    void saved(const QString &filename);
    // A note for the status line.
    void status(const QString &text);

private:
    void showInDisplays(const QString &text);
    void refuse(const QString &refusal);
    FileLoad applySettingFile(const QString &filename, bool &madeAnew);
    void watchPanel();
    UnsavedChanges::Content content() const;

    std::unique_ptr<ConsoleState> m_ownState;
    ConsoleState &m_state;
    VideoPanel &m_panel;
    Transmitter &m_transmitter;
    WorkingFolder m_folder;
    bool m_videoPage = false;
    bool m_registerPage = false;
    QString m_videoFileDisplay;
    QString m_registerFileDisplay;
    QString m_refusal;
    std::function<void(int, int)> m_progress;
    UnsavedChanges m_unsaved;
    bool m_loading = false; // what a load sets is no change of the operator's
};
