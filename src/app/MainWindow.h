#pragma once

#include "Clock.h"
#include "ConfigSetup.h"
#include "ConsoleState.h"
#include "ConsoleStatus.h"
#include "Journal.h"
#include "PortController.h"
#include "ReceiveBuffer.h"
#include "SerialLink.h"
#include "Transmitter.h"
#include "UnsavedWork.h"
#include "WorkingFolder.h"

#include <QMainWindow>
#include <array>
#include <memory>

class ClientPage;
class ConsolePage;
class ConsoleReports;
class ConsoleStatusFeed;
class DailyIntensity;
class DailySchedule;
class ExitQuestion;
class IntensityTask;
class MessageQueue;
class QLabel;
class ScheduleTask;
class SchedulePage;
class ServerPage;
class VideoControl;
class VideoPanel;
class QPushButton;
class QTabWidget;
class RegisterProgressLabel;
class StatusBox;
class StatusDisplay;
class TrayIcon;

// frmMain: the console's one window. It owns the serial link and the pages, wires them
// together, runs the start-up sequence, and lives on in the tray when its close box is
// used; it ends through Exit (the button or the tray menu) or when the system closes it.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static const QString Title; // the long name and " - Version 2.0.0.1"

    // The runners read 'clock'; tests give one of their own.
    explicit MainWindow(const WorkingFolder &folder, QWidget *parent = nullptr,
                        const Clock &clock = Clock::system());
    ~MainWindow() override;

    // The start-up sequence: port, installation file, window, tray icon, then each page in
    // use in page order, and a closing warning when the stored port number was rejected.
    void startUp();

    // Reads ConfigSetup.txt into the page table and the configuration.
    void LoadConfigSetup();

    Transmission TransmitToKVR(int mode, int value, const QByteArray &sValue = QByteArray());
    // Shows the text for a port error code in a message box.
    void CommErrMsg(int code);

    bool pageInUse(Page page) const;
    const InstallationConfig &config() const { return m_config; }
    const WorkingFolder &workingFolder() const { return m_folder; }
    SerialLink &serialLink() { return m_link; }
    MessageQueue &messages() { return *m_messages; }

    // A text in the status line, also written to the log.
    void showStatus(const QString &text);
    // A line of the journal (standard error) under a topic, also shown in the status line.
    void report(const QString &topic, const QString &text,
                Journal::Priority priority = Journal::Priority::Info);

    // Shown, restored and in front: a tray click, the tray's Restore, a second start.
    void bringToFront();

    // The Retransmit action: every current value of the pages in use goes out again.
    void retransmit();
    // What a second console at 'peer' asks for: each page in use loads its current file
    // again, in page order, then Retransmit.
    void refreshPages(const QString &peer);

    // The shutdown steps (server connection closed, tray icon removed, window hidden), run
    // once whichever way the console ends; 'how' names the way in the journal, with the
    // pages whose changes were not saved. It never asks: the Exit button and the tray's Exit
    // ask before they come here.
    void shutDown(const QString &how);

    VideoPanel &videoPanel() { return *m_videoPanel; }
    VideoControl &videoControl() { return *m_videoControl; }
    DailySchedule &dailySchedule() { return *m_daily; }
    ScheduleTask &scheduleTask() { return *m_task; }
    DailyIntensity &dailyIntensity() { return *m_intensity; }
    IntensityTask &intensityTask() { return *m_intTask; }
    ConsoleState &state() { return m_state; }
    // What is in force and what comes next, as the strip and the tray show it.
    ConsoleStatus &consoleStatus() { return m_status; }
    TrayIcon &trayIcon() { return *m_tray; }

signals:
    // The console has shut down; the program ends.
    void ended();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    // Each page in use sends its values again; what was sent, in words.
    QString retransmitPages();
    void connectParts();
    void runPageStartUpActions();
    void openPortDialog();
    void exitConsole();
    void writeHostNameAndEnd();

    WorkingFolder m_folder;
    const Clock &m_clock;
    ConsoleState m_state;
    SerialLink m_link;
    PortController m_ports;
    ReceiveBuffer m_receive;
    Transmitter m_transmitter;
    InstallationConfig m_config;
    std::unique_ptr<VideoPanel> m_videoPanel;
    std::unique_ptr<VideoControl> m_videoControl;
    std::unique_ptr<DailySchedule> m_daily;
    std::unique_ptr<ScheduleTask> m_task;
    std::unique_ptr<DailyIntensity> m_intensity;
    std::unique_ptr<IntensityTask> m_intTask;
    ConsoleStatus m_status;

    MessageQueue *m_messages = nullptr;
    ConsoleReports *m_reports = nullptr;
    ConsoleStatusFeed *m_feed = nullptr;
    UnsavedWork m_unsaved;
    ExitQuestion *m_exitQuestion = nullptr;
    std::unique_ptr<TrayIcon> m_tray;
    QTabWidget *m_tabs = nullptr;
    StatusBox *m_statusBox = nullptr;
    StatusDisplay *m_statusDisplay = nullptr;
    QPushButton *m_retransmit = nullptr;
    QPushButton *m_port = nullptr;
    RegisterProgressLabel *m_registerProgress = nullptr;
    std::array<ConsolePage *, PageCount> m_pages{}; // in page order
    SchedulePage *m_schedulePage = nullptr;
    ClientPage *m_clientPage = nullptr;
    ServerPage *m_serverPage = nullptr;
    bool m_sessionEnding = false;
    bool m_ended = false;
};
