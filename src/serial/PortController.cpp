#include "PortController.h"

#include "CommErrors.h"
#include "FileError.h"
#include "PortSettingsFile.h"
#include "SerialLink.h"

#include <QFile>
#include <unistd.h>

const QString PortController::InvalidPortMessage = QStringLiteral("Invalid com port, Open comm error");

namespace {
// What keeps a device from opening, as an installer would look for it.
QString deviceProblem(const QString &device, const QString &systemText)
{
    if (device.isEmpty())
        return QStringLiteral("no device is known for this port number (see ComPorts.txt)");
    const QByteArray path = QFile::encodeName(device);
    if (::access(path.constData(), F_OK) != 0)
        return QStringLiteral("the device is missing");
    if (::access(path.constData(), R_OK | W_OK) != 0)
        return QStringLiteral("not permitted: this user may not open it (members of the group dialout may)");
    if (!systemText.isEmpty())
        return QStringLiteral("busy or refused (%1); another program may hold it").arg(systemText);
    return QStringLiteral("its settings were refused");
}

constexpr QLatin1String SettingsFileName("comset.prt");
constexpr QLatin1String PortMapFileName("ComPorts.txt");
} // namespace

PortController::PortController(SerialLink &link, const WorkingFolder &folder, QObject *parent)
    : QObject(parent), m_link(link), m_folder(folder)
{
}

void PortController::OpenComSetting()
{
    const PortSettingsRead read = PortSettingsFile::read(m_folder.file(SettingsFileName), m_settings);
    if (read.error == static_cast<int>(FileError::FileNotFound)) {
        const QString failure = WritePortSettings();
        if (!failure.isEmpty())
            emit status(QStringLiteral("comset.prt could not be created: %1").arg(failure));
        return;
    }
    if (read.error == static_cast<int>(FileError::InputPastEnd)) {
        m_settings = read.settings;
        emit status(QStringLiteral("comset.prt is short: %1; the settings before it are kept and the port "
                                   "stays closed")
                        .arg(read.problem));
        return;
    }
    if (!read.ok()) {
        emit status(QStringLiteral("comset.prt not used: %1; the port stays closed").arg(read.problem));
        return;
    }
    m_settings = read.settings;
    OpenCom(m_settings);
}

PortDirectory PortController::directory() const
{
    return PortDirectory::read(m_folder.file(PortMapFileName));
}

QString PortController::devicePath(const PortDirectory &directory, int portNumber) const
{
    // A relative device path in ComPorts.txt names a device in the working folder.
    return m_folder.resolve(directory.devicePath(portNumber));
}

QString PortController::devicePath(int portNumber) const
{
    return devicePath(directory(), portNumber);
}

int PortController::OpenCom(const PortSettings &selection)
{
    const PortDirectory ports = directory();
    for (const QString &problem : ports.problems())
        emit status(problem);

    const QString device = devicePath(ports, selection.portNumber());
    m_lastOpenError = m_link.open(device, selection);
    if (m_lastOpenError != 0) {
        emit message(CommErrorText(m_lastOpenError));
        emit status(QStringLiteral("Com %1 (%2) did not open: %3")
                        .arg(selection.portNumber())
                        .arg(device.isEmpty() ? QStringLiteral("no device") : device,
                             deviceProblem(device, m_link.openFailure())));
    }
    return m_lastOpenError;
}

void PortController::acceptSelection(const PortSettings &selection)
{
    OpenCom(selection);
    if (!m_link.isOpen())
        emit message(InvalidPortMessage);
    m_settings = selection;
    const QString failure = WritePortSettings();
    if (!failure.isEmpty())
        emit message(QStringLiteral("The port settings could not be stored in comset.prt: %1").arg(failure));
}

QString PortController::WritePortSettings()
{
    return PortSettingsFile::write(m_folder.file(SettingsFileName), m_settings);
}
