#pragma once

#include <QObject>
#include <QSystemTrayIcon>

class QMenu;
class QAction;

// The console's icon in the notification area, tip "PAV Control" and below it the console's
// status. A left click or a double click asks for the window; the right button opens the
// menu (mPopupSys) with Restore and Exit. While the port is not open the icon carries a
// warning mark.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(const QIcon &icon, const QIcon &warningIcon, QObject *parent = nullptr);
    ~TrayIcon() override;

    // The desktop has a notification area to put the icon in.
    static bool desktopHasTray();

    void show();
    // Harmless when the icon is already gone.
    void remove();
    bool isShown() const { return m_icon.isVisible(); }

    // 'toolTip' whole (its first line "PAV Control"); 'warning' puts the mark on the icon.
    void setStatus(const QString &toolTip, bool warning);
    QString toolTip() const { return m_icon.toolTip(); }
    bool showsWarning() const { return m_warning; }

    QMenu *menu() const { return m_menu; }

signals:
    void restoreRequested();
    void exitRequested();

private:
    QSystemTrayIcon m_icon{this}; // a child: found with the tray by findChild
    QIcon m_plain;
    QIcon m_warningIcon;
    bool m_warning = false;
    QMenu *m_menu = nullptr;
};
