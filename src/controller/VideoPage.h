#pragma once

#include "VideoOptions.h"

#include "ConsolePage.h"
#include <array>

class QLineEdit;
class QSpinBox;
class SettingFileActions;
class VideoControl;
class VideoPanel;

// The "Video" page: the option groups, the four picture values with their displays, and the
// setting file buttons (Load, Save, Save As, Save Default) with their dialog CommonDialog1.
class VideoPage : public ConsolePage {
    Q_OBJECT
public:
    VideoPage(VideoPanel &panel, VideoControl &control, QWidget *parent = nullptr);

    // The page's start-up action: load default.pav, bring the options into line and send
    // the VGA registers.
    void startUp() override;
    void retransmit() override;
    // The current setting file loaded again.
    void refresh() override;
    const UnsavedChanges *unsavedChanges() const override;

    // The file name CommonDialog1 remembers: Save writes there without asking.
    QString rememberedFileName() const;

private:
    QWidget *buildPictureFrame();
    QWidget *buildFileRow();

    VideoPanel &m_panel;
    VideoControl &m_control;
    std::array<QSpinBox *, PictureCount> m_spins{};
    std::array<QLineEdit *, PictureCount> m_displays{};
    QLineEdit *m_fileName = nullptr;
    SettingFileActions *m_files = nullptr;
};
