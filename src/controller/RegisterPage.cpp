#include "RegisterPage.h"

#include "OptionGroupBox.h"
#include "SettingFileDialogs.h"
#include "VideoControl.h"
#include "VideoPanel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString DialogName = QStringLiteral("CommonDialogNVideo");

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}
} // namespace

RegisterPage::RegisterPage(VideoPanel &panel, VideoControl &control, QWidget *parent)
    : QWidget(parent), m_panel(panel), m_control(control)
{
    QPushButton *sendRegisters = makeButton(this, "CmdSendRegN", QStringLiteral("Send Reg"));
    QPushButton *load = makeButton(this, "cmdLoadNVideo", QStringLiteral("&Load"));
    m_saveAs = makeButton(this, "CmdSaveAsNVideo", QStringLiteral("Save As"));
    m_saveDefault = makeButton(this, "cmdSaveDefaultNvideo", QStringLiteral("Save Default"));
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("txtFilenameVideoN"));
    m_fileName->setReadOnly(true);

    auto *upper = new QHBoxLayout;
    upper->addWidget(new OptionGroupBox(OptionGroup::OperationModeN, panel, this));
    upper->addStretch(1);
    upper->addWidget(sendRegisters, 0, Qt::AlignTop);

    auto *files = new QHBoxLayout;
    files->addWidget(m_fileName, 1);
    files->addWidget(load);
    files->addWidget(m_saveAs);
    files->addWidget(m_saveDefault);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(upper, 1);
    layout->addLayout(files);

    connect(sendRegisters, &QPushButton::clicked, &control, &VideoControl::SendVgaRegisters);
    connect(load, &QPushButton::clicked, this, &RegisterPage::load);
    connect(m_saveAs, &QPushButton::clicked, this, &RegisterPage::saveAs);
    connect(m_saveDefault, &QPushButton::clicked, this, &RegisterPage::saveDefault);
    connect(&control, &VideoControl::fileDisplaysChanged, this,
            [this] { m_fileName->setText(m_control.registerFileDisplay()); });
}

void RegisterPage::startUp()
{
    m_control.CurPAVFileName = m_control.defaultSettingFile();
    m_control.OpenSettingFile(m_control.CurPAVFileName);
    m_remembered = m_control.CurPAVFileName;
    m_panel.ApplyModeToRegisterPage();
    m_saveDefault->setVisible(true);
    m_saveAs->setEnabled(false);
    m_control.SendVgaRegisters();
}

void RegisterPage::load()
{
    m_control.workingFolder().enter();
    // This dialog has always let a name through that does not exist yet.
    const QString path =
        SettingFileDialogs::askOpen(this, DialogName, m_control.workingFolder().path(), m_remembered, false);
    if (path.isEmpty())
        return;
    m_remembered = path;
    m_control.OpenSettingFile(path);
    m_control.CurPAVFileName = path;
}

void RegisterPage::saveAs()
{
    m_control.workingFolder().enter();
    const QString path =
        SettingFileDialogs::askSave(this, DialogName, m_control.workingFolder().path(), m_remembered);
    if (path.isEmpty())
        return;
    m_remembered = path;
    m_control.SaveSettingFile(path);
}

void RegisterPage::saveDefault()
{
    m_control.SaveSettingFile(m_control.defaultSettingFile());
    m_remembered = m_control.defaultSettingFile();
}
