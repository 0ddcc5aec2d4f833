#include "PortController.h"

#include "CommErrors.h"
#include "FileError.h"
#include "PortSettingsFile.h"
#include "SerialLink.h"

const QString PortController::InvalidPortMessage = QStringLiteral("Invalid com port, Open comm error");

namespace {
const QString SettingsFileName = QStringLiteral("comset.prt");
const QString PortMapFileName = QStringLiteral("ComPorts.txt");
} // namespace

PortController::PortController(SerialLink &link, const WorkingFolder &folder, QObject *parent)
    : QObject(parent), m_link(link), m_folder(folder)
{
}

void PortController::OpenComSetting()
{
    const PortSettingsRead read = PortSettingsFile::read(m_folder.file(SettingsFileName));
    if (read.error == static_cast<int>(FileError::FileNotFound)) {
        const QString failure = WritePortSettings();
        if (!failure.isEmpty())
            emit status(QStringLiteral("comset.prt could not be created: %1").arg(failure));
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

    m_lastOpenError = m_link.open(devicePath(ports, selection.portNumber()), selection);
    if (m_lastOpenError != 0)
        emit message(CommErrorText(m_lastOpenError));
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
