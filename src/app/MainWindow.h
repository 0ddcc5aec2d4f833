#pragma once

#include "Clock.h"
#include "ConfigSetup.h"
#include "ConsoleState.h"
#include "Journal.h"
#include "PortController.h"
#include "ReceiveBuffer.h"
#include "SerialLink.h"
#include "Transmitter.h"
#include "WorkingFolder.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <array>
#include <memory>

class ClientPage;
class ConsolePage;
class DailyIntensity;
class DailySchedule;
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

    void TransmitToKVR(int mode, int value, const QByteArray &sValue = QByteArray());
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

    // Ends the console without saving anything (the tray's Exit, the session's end, a
    // termination signal): once, however often it is asked.
    void shutDown();

    // The Retransmit action: every current value of the pages in use goes out again.
    void retransmit();
    // What a second console asks for: each page in use loads its current file again, in
    // page order, then Retransmit.
    void refreshPages();

    VideoPanel &videoPanel() { return *m_videoPanel; }
    VideoControl &videoControl() { return *m_videoControl; }
    DailySchedule &dailySchedule() { return *m_daily; }
    ScheduleTask &scheduleTask() { return *m_task; }
    DailyIntensity &dailyIntensity() { return *m_intensity; }
    IntensityTask &intensityTask() { return *m_intTask; }
    ConsoleState &state() { return m_state; }

signals:
    // The console has shut down; the program ends.
    void ended();
    // A line went to the journal: what is in force may have changed.
    void reported(const QString &topic);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    void connectSerialLink();
    void connectSchedules();
    template <typename Source>
    void wireFiles(Source *source, const QString &topic);
    void runPageStartUpActions();
    void openPortDialog();
    void showRegisterProgress(int entry, int count);
    void exitConsole();

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

    MessageQueue *m_messages = nullptr;
    std::unique_ptr<TrayIcon> m_tray;
    QTabWidget *m_tabs = nullptr;
    StatusBox *m_statusBox = nullptr;
    StatusDisplay *m_statusDisplay = nullptr;
    QPushButton *m_retransmit = nullptr;
    QPushButton *m_port = nullptr;
    QLabel *m_registerProgress = nullptr;
    QElapsedTimer m_sinceProgressPaint;
    std::array<ConsolePage *, PageCount> m_pages{}; // in page order
    SchedulePage *m_schedulePage = nullptr;
    ClientPage *m_clientPage = nullptr;
    ServerPage *m_serverPage = nullptr;
    bool m_shuttingDown = false;
    bool m_ended = false;
    QString m_lostMessage; // the box saying the serial device is gone, withdrawn when it is back
};
