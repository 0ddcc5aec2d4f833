#include "PortController.h"

#include "CommErrors.h"
#include "FileError.h"
#include "PortSettingsFile.h"
#include "SerialLink.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <QSerialPortInfo>

#include <algorithm>
#else
#include <unistd.h>
#endif

const QString PortController::InvalidPortMessage = QStringLiteral("Invalid com port, Open comm error");

namespace {
// What keeps a device from opening, as an installer would look for it: the port's state, the
// cause in a few words, and what to do about it.
struct DeviceProblem {
    PortState state;
    QString cause;
    QString remedy;
};

DeviceProblem deviceProblem(int port, const QString &device, const QString &systemText)
{
    const QString otherPort = QStringLiteral("or choose another port with Port Setting.");
    if (device.isEmpty()) {
        return {PortState::Missing, QStringLiteral("no device is known for this port number (see ComPorts.txt)"),
                QStringLiteral("Name the device of Com %1 in ComPorts.txt in the working folder, ").arg(port) +
                    otherPort};
    }
    const QString missing = QStringLiteral("the device is missing");
    const QString plugIn = QStringLiteral("Plug the device in, name the right device of Com %1 in ComPorts.txt "
                                          "in the working folder, ")
                               .arg(port) +
                           otherPort;
#ifdef Q_OS_WIN
    // Windows lists the COM ports present and lets one program at a time open each: a port
    // that is there but refused is mostly held by another program.
    const QList<QSerialPortInfo> present = QSerialPortInfo::availablePorts();
    if (std::none_of(present.begin(), present.end(), [&](const QSerialPortInfo &info) {
            return info.portName().compare(device, Qt::CaseInsensitive) == 0;
        }))
        return {PortState::Missing, missing, plugIn};
#else
    const QByteArray path = QFile::encodeName(device);
    if (::access(path.constData(), F_OK) != 0)
        return {PortState::Missing, missing, plugIn};
    if (::access(path.constData(), R_OK | W_OK) != 0) {
        return {PortState::NotPermitted,
                QStringLiteral("not permitted: this user may not open it (members of the group dialout may)"),
                QStringLiteral("Add the user to the group dialout (sudo adduser %1 dialout), log in again and "
                               "start the console again, ")
                        .arg(QString::fromLocal8Bit(qgetenv("USER"))) +
                    otherPort};
    }
#endif
    if (!systemText.isEmpty()) {
        return {PortState::Busy, QStringLiteral("busy or refused (%1); another program may hold it").arg(systemText),
                QStringLiteral("End the program that holds it, ") + otherPort};
    }
    return {PortState::Closed, QStringLiteral("its settings were refused"),
            QStringLiteral("Choose other settings with Port Setting, or another port.")};
}

constexpr QLatin1String SettingsFileName("comset.prt");
constexpr QLatin1String PortMapFileName("ComPorts.txt");
} // namespace

PortController::PortController(SerialLink &link, const WorkingFolder &folder, QObject *parent)
    : QObject(parent), m_link(link), m_folder(folder)
{
    connect(&link, &SerialLink::lost, this, [this](const QString &, const QString &reason) {
        setState(PortState::Missing, QStringLiteral("gone (%1); tried again every few seconds").arg(reason));
    });
    connect(&link, &SerialLink::restored, this, [this] { setState(PortState::Open, m_lineSettings); });
}

void PortController::setState(PortState state, const QString &detail)
{
    m_state = state;
    m_stateDetail = detail;
    emit stateChanged();
}

void PortController::OpenComSetting()
{
    const PortSettingsRead read = PortSettingsFile::read(m_folder.file(SettingsFileName), m_settings);
    // The port that stays closed is still the one the stored settings name.
    auto staysClosed = [this](const QString &why) {
        m_portNumber = m_settings.portNumber();
        m_device = devicePath(m_portNumber);
        setState(PortState::Closed, why);
    };
    if (read.error == static_cast<int>(FileError::FileNotFound)) {
        const QString failure = WritePortSettings();
        if (!failure.isEmpty())
            emit status(QStringLiteral("comset.prt could not be created: %1").arg(failure));
        staysClosed(QStringLiteral("no port chosen yet (Port Setting)"));
        return;
    }
    if (read.error == static_cast<int>(FileError::InputPastEnd)) {
        m_settings = read.settings;
        emit status(QStringLiteral("comset.prt is short: %1; the settings before it are kept and the port "
                                   "stays closed")
                        .arg(read.problem));
        staysClosed(QStringLiteral("comset.prt is short"));
        return;
    }
    if (!read.ok()) {
        emit status(QStringLiteral("comset.prt not used: %1; the port stays closed").arg(read.problem));
        staysClosed(QStringLiteral("comset.prt could not be used"));
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
    const QString named = device.isEmpty() ? QStringLiteral("no device") : device;
    if (m_link.isOpen())
        emit note(QStringLiteral("Com %1 (%2) closed").arg(QString::number(m_portNumber), m_device));
    m_lastOpenError = m_link.open(device, selection);
    m_portNumber = selection.portNumber();
    m_device = device;
    if (m_lastOpenError != 0) {
        const DeviceProblem problem = deviceProblem(selection.portNumber(), device, m_link.openFailure());
        m_openAdvice = QStringLiteral("Com %1 (%2): %3. %4")
                           .arg(QString::number(selection.portNumber()), named, problem.cause, problem.remedy);
        emit message(CommErrorText(m_lastOpenError), m_openAdvice);
        emit status(QStringLiteral("Com %1 (%2) did not open: %3")
                        .arg(QString::number(selection.portNumber()), named, problem.cause));
        setState(problem.state, problem.cause);
    } else {
        m_openAdvice.clear();
        m_lineSettings = selection.settingsText();
        emit note(QStringLiteral("Com %1 (%2) is open at %3")
                        .arg(QString::number(selection.portNumber()), named, m_lineSettings));
        setState(PortState::Open, m_lineSettings);
    }
    return m_lastOpenError;
}

void PortController::acceptSelection(const PortSettings &selection)
{
    OpenCom(selection);
    if (!m_link.isOpen())
        emit message(InvalidPortMessage, m_openAdvice);
    m_settings = selection;
    const QString failure = WritePortSettings();
    if (!failure.isEmpty())
        emit message(QStringLiteral("The port settings could not be stored in comset.prt: %1").arg(failure), QString());
}

QString PortController::WritePortSettings()
{
    return PortSettingsFile::write(m_folder.file(SettingsFileName), m_settings);
}
