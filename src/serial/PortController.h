#pragma once

#include "PortDirectory.h"
#include "PortSettings.h"
#include "PortState.h"
#include "WorkingFolder.h"

#include <QObject>

class SerialLink;

// The stored port settings and the three operations on them: OpenComSetting at start-up
// (read comset.prt and open the port), OpenCom (open with a selection) and the Port Setting
// dialog's OK (open, then store the selection whether or not the port opened).
class PortController : public QObject {
    Q_OBJECT
public:
    static const QString InvalidPortMessage; // "Invalid com port, Open comm error"

    PortController(SerialLink &link, const WorkingFolder &folder, QObject *parent = nullptr);

    // The five stored list positions (all 0 until comset.prt has been read).
    const PortSettings &settings() const { return m_settings; }

    // Reads comset.prt and opens the port with it. A missing file is created from the current
    // positions and the port stays closed; an unreadable one leaves the port closed.
    void OpenComSetting();

    // Opens the port with a selection; a failure is reported once, with the last failure's
    // code. Returns that code, 0 when the port is open.
    int OpenCom(const PortSettings &selection);

    // The dialog's OK: open with the selection, warn when the port did not open, and store
    // the selection either way.
    void acceptSelection(const PortSettings &selection);

    // "" or why comset.prt could not be written.
    QString WritePortSettings();

    // The code of the last failed OpenCom, 0 after a successful one.
    int lastOpenError() const { return m_lastOpenError; }
    // Which device the last failed OpenCom tried, what kept it closed and what to do about
    // it; empty after a successful one.
    QString openAdvice() const { return m_openAdvice; }

    // The device behind a port number, through ComPorts.txt.
    QString devicePath(int portNumber) const;

    // The port as last tried: its number (0 before any), device and state, and a detail: the
    // line settings ("9600,N,8,1") while open, otherwise why not, in words.
    int portNumber() const { return m_portNumber; }
    QString device() const { return m_device; }
    PortState state() const { return m_state; }
    QString stateDetail() const { return m_stateDetail; }

signals:
    // Texts for a message box (CommErrMsg and the port warnings), with the device, the real
    // cause and the remedy as the box's details.
    void message(const QString &text, const QString &details);
    // Problems with the port files and a port that did not open, for the status line.
    void status(const QString &text);
    // The port opened or closed, with its device and settings.
    void note(const QString &text);
    // The port was tried, went away or came back.
    void stateChanged();

private:
    PortDirectory directory() const;
    QString devicePath(const PortDirectory &directory, int portNumber) const;
    void setState(PortState state, const QString &detail);

    SerialLink &m_link;
    WorkingFolder m_folder;
    PortSettings m_settings;
    int m_lastOpenError = 0;
    QString m_openAdvice;
    int m_portNumber = 0;
    QString m_device;
    PortState m_state = PortState::Closed;
    QString m_stateDetail;
    QString m_lineSettings; // of the last open, for a device that comes back
};
