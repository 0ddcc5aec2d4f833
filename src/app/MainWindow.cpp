#include "MainWindow.h"

#include "AppIcon.h"
#include "ClientPage.h"
#include "CommErrors.h"
#include "ConsolePage.h"
#include "Controls.h"
#include "DailyIntensity.h"
#include "DailySchedule.h"
#include "FrameBuilder.h"
#include "IntensityPage.h"
#include "Journal.h"
#include "IntensityTask.h"
#include "IntensityTaskPage.h"
#include "MessageQueue.h"
#include "PortSettingDialog.h"
#include "RecordWriter.h"
#include "RegisterPage.h"
#include "SafeFile.h"
#include "SchedulePage.h"
#include "ScheduleTask.h"
#include "ScheduleTaskPage.h"
#include "ServerPage.h"
#include "StatusBox.h"
#include "StatusDisplay.h"
#include "TrayIcon.h"
#include "VideoControl.h"
#include "VideoPage.h"
#include "VideoPanel.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSessionManager>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

const QString MainWindow::Title = QStringLiteral("PAV Control Console - Version 2.0.0.1");

MainWindow::MainWindow(const WorkingFolder &folder, QWidget *parent, const Clock &clock)
    : QMainWindow(parent), m_folder(folder), m_clock(clock), m_ports(m_link, m_folder), m_transmitter(m_link),
      m_videoPanel(std::make_unique<VideoPanel>(m_transmitter)),
      m_videoControl(std::make_unique<VideoControl>(*m_videoPanel, m_transmitter, m_folder, m_state)),
      m_daily(std::make_unique<DailySchedule>(
          m_state, m_folder, clock, [this](const QString &file) { return m_videoControl->OpenSettingFile(file); },
          this)),
      m_task(std::make_unique<ScheduleTask>(m_state, *m_daily, clock, this)),
      m_intensity(std::make_unique<DailyIntensity>(
          m_state, m_folder, clock, [this](int mode, int value) { TransmitToKVR(mode, value); }, this)),
      m_intTask(std::make_unique<IntensityTask>(m_state, *m_intensity, clock, this))
{
    // The runners are the window's children (their timers are found by name under it); the
    // members still own them and go first, which takes them off the window's children.
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Title);
    setWindowIcon(appIcon());
    m_messages = new MessageQueue(this);
    m_tray = std::make_unique<TrayIcon>(appIcon());
    buildWindow();
    connectSerialLink();
    connectSchedules();

    connect(m_tray.get(), &TrayIcon::restoreRequested, this, &MainWindow::bringToFront);
    connect(m_tray.get(), &TrayIcon::exitRequested, this, &MainWindow::shutDown);
    // The system ending the session closes the console for good, not into the tray.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { m_shuttingDown = true; });
}

MainWindow::~MainWindow()
{
    // The pages show tables that members own: they go first, before the members do.
    delete takeCentralWidget();
}

void MainWindow::buildWindow()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);

    m_tabs = new QTabWidget(central);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_schedulePage = new SchedulePage(*m_daily, m_state, m_tabs);
    m_clientPage = new ClientPage(m_folder, *m_messages, m_tabs);
    m_serverPage = new ServerPage(m_tabs);
    connect(m_serverPage, &ServerPage::refreshRequested, this, [this](const QString &peer) {
        report(QStringLiteral("remote"), QStringLiteral("Refresh asked by %1").arg(peer));
        refreshPages();
    });
    m_pages = {new VideoPage(*m_videoPanel, *m_videoControl, m_tabs),
               new RegisterPage(*m_videoPanel, *m_videoControl, m_tabs),
               m_schedulePage,
               new ScheduleTaskPage(*m_task, m_state, m_clock, m_tabs),
               new IntensityPage(*m_intensity, m_state, m_clock, m_tabs),
               new IntensityTaskPage(*m_intTask, m_state, m_clock, m_tabs),
               m_clientPage,
               m_serverPage};
    for (int i = 0; i < PageCount; ++i) {
        m_pages[static_cast<size_t>(i)]->setObjectName(QStringLiteral("page") + designCaption(i));
        m_tabs->addTab(m_pages[static_cast<size_t>(i)], designCaption(i));
    }
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && index < PageCount)
            m_tabs->setToolTip(pageToolTip(index));
    });
    m_tabs->setToolTip(pageToolTip(m_tabs->currentIndex()));

    m_statusBox = new StatusBox(central);
    m_statusBox->setObjectName(QStringLiteral("txtStatus"));
    m_statusBox->setMinimumHeight(60);
    m_statusDisplay = new StatusDisplay(m_receive, *m_statusBox, this);
    QPushButton *clear = makeButton(central, "cmdClear", QStringLiteral("Cl&ear"));
    connect(clear, &QPushButton::clicked, m_statusDisplay, &StatusDisplay::clearBox);

    m_retransmit = makeButton(central, "cmdRetransmit", QStringLiteral("&Retransmit"));
    m_port = makeButton(central, "cmdPort", QStringLiteral("&Port Setting"));
    QPushButton *exit = makeButton(central, "cmdExit", QStringLiteral("E&xit"));
    connect(m_port, &QPushButton::clicked, this, &MainWindow::openPortDialog);
    connect(m_retransmit, &QPushButton::clicked, this, &MainWindow::retransmit);
    connect(exit, &QPushButton::clicked, this, &MainWindow::exitConsole);

    auto *version = new QLabel(QStringLiteral("Version 2.0"), central);
    version->setObjectName(QStringLiteral("lblVersion"));

    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(m_statusBox, 1);
    statusRow->addWidget(clear, 0, Qt::AlignTop);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(version);
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_retransmit);
    buttonRow->addWidget(m_port);
    buttonRow->addWidget(exit);

    auto *layout = new QVBoxLayout(central);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(statusRow);
    layout->addLayout(buttonRow);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    // Room for the longest progress text is kept, because the text changes while the event
    // loop (and with it any new layout) is held up.
    m_registerProgress = new QLabel(this);
    m_registerProgress->setObjectName(QStringLiteral("lblRegisterProgress"));
    m_registerProgress->setMinimumWidth(m_registerProgress->fontMetrics().horizontalAdvance(
        QStringLiteral("Sending VGA registers: entry 32767 of 32767")));
    statusBar()->addPermanentWidget(m_registerProgress);
}

void MainWindow::connectSerialLink()
{
    connect(&m_link, &SerialLink::received, m_statusDisplay, &StatusDisplay::received);
    connect(&m_transmitter, &Transmitter::receiveCleared, m_statusDisplay, &StatusDisplay::transmitted);
    connect(&m_transmitter, &Transmitter::frameRejected, this,
            [this](const QString &text) { report(QStringLiteral("frame"), text, Journal::Priority::Error); });
    connect(&m_transmitter, &Transmitter::writeFailed, this, &MainWindow::CommErrMsg);
    connect(&m_ports, &PortController::message, this,
            [this](const QString &text) { m_messages->post(Journal::Priority::Error, text); });
    // The port controller speaks only of a port that did not open or a file it refused.
    connect(&m_ports, &PortController::status, this,
            [this](const QString &text) { report(QStringLiteral("port"), text, Journal::Priority::Error); });

    connect(&m_link, &SerialLink::lost, this, [this](const QString &device, const QString &reason) {
        m_lostMessage = QStringLiteral("The serial device %1 is gone (%2). The console tries to open it again "
                                       "every few seconds.")
                            .arg(device, reason);
        report(QStringLiteral("port"), m_lostMessage, Journal::Priority::Error);
        m_messages->post(Journal::Priority::Error, m_lostMessage);
    });
    connect(&m_link, &SerialLink::restored, this, [this](const QString &device) {
        // The box saying it is gone is no longer true.
        m_messages->withdraw(m_lostMessage);
        // The controller may have been powered off with the adapter: give it everything again.
        retransmit();
        report(QStringLiteral("port"),
               QStringLiteral("The serial device %1 is back and open again; the current settings went out "
                              "again.")
                   .arg(device));
    });

    wireFiles(m_videoControl.get(), QStringLiteral("setting"));
    m_videoControl->setRegisterProgress([this](int entry, int count) { showRegisterProgress(entry, count); });
}

// A load that fails goes to the status line and the journal (the console runs on
// unattended); a save that fails is for the operator who asked for it, a save that worked
// is confirmed in the status line.
template <typename Source>
void MainWindow::wireFiles(Source *source, const QString &topic)
{
    connect(source, &Source::loadFailed, this,
            [this](const QString &text) { report(QStringLiteral("load"), text, Journal::Priority::Error); });
    connect(source, &Source::saveFailed, this, [this](const QString &text) {
        report(QStringLiteral("save"), text, Journal::Priority::Error);
        m_messages->post(Journal::Priority::Error, text);
    });
    connect(source, &Source::saved, this,
            [this](const QString &path) { report(QStringLiteral("save"), QStringLiteral("Saved %1").arg(path)); });
    connect(source, &Source::status, this, [this, topic](const QString &text) { report(topic, text); });
}

void MainWindow::connectSchedules()
{
    wireFiles(m_daily.get(), QStringLiteral("schedule"));
    wireFiles(m_task.get(), QStringLiteral("schedule task"));
    wireFiles(m_intensity.get(), QStringLiteral("intensity"));
    wireFiles(m_intTask.get(), QStringLiteral("intensity task"));
    connect(m_intensity.get(), &DailyIntensity::warning, this, [this](const QString &text) {
        report(QStringLiteral("intensity"), text, Journal::Priority::Warning);
    });
    connect(m_intensity.get(), &DailyIntensity::levelSent, this, [this](int position) {
        report(QStringLiteral("intensity"),
               QStringLiteral("Level %1 sent").arg(m_intensity->levelNames().value(position, QString::number(position))));
    });
}

void MainWindow::startUp()
{
    m_ports.OpenComSetting();
    const int portError = m_ports.lastOpenError();
    if (!m_link.isOpen())
        m_messages->post(Journal::Priority::Error, PortController::InvalidPortMessage);
    m_link.clearInput();
    m_daily->stopRunner();
    m_intTask->stopRunner();
    m_task->stopRunner();

    LoadConfigSetup();

    show();
    repaint();
    Journal::write(QStringLiteral("start"), QStringLiteral("window shown; working folder %1").arg(m_folder.path()));

    m_tray->show();

    runPageStartUpActions();

    if (portError == CommError::InvalidPortNumber) {
        m_messages->post(QStringLiteral(" Please Select Correct Comm Port !"),
                         QStringLiteral("Open Comm Error"), QMessageBox::Warning);
    }
}

void MainWindow::LoadConfigSetup()
{
    const ConfigSetupRead read = ConfigSetup::read(m_folder.file(QStringLiteral("ConfigSetup.txt")));
    m_config = read.config;
    if (!read.problem.isEmpty() && read.pageRecordsRead == 0) {
        m_messages->post(
            Journal::Priority::Error,
            QStringLiteral("ConfigSetup.txt in %1 cannot be used: %2. The console goes on with no page "
                           "in use.")
                .arg(m_folder.path(), read.problem));
    } else if (!read.problem.isEmpty()) {
        m_messages->post(Journal::Priority::Error,
                         QStringLiteral("ConfigSetup.txt in %1 breaks off: %2. The %3 page records read "
                                        "before that are used; the other pages are off.")
                             .arg(m_folder.path(), read.problem)
                             .arg(read.pageRecordsRead));
    }
    if (!read.warning.isEmpty())
        m_messages->post(QStringLiteral("ConfigSetup.txt: %1.").arg(read.warning));

    const QColor captionColour(0, 0, 128);
    for (int i = 0; i < PageCount; ++i) {
        const bool used = m_config.inUse[static_cast<size_t>(i)];
        m_tabs->setTabText(i, m_config.captions[static_cast<size_t>(i)]);
        m_tabs->tabBar()->setTabTextColor(i, captionColour);
        m_tabs->setTabVisible(i, used);
        m_tabs->setTabEnabled(i, used);
    }
    for (int i = 0; i < PageCount; ++i) {
        if (m_config.inUse[static_cast<size_t>(i)]) {
            m_tabs->setCurrentIndex(i);
            break;
        }
    }
    m_transmitter.setIntensityLevels(m_config.IntensityLevels);
    m_intensity->setConfiguration(m_config.IntensityLevelNames.mid(0, m_config.IntensityLevelCount),
                                  m_config.WatchdogEnabled != 0);
    m_videoControl->setPagesPresent(pageInUse(Page::Video), pageInUse(Page::NVideo));
    m_schedulePage->setVideoPagesInUse(pageInUse(Page::Video), pageInUse(Page::NVideo));
}

bool MainWindow::pageInUse(Page page) const
{
    return m_config.pageInUse(page);
}

void MainWindow::runPageStartUpActions()
{
    // Each page that is in use prepares itself here, in page order; a later page may set
    // buttons of an earlier one, and the later setting wins.
    for (int i = 0; i < PageCount; ++i) {
        if (pageInUse(static_cast<Page>(i)))
            m_pages[static_cast<size_t>(i)]->startUp();
    }
}

void MainWindow::retransmit()
{
    const qint64 before = m_transmitter.framesWritten();
    for (int i = 0; i < PageCount; ++i) {
        if (pageInUse(static_cast<Page>(i)))
            m_pages[static_cast<size_t>(i)]->retransmit();
    }
    if (!m_link.isOpen()) {
        report(QStringLiteral("retransmit"), QStringLiteral("Retransmit: the serial port is closed; nothing was sent. "
                                                            "Choose the port with Port Setting."));
        return;
    }
    report(QStringLiteral("retransmit"),
           QStringLiteral("Retransmit: %1 frames sent").arg(m_transmitter.framesWritten() - before));
}

void MainWindow::refreshPages()
{
    for (int i = 0; i < PageCount; ++i) {
        if (pageInUse(static_cast<Page>(i)))
            m_pages[static_cast<size_t>(i)]->refresh();
    }
    retransmit();
}

void MainWindow::showRegisterProgress(int entry, int count)
{
    // The register send holds the event loop, so the display is repainted directly, a few
    // times a second at most.
    if (entry >= count) {
        m_registerProgress->clear();
        return;
    }
    if (entry > 1 && m_sinceProgressPaint.isValid() && m_sinceProgressPaint.elapsed() < 100)
        return;
    m_sinceProgressPaint.start();
    m_registerProgress->setText(
        QStringLiteral("Sending VGA registers: entry %1 of %2").arg(entry).arg(count));
    if (m_registerProgress->isVisible())
        m_registerProgress->repaint();
}

void MainWindow::TransmitToKVR(int mode, int value, const QByteArray &sValue)
{
    m_transmitter.TransmitToKVR(mode, value, sValue);
}

void MainWindow::CommErrMsg(int code)
{
    // The only caller is a frame that could not be written.
    m_messages->post(Journal::Priority::Error, CommErrorText(code));
}

void MainWindow::showStatus(const QString &text)
{
    report(QStringLiteral("status"), text);
}

void MainWindow::report(const QString &topic, const QString &text, Journal::Priority priority)
{
    Journal::write(topic, text, priority);
    const QString line = QString(text).replace(QLatin1Char('\r'), QStringLiteral(": "));
    // The bar shows what fits; the whole text stays readable in its tooltip.
    statusBar()->showMessage(line);
    statusBar()->setToolTip(line);
    emit reported(topic);
}

void MainWindow::bringToFront()
{
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::openPortDialog()
{
    PortSettingDialog dialog(m_ports, this);
    dialog.exec();
}

void MainWindow::exitConsole()
{
    // HostName.txt keeps the client's server name for the next start; a console that cannot
    // write it keeps running rather than lose the name. Without a client page in use the
    // name is empty.
    const QString hostName = pageInUse(Page::Client) ? m_clientPage->hostName() : QString();
    const QString &file = ClientPage::HostNameFile;
    const QString failure =
        writeWholeFile(m_folder.file(file), RecordWriter().text(hostName).endRecord().bytes());
    if (!failure.isEmpty()) {
        showStatus(QStringLiteral("Exit stopped: %1 could not be written (%2).").arg(file, failure));
        return;
    }
    m_tray->remove();
    shutDown();
}

void MainWindow::shutDown()
{
    if (m_ended)
        return;
    m_ended = true;
    m_shuttingDown = true;
    if (pageInUse(Page::Server))
        m_serverPage->server().closeConnection();
    m_tray->remove();
    hide();
    Journal::write(QStringLiteral("exit"), QStringLiteral("the console ends"));
    emit ended();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_shuttingDown) {
        // The system closes the window at the session's end: the console ends with it.
        event->accept();
        shutDown();
        return;
    }
    // The close box keeps the console running in the tray; without a tray it only
    // minimises, so the window can always be found again.
    event->ignore();
    if (TrayIcon::desktopHasTray())
        hide();
    else
        showMinimized();
}
