#include "MainWindow.h"

#include "AppIcon.h"
#include "AuditTrail.h"
#include "ClientPage.h"
#include "CommErrors.h"
#include "ConsolePage.h"
#include "ConsoleReports.h"
#include "ConsoleStatusFeed.h"
#include "Controls.h"
#include "DailyIntensity.h"
#include "DailySchedule.h"
#include "ExitQuestion.h"
#include "IntensityPage.h"
#include "IntensityTask.h"
#include "IntensityTaskPage.h"
#include "Journal.h"
#include "MessageQueue.h"
#include "NowAndNextStrip.h"
#include "PortSettingDialog.h"
#include "RefreshGate.h"
#include "RegisterPage.h"
#include "RegisterProgressLabel.h"
#include "SchedulePage.h"
#include "ScheduleTask.h"
#include "ScheduleTaskPage.h"
#include "ServerPage.h"
#include "SettingFile.h"
#include "StatusBox.h"
#include "StatusDisplay.h"
#include "TrayIcon.h"
#include "VideoControl.h"
#include "VideoPage.h"
#include "VideoPanel.h"

#include <QApplication>
#include <QCloseEvent>
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
          m_state, m_folder, clock,
          [this](const QString &file) { return m_videoControl->loadSettingFile(file); }, this)),
      m_task(std::make_unique<ScheduleTask>(m_state, *m_daily, clock, this)),
      m_intensity(std::make_unique<DailyIntensity>(
          m_state, m_folder, clock, [this](int mode, int value) { return TransmitToKVR(mode, value).whyNot; },
          this)),
      m_intTask(std::make_unique<IntensityTask>(m_state, *m_intensity, clock, this)), m_status(clock)
{
    // The runners are the window's children (their timers are found by name under it); the
    // members still own them and go first, which takes them off the window's children.
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Title);
    setWindowIcon(appIcon());
    m_messages = new MessageQueue(this);
    m_exitQuestion = new ExitQuestion(m_unsaved, this);
    m_tray = std::make_unique<TrayIcon>(appIcon(), appIcon(true));
    buildWindow();
    connectParts();

    connect(m_tray.get(), &TrayIcon::restoreRequested, this, &MainWindow::bringToFront);
    connect(m_tray.get(), &TrayIcon::exitRequested, this,
            [this] { m_exitQuestion->ask([this] { shutDown(QStringLiteral("the tray's Exit")); }); });
    // The system ending the session closes the console for good, not into the tray; the
    // shutdown steps run then, or at the latest when the application is told to quit.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { m_sessionEnding = true; });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { shutDown(QStringLiteral("the application quits")); });
}

MainWindow::~MainWindow()
{
    // Nothing that goes from here on may reach the journal or the status through them.
    delete m_feed;
    delete m_reports;
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
    m_serverPage = new ServerPage(m_folder, m_tabs);
    connect(m_serverPage, &ServerPage::notice, this,
            [this](const QString &text) { report(QStringLiteral("remote"), text); });
    connect(m_serverPage, &ServerPage::refreshRequested, this, &MainWindow::refreshPages);
    // A refresh waits while earlier frames still wait for the line.
    m_serverPage->refreshGate().setLineBusy([this] { return m_link.queuedBytes() > 0; });
    connect(&m_link, &SerialLink::drained, &m_serverPage->refreshGate(), &RefreshGate::lineDrained);
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
    layout->addWidget(new NowAndNextStrip(m_status, central));
    layout->addLayout(statusRow);
    layout->addLayout(buttonRow);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    m_registerProgress = new RegisterProgressLabel(this);
    statusBar()->addPermanentWidget(m_registerProgress);
}

void MainWindow::connectParts()
{
    const ConsoleParts parts{m_state,  m_link,  m_ports,      m_transmitter, *m_videoControl,
                             *m_daily, *m_task, *m_intensity, *m_intTask};
    m_reports = new ConsoleReports(
        parts, *m_messages, [this](const auto &...line) { report(line...); },
        [this] { retransmit(); }, this);
    m_feed = new ConsoleStatusFeed(m_status, parts, *m_serverPage, *m_clientPage, this);
    connect(&m_status, &ConsoleStatus::changed, this,
            [this] { m_tray->setStatus(m_status.toolTip(), !m_status.portOpen()); });

    connect(&m_link, &SerialLink::received, m_statusDisplay, &StatusDisplay::received);
    connect(&m_transmitter, &Transmitter::receiveCleared, m_statusDisplay, &StatusDisplay::transmitted);
    m_videoControl->setRegisterProgress(
        [this](int entry, int count) { m_registerProgress->showProgress(entry, count); });
    m_task->setSettingCheck(&SettingFile::problem);
}

void MainWindow::startUp()
{
    m_ports.OpenComSetting();
    const int portError = m_ports.lastOpenError();
    if (!m_link.isOpen())
        m_messages->post(Journal::Priority::Error, PortController::InvalidPortMessage, {}, {}, m_ports.openAdvice());
    m_link.clearInput();
    m_daily->stopRunner();
    m_intTask->stopRunner();
    m_task->stopRunner();

    LoadConfigSetup();
    m_feed->setPagesInUse(m_config);

    show();
    repaint();
    Journal::write(QStringLiteral("start"), QStringLiteral("window shown; working folder %1").arg(m_folder.path()));

    m_tray->show();

    m_feed->during(QStringLiteral("at start-up"), [this] { runPageStartUpActions(); });

    if (portError == CommError::InvalidPortNumber) {
        m_messages->post(QStringLiteral(" Please Select Correct Comm Port !"),
                         QStringLiteral("Open Comm Error"), QMessageBox::Warning);
    }
}

void MainWindow::LoadConfigSetup()
{
    const ConfigSetupRead read = ConfigSetup::read(m_folder.file(QStringLiteral("ConfigSetup.txt")));
    m_config = read.config;
    m_state.ClientConsole = pageInUse(Page::Client);
    for (const auto &[priority, text] : read.messages(m_folder.path()))
        m_messages->post(priority, text);

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
    m_transmitter.setIntensityLevels(m_config.IntensityLevels, m_config.IntensityLevelNames);
    m_intensity->setConfiguration(m_config.IntensityLevelNames.mid(0, m_config.IntensityLevelCount),
                                  m_config.WatchdogEnabled != 0);
    m_videoControl->setPagesPresent(pageInUse(Page::Video), pageInUse(Page::NVideo));
    m_schedulePage->setVideoPagesInUse(pageInUse(Page::Video), pageInUse(Page::NVideo));
    for (int i = 0; i < PageCount; ++i) {
        const UnsavedChanges *changes = m_pages[static_cast<size_t>(i)]->unsavedChanges();
        if (changes && m_config.inUse[static_cast<size_t>(i)])
            m_unsaved.watch(m_config.captions[static_cast<size_t>(i)], *changes);
    }
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
        if (!pageInUse(static_cast<Page>(i)))
            continue;
        const AuditTrail::Scope cause(QStringLiteral("start-up of the %1 page").arg(m_config.captions[size_t(i)]));
        m_pages[static_cast<size_t>(i)]->startUp();
    }
}

void MainWindow::retransmit()
{
    report(QStringLiteral("retransmit"), retransmitPages());
}

QString MainWindow::retransmitPages()
{
    const qint64 before = m_transmitter.framesWritten();
    for (int i = 0; i < PageCount; ++i) {
        if (pageInUse(static_cast<Page>(i)))
            m_pages[static_cast<size_t>(i)]->retransmit();
    }
    if (!m_link.isOpen()) {
        return QStringLiteral(
            "Retransmit: the serial port is closed; nothing was sent. Choose the port with Port "
            "Setting.");
    }
    return QStringLiteral("Retransmit: %1 frames sent").arg(m_transmitter.framesWritten() - before);
}

void MainWindow::refreshPages(const QString &peer)
{
    const QStringList unsaved = m_unsaved.pages();
    QString sent;
    const AuditTrail::Scope cause(QStringLiteral("the refresh %1 asked for").arg(peer));
    m_feed->during(QStringLiteral("by the refresh %1 asked for").arg(peer), [&] {
        for (int i = 0; i < PageCount; ++i) {
            if (pageInUse(static_cast<Page>(i)))
                m_pages[static_cast<size_t>(i)]->refresh();
        }
        sent = retransmitPages();
    });
    // The journal sums refreshes up per client (the server page's lines); each one
    // shows in the status line only, unless it replaced changes not saved.
    QString line = QStringLiteral("Refresh asked by %1: %2").arg(peer, sent);
    const QStringList replaced = m_unsaved.lostSince(unsaved);
    if (!replaced.isEmpty()) {
        line += QStringLiteral("; it replaced the changes not saved on the pages %1")
                    .arg(replaced.join(QStringLiteral(", ")));
        Journal::write(QStringLiteral("remote"), line);
    }
    statusBar()->showMessage(line);
    statusBar()->setToolTip(line);
}

Transmission MainWindow::TransmitToKVR(int mode, int value, const QByteArray &sValue)
{
    return m_transmitter.TransmitToKVR(mode, value, sValue);
}

void MainWindow::CommErrMsg(int code)
{
    m_messages->post(Journal::Priority::Error, CommErrorText(code)); // a frame that could not be written
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
    m_exitQuestion->ask([this] { writeHostNameAndEnd(); });
}

void MainWindow::writeHostNameAndEnd()
{
    // A console that cannot keep the client's server name keeps running rather than lose it.
    const QString failure = m_clientPage->writeHostName(pageInUse(Page::Client));
    if (!failure.isEmpty()) {
        showStatus(QStringLiteral("Exit stopped: %1 could not be written (%2).").arg(ClientPage::HostNameFile, failure));
        return;
    }
    m_tray->remove();
    shutDown(QStringLiteral("Exit"));
}

void MainWindow::shutDown(const QString &how)
{
    // Whichever way the console ends, these steps run once.
    if (m_ended)
        return;
    m_ended = true;
    m_reports->consoleEnds();
    m_exitQuestion->withdraw(); // a session end or a signal does not wait for the operator
    if (pageInUse(Page::Server))
        m_serverPage->closeDown();
    m_tray->remove();
    hide();
    const QStringList unsaved = m_unsaved.pages();
    Journal::write(
        QStringLiteral("exit"),
        unsaved.isEmpty()
            ? QStringLiteral("the console ends (%1)").arg(how)
            : QStringLiteral("the console ends (%1); the changes not saved on the pages %2 are lost")
                  .arg(how, unsaved.join(QStringLiteral(", "))));
    emit ended();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_sessionEnding)
        shutDown(QStringLiteral("the session ends"));
    if (m_ended) {
        event->accept();
        return;
    }
    // The close box keeps the console running in the tray; without a tray it only
    // minimises, so the window can always be found again.
    event->ignore();
    if (TrayIcon::desktopHasTray()) {
        hide();
        return;
    }
    showMinimized();
    showStatus(QStringLiteral("This desktop has no notification area (tray), so the window was minimised "
                              "rather than hidden; the console keeps running. Exit ends it."));
}
