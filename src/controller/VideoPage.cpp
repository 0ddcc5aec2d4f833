#include "VideoPage.h"

#include "Controls.h"
#include "OptionGroupBox.h"
#include "SettingFileActions.h"
#include "UnsavedMark.h"
#include "VideoControl.h"
#include "VideoPanel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

VideoPage::VideoPage(VideoPanel &panel, VideoControl &control, QWidget *parent)
    : ConsolePage(parent), m_panel(panel), m_control(control),
      m_files(new SettingFileActions(control, QStringLiteral("CommonDialog1"), true, this))
{
    auto *options = new QGridLayout;
    options->addWidget(new OptionGroupBox(OptionGroup::OperationMode, panel, this), 0, 0);
    options->addWidget(new OptionGroupBox(OptionGroup::VideoSource, panel, this), 1, 0);
    options->addWidget(new OptionGroupBox(OptionGroup::HorFilter, panel, this), 0, 1, 2, 1);
    options->addWidget(new OptionGroupBox(OptionGroup::VerFilter, panel, this), 0, 2);
    options->addWidget(new OptionGroupBox(OptionGroup::Antigamma, panel, this), 1, 2);

    auto *upper = new QHBoxLayout;
    upper->addLayout(options);
    upper->addWidget(buildPictureFrame());

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(upper, 1);
    layout->addWidget(buildFileRow());

    connect(&panel, &VideoPanel::pictureChanged, this, [this](Picture picture, int value) {
        QSpinBox *spin = m_spins[static_cast<size_t>(picture)];
        const QSignalBlocker blocker(spin);
        spin->setValue(value);
    });
    connect(&panel, &VideoPanel::displayTextChanged, this, [this](Picture picture, const QString &text) {
        QLineEdit *display = m_displays[static_cast<size_t>(picture)];
        if (display->text() != text)
            display->setText(text);
    });
    connect(&control, &VideoControl::fileDisplaysChanged, this,
            [this] { showFileDisplay(m_fileName, m_control.videoFileDisplay()); });
}

QWidget *VideoPage::buildPictureFrame()
{
    auto *frame = new QGroupBox(QStringLiteral("Video Setting"), this);
    frame->setObjectName(QStringLiteral("fraVideoSetting"));
    auto *grid = new QGridLayout(frame);
    for (int i = 0; i < PictureCount; ++i) {
        const auto picture = static_cast<Picture>(i);
        const PictureInfo &info = pictureInfo(picture);

        auto *display = new QLineEdit(m_panel.displayText(picture), frame);
        display->setObjectName(info.displayName);
        makeDisplay(display);
        // Room for the widest value it can show, so the window never cuts it.
        display->setMinimumWidth(display->fontMetrics().horizontalAdvance(QStringLiteral("255 (100%)")) + 16);
        auto *spin = new QSpinBox(frame);
        spin->setObjectName(info.spinName);
        spin->setRange(0, info.maximum);
        spin->setSingleStep(1);
        // A typed number goes out once, when it is complete, not digit by digit.
        spin->setKeyboardTracking(false);
        spin->setValue(m_panel.pictureValue(picture));

        grid->addWidget(new QLabel(info.label, frame), i, 0);
        grid->addWidget(display, i, 1);
        grid->addWidget(spin, i, 2);
        grid->addWidget(new QLabel(info.rangeLabel, frame), i, 3);
        m_spins[static_cast<size_t>(i)] = spin;
        m_displays[static_cast<size_t>(i)] = display;

        connect(spin, &QSpinBox::valueChanged, this,
                [this, picture](int value) { m_panel.setPictureValue(picture, value); });
        connect(display, &QLineEdit::textChanged, this,
                [this, picture](const QString &text) { m_panel.setDisplayText(picture, text); });
    }
    grid->setRowStretch(PictureCount, 1);
    return frame;
}

QWidget *VideoPage::buildFileRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_fileName = new QLineEdit(row);
    m_fileName->setObjectName(QStringLiteral("txtVideofilename"));
    makeDisplay(m_fileName);
    QPushButton *load = makeButton(row, "cmdOpen", QStringLiteral("&Load"));
    QPushButton *save = makeButton(row, "cmdSave", QStringLiteral("Save"));
    QPushButton *saveAs = makeButton(row, "cmdSaveAs", QStringLiteral("Save As"));
    QPushButton *saveDefault = makeButton(row, "cmdSaveDefault", QStringLiteral("Save Default"));
    layout->addWidget(m_fileName, 1);
    layout->addWidget(new UnsavedMark(QStringLiteral("lblVideoUnsaved"), m_control.unsaved(), row));
    layout->addWidget(load);
    layout->addWidget(save);
    layout->addWidget(saveAs);
    layout->addWidget(saveDefault);
    connect(load, &QPushButton::clicked, m_files, &SettingFileActions::load);
    connect(save, &QPushButton::clicked, m_files, &SettingFileActions::save);
    connect(saveAs, &QPushButton::clicked, m_files, &SettingFileActions::saveAs);
    connect(saveDefault, &QPushButton::clicked, m_files, &SettingFileActions::saveDefault);
    return row;
}

QString VideoPage::rememberedFileName() const
{
    return m_files->rememberedFileName();
}

void VideoPage::startUp()
{
    m_files->loadDefaultAtStart();
    m_panel.ApplySettingsToPanel();
    m_control.SendVgaRegisters();
}

void VideoPage::retransmit()
{
    m_panel.RetransmitVideo();
}

const UnsavedChanges *VideoPage::unsavedChanges() const
{
    return &m_control.unsaved();
}

void VideoPage::refresh()
{
    m_files->reloadCurrent();
}
