#include "VideoControl.h"

#include "FileError.h"
#include "FrameBuilder.h"
#include "SettingFile.h"
#include "Transmitter.h"
#include "VgaRegisterFile.h"
#include "VideoPanel.h"

#include <QDir>
#include <QThread>

const QString VideoControl::DefaultFileName = QStringLiteral("default.pav");
const QString VideoControl::RegisterFileName = QStringLiteral("VGAReg.cfg");
const QString VideoControl::FileNamePrefix = QStringLiteral(" Filename - ");

namespace {
constexpr QLatin1String LoadSource("Open Setting File");
}

VideoControl::VideoControl(VideoPanel &panel, Transmitter &transmitter, const WorkingFolder &folder,
                           ConsoleState &state, QObject *parent)
    : QObject(parent), m_state(state), m_panel(panel), m_transmitter(transmitter), m_folder(folder)
{
}

VideoControl::VideoControl(VideoPanel &panel, Transmitter &transmitter, const WorkingFolder &folder,
                           QObject *parent)
    : QObject(parent), m_ownState(std::make_unique<ConsoleState>()), m_state(*m_ownState), m_panel(panel),
      m_transmitter(transmitter), m_folder(folder)
{
}

void VideoControl::setPagesPresent(bool videoPage, bool registerPage)
{
    m_videoPage = videoPage;
    m_registerPage = registerPage;
}

void VideoControl::showFileName(const QString &filename)
{
    if (m_videoPage)
        m_videoFileDisplay = FileNamePrefix + filename;
    if (m_registerPage)
        m_registerFileDisplay = FileNamePrefix + filename;
    emit fileDisplaysChanged();
}

bool VideoControl::OpenSettingFile(const QString &filename)
{
    m_folder.enter();
    const QString path = m_folder.resolve(filename);
    const SettingFileRead read = SettingFile::read(path);

    if (read.error == static_cast<int>(FileError::FileNotFound)) {
        // Only the default file is created when it is missing (the first start); a schedule
        // or a typed name that points nowhere must not overwrite what the operator saved.
        if (!path.isEmpty() && QDir::cleanPath(path) == QDir::cleanPath(defaultSettingFile())) {
            SaveSettingFile(defaultSettingFile());
            return false;
        }
        emit loadFailed(ComposeFileError(read.error, LoadSource));
        return false;
    }
    if (!read.refusal.isEmpty()) {
        emit loadFailed(ComposeFileError(read.error, LoadSource) +
                        QStringLiteral(" (%1: %2)").arg(filename, read.refusal));
        return false;
    }

    for (int i = 0; i < read.texts.size(); ++i)
        m_panel.setText(i, read.texts.at(i));
    for (int i = 0; i < read.values.size(); ++i)
        m_panel.setPictureValue(static_cast<Picture>(i), read.values.at(i));
    if (!read.complete()) {
        emit loadFailed(ComposeFileError(read.error, LoadSource));
        return false;
    }

    if (m_videoPage)
        m_panel.ApplySettingsToPanel();
    if (m_registerPage)
        m_panel.ApplyModeToRegisterPage();
    showFileName(filename);
    return true;
}

bool VideoControl::SaveSettingFile(const QString &filename)
{
    m_folder.enter();
    const QString failure = SettingFile::write(m_folder.resolve(filename), m_panel.settings());
    if (!failure.isEmpty()) {
        emit saveFailed(QStringLiteral("Error ") + failure);
        return false;
    }
    showFileName(filename);
    emit saved(filename);
    return true;
}

void VideoControl::SendVgaRegisters()
{
    const VgaRegisterList list = VgaRegisterFile::read(m_folder.file(RegisterFileName));
    const int count = static_cast<int>(list.entries.size());
    for (int k = 0; k < count; ++k) {
        m_transmitter.TransmitToKVR(Command::VgaRegisters, 0, list.entries.at(k));
        if (m_progress)
            m_progress(k + 1, count);
        if (list.pauseMs > 0)
            QThread::msleep(static_cast<unsigned long>(list.pauseMs));
    }
    // A missing file is an installation without registers; one that broke off is a file
    // refused from there on.
    if (!list.stopReason.isEmpty() && !list.fileMissing) {
        emit loadFailed(QStringLiteral("%1: %2; %3 register frames sent.")
                            .arg(RegisterFileName, list.stopReason)
                            .arg(count));
    } else if (!list.fileMissing) {
        emit status(QStringLiteral("VGA registers sent: %1 entries of %2").arg(count).arg(RegisterFileName));
    }
}
