#include "VideoControl.h"

#include "AuditTrail.h"

#include "FileError.h"
#include "FrameBuilder.h"
#include "SafeFile.h"
#include "SettingFile.h"
#include "Transmitter.h"
#include "VgaRegisterFile.h"
#include "VideoPanel.h"

#include <QDir>
#include <QScopedValueRollback>
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
    watchPanel();
}

VideoControl::VideoControl(VideoPanel &panel, Transmitter &transmitter, const WorkingFolder &folder,
                           QObject *parent)
    : QObject(parent), m_ownState(std::make_unique<ConsoleState>()), m_state(*m_ownState), m_panel(panel),
      m_transmitter(transmitter), m_folder(folder)
{
    watchPanel();
}

void VideoControl::watchPanel()
{
    m_unsaved.setSaved(content());
    const auto changed = [this] {
        if (!m_loading)
            m_unsaved.compare(content());
    };
    connect(&m_panel, &VideoPanel::optionShown, this, changed);
    connect(&m_panel, &VideoPanel::pictureChanged, this, changed);
}

// What a setting file stores: the five texts and the four picture values.
UnsavedChanges::Content VideoControl::content() const
{
    const VideoSettings &s = m_panel.settings();
    return {{s.OperationModeText, s.HorFilterText, s.VerFilterText, s.AntigammaText, s.VideoSourceText,
             QString::number(s.brightness), QString::number(s.contrast), QString::number(s.saturation),
             QString::number(s.hue)}};
}

void VideoControl::setPagesPresent(bool videoPage, bool registerPage)
{
    m_videoPage = videoPage;
    m_registerPage = registerPage;
}

void VideoControl::showFileName(const QString &filename)
{
    // While the last setting file asked for was refused, the displays say so instead.
    showInDisplays(m_refusal.isEmpty() ? FileNamePrefix + filename : m_refusal);
}

void VideoControl::showInDisplays(const QString &text)
{
    if (m_videoPage)
        m_videoFileDisplay = text;
    if (m_registerPage)
        m_registerFileDisplay = text;
    emit fileDisplaysChanged();
}

void VideoControl::refuse(const QString &refusal)
{
    m_refusal = refusal;
    showInDisplays(refusal);
}

FileLoad VideoControl::loadSettingFile(const QString &filename)
{
    const AuditTrail::Step step(QStringLiteral("loading %1").arg(filename));
    const QScopedValueRollback<bool> loading(m_loading, true);
    bool madeAnew = false;
    FileLoad load = applySettingFile(filename, madeAnew);
    emit settingFileOpened(filename, load.ok() || madeAnew);
    return load;
}

FileLoad VideoControl::applySettingFile(const QString &filename, bool &madeAnew)
{
    m_folder.enter();
    const QString path = m_folder.resolve(filename);
    const SettingFileRead read = SettingFile::read(path);

    if (read.error == static_cast<int>(FileError::FileNotFound)) {
        // Only the default file is created when it is missing (the first start); a schedule
        // or a typed name that points nowhere must not overwrite what the operator saved.
        if (!path.isEmpty() && QDir::cleanPath(path) == QDir::cleanPath(defaultSettingFile())) {
            madeAnew = SaveSettingFile(defaultSettingFile());
            return {read.error,
                    QStringLiteral("the file did not exist; it was made anew from the settings in use"),
                    LoadSource};
        }
        refuse(refusedFileText(filename, fileErrorText(read.error)));
        emit loadFailed(loadFailureText(m_refusal, path, read.error, LoadSource));
        return FileLoad::failed(read.error, read.refusal, LoadSource);
    }
    if (!read.refusal.isEmpty()) {
        refuse(refusedFileText(filename, read.refusal));
        emit loadFailed(loadFailureText(m_refusal, path, read.error, LoadSource));
        return FileLoad::failed(read.error, read.refusal, LoadSource);
    }

    for (int i = 0; i < read.texts.size(); ++i)
        m_panel.setText(i, read.texts.at(i));
    for (int i = 0; i < read.values.size(); ++i)
        m_panel.setPictureValue(static_cast<Picture>(i), read.values.at(i));
    if (!read.complete()) {
        if (!read.texts.isEmpty())
            m_unsaved.setSaved(content()); // what was read replaced the panel's own values
        refuse(read.texts.isEmpty() ? refusedFileText(filename, read.stop) : partlyReadFileText(filename, read.stop));
        emit loadFailed(loadFailureText(m_refusal, path, read.error, LoadSource));
        return FileLoad::failed(read.error, read.stop, LoadSource, !read.texts.isEmpty());
    }
    m_refusal.clear();

    if (m_videoPage)
        m_panel.ApplySettingsToPanel();
    if (m_registerPage)
        m_panel.ApplyModeToRegisterPage();
    m_unsaved.setSaved(content());
    showFileName(filename);
    return {};
}

bool VideoControl::SaveSettingFile(const QString &filename)
{
    m_folder.enter();
    const FileBytes file = SettingFile::format(m_panel.settings());
    if (!file.ok()) {
        emit saveFailed(QStringLiteral("Error: %1 was not saved: %2").arg(filename, file.refusal));
        return false;
    }
    const SavedFile done = saveOverRefused(m_folder.resolve(filename), file.bytes, [](const QString &old) {
        return !SettingFile::read(old).complete();
    });
    if (!done.failure.isEmpty()) {
        emit saveFailed(QStringLiteral("Error ") + done.failure);
        return false;
    }
    m_refusal.clear();
    m_unsaved.setSaved(content());
    showFileName(filename);
    emit saved(filename);
    if (!done.keptAs.isEmpty())
        emit status(keptCopyText(filename, done.keptAs));
    return true;
}

void VideoControl::SendVgaRegisters()
{
    const AuditTrail::Step step(RegisterFileName);
    const VgaRegisterList list = VgaRegisterFile::read(m_folder.file(RegisterFileName));
    const int count = static_cast<int>(list.entries.size());
    int sent = 0;
    QString whyNot; // the first reason a frame did not go out
    for (int k = 0; k < count; ++k) {
        const Transmission frame = m_transmitter.TransmitToKVR(Command::VgaRegisters, 0, list.entries.at(k));
        if (frame.sent())
            ++sent;
        else if (whyNot.isEmpty())
            whyNot = frame.whyNot;
        if (m_progress)
            m_progress(k + 1, count);
        if (list.pauseMs > 0)
            QThread::msleep(static_cast<unsigned long>(list.pauseMs));
    }
    // A missing file is an installation without registers; one that broke off is a file
    // refused from there on.
    if (list.fileMissing)
        return;
    QString text = sent == count ? QStringLiteral("VGA registers sent: %1 entries of %2").arg(count).arg(RegisterFileName)
                   : sent == 0   ? QStringLiteral("VGA registers not sent: %1 (%2 entries of %3)")
                                     .arg(whyNot)
                                     .arg(count)
                                     .arg(RegisterFileName)
                               : QStringLiteral("VGA registers: %1 of %2 entries of %3 sent; the others not sent: %4")
                                     .arg(sent)
                                     .arg(count)
                                     .arg(RegisterFileName, whyNot);
    if (list.stopReason.isEmpty()) {
        emit status(text);
        return;
    }
    emit loadFailed(QStringLiteral("%1: %2; %3").arg(RegisterFileName, list.stopReason, text));
}
