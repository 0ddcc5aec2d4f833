#pragma once

#include <QObject>
#include <QSystemTrayIcon>

class QMenu;
class QAction;

// The console's icon in the notification area, tip "PAV Control". A left click or a double
// click asks for the window; the right button opens the menu (mPopupSys) with Restore and
// Exit.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(const QIcon &icon, QObject *parent = nullptr);
    ~TrayIcon() override;

    // The desktop has a notification area to put the icon in.
    static bool desktopHasTray();

    void show();
    // Harmless when the icon is already gone.
    void remove();
    bool isShown() const { return m_icon.isVisible(); }

    QMenu *menu() const { return m_menu; }

signals:
    void restoreRequested();
    void exitRequested();

private:
    QSystemTrayIcon m_icon;
    QMenu *m_menu = nullptr;
};
