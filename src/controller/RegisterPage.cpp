#include "RegisterPage.h"

#include "Controls.h"
#include "OptionGroupBox.h"
#include "SettingFileActions.h"
#include "UnsavedMark.h"
#include "VideoControl.h"
#include "VideoPanel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RegisterPage::RegisterPage(VideoPanel &panel, VideoControl &control, QWidget *parent)
    : ConsolePage(parent), m_panel(panel), m_control(control),
      // This page's Load has always let a name through that does not exist yet.
      m_files(new SettingFileActions(control, QStringLiteral("CommonDialogNVideo"), false, this))
{
    QPushButton *sendRegisters = makeButton(this, "CmdSendRegN", QStringLiteral("Send Reg"));
    QPushButton *load = makeButton(this, "cmdLoadNVideo", QStringLiteral("&Load"));
    m_saveAs = makeButton(this, "CmdSaveAsNVideo", QStringLiteral("Save As"));
    m_saveDefault = makeButton(this, "cmdSaveDefaultNvideo", QStringLiteral("Save Default"));
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("txtFilenameVideoN"));
    makeDisplay(m_fileName);

    auto *upper = new QHBoxLayout;
    upper->addWidget(new OptionGroupBox(OptionGroup::OperationModeN, panel, this));
    upper->addStretch(1);
    upper->addWidget(sendRegisters, 0, Qt::AlignTop);

    auto *files = new QHBoxLayout;
    files->addWidget(m_fileName, 1);
    files->addWidget(new UnsavedMark(QStringLiteral("lblNVideoUnsaved"), control.unsaved(), this));
    files->addWidget(load);
    files->addWidget(m_saveAs);
    files->addWidget(m_saveDefault);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(upper, 1);
    layout->addLayout(files);

    connect(sendRegisters, &QPushButton::clicked, &control, &VideoControl::SendVgaRegisters);
    connect(load, &QPushButton::clicked, m_files, &SettingFileActions::load);
    connect(m_saveAs, &QPushButton::clicked, m_files, &SettingFileActions::saveAs);
    connect(m_saveDefault, &QPushButton::clicked, m_files, &SettingFileActions::saveDefault);
    connect(&control, &VideoControl::fileDisplaysChanged, this,
            [this] { showFileDisplay(m_fileName, m_control.registerFileDisplay()); });
}

QString RegisterPage::rememberedFileName() const
{
    return m_files->rememberedFileName();
}

void RegisterPage::startUp()
{
    m_files->loadDefaultAtStart();
    m_panel.ApplyModeToRegisterPage();
    m_saveDefault->setVisible(true);
    m_saveAs->setEnabled(false);
    m_control.SendVgaRegisters();
}

void RegisterPage::retransmit()
{
    m_panel.RetransmitMode();
}

const UnsavedChanges *RegisterPage::unsavedChanges() const
{
    return &m_control.unsaved();
}

void RegisterPage::refresh()
{
    m_files->reloadCurrent();
}
