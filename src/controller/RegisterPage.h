#pragma once

#include "ConsolePage.h"

class QLineEdit;
class QPushButton;
class SettingFileActions;
class VideoControl;
class VideoPanel;

// The "NVideo" page: the operation mode (optOperationModeN), the setting file buttons with
// their dialog CommonDialogNVideo, and "Send Reg", which sends VGAReg.cfg again.
class RegisterPage : public ConsolePage {
    Q_OBJECT
public:
    RegisterPage(VideoPanel &panel, VideoControl &control, QWidget *parent = nullptr);

    // The page's start-up action: load default.pav, select the mode, offer Save Default,
    // hold back Save As, and send the VGA registers.
    void startUp() override;
    void retransmit() override;
    // The current setting file loaded again.
    void refresh() override;
    const UnsavedChanges *unsavedChanges() const override;

    QString rememberedFileName() const;

private:
    VideoPanel &m_panel;
    VideoControl &m_control;
    QLineEdit *m_fileName = nullptr;
    QPushButton *m_saveAs = nullptr;
    QPushButton *m_saveDefault = nullptr;
    SettingFileActions *m_files = nullptr;
};
