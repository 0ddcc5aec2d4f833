#include "TrayIcon.h"

#include <QMenu>

// The plain icon, then the one with the warning mark, as the header declares them.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
TrayIcon::TrayIcon(const QIcon &icon, const QIcon &warningIcon, QObject *parent)
    : QObject(parent), m_plain(icon), m_warningIcon(warningIcon),
      m_menu(new QMenu(QStringLiteral("&SysTray")))
{
    m_menu->setObjectName(QStringLiteral("mPopupSys"));
    QAction *restore = m_menu->addAction(QStringLiteral("&Restore"));
    restore->setObjectName(QStringLiteral("mPopRestore"));
    QAction *exit = m_menu->addAction(QStringLiteral("&Exit"));
    exit->setObjectName(QStringLiteral("mPopExit"));
    connect(restore, &QAction::triggered, this, &TrayIcon::restoreRequested);
    connect(exit, &QAction::triggered, this, &TrayIcon::exitRequested);

    m_icon.setIcon(icon);
    m_icon.setToolTip(QStringLiteral("PAV Control"));
    m_icon.setContextMenu(m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit restoreRequested();
    });
}

TrayIcon::~TrayIcon()
{
    delete m_menu;
}

bool TrayIcon::desktopHasTray()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::show()
{
    if (desktopHasTray())
        m_icon.show();
}

void TrayIcon::remove()
{
    m_icon.hide();
}

void TrayIcon::setStatus(const QString &toolTip, bool warning)
{
    // Each change travels to the desktop's notification area: only real changes are sent.
    if (m_icon.toolTip() != toolTip)
        m_icon.setToolTip(toolTip);
    if (warning != m_warning) {
        m_warning = warning;
        m_icon.setIcon(warning ? m_warningIcon : m_plain);
    }
}
