#pragma once

#include "core/browser/watchnotices.h"
#include "core/wire/serverendpoint.h"

#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;
class QWidget;

// Tells the player what the watch saw: through the system tray's icon
// while the watch is on; where the desktop has no tray, in the status line
// and the window's title instead. The tray's menu shows the window or quits.
class WatchNotifier : public QObject
{
    Q_OBJECT
public:
    // `window` is the main window, whose title carries a notice without a tray.
    explicit WatchNotifier(QWidget* window);
    ~WatchNotifier() override;

    // Whether this desktop has a tray; without one the window cannot hide in it.
    static bool trayAvailable();
    // The tray's icon shows while the watch is on.
    void setWatching(bool on);
    void notify(const WatchNotice& notice);
    // The window's title without a notice (the player has seen it).
    void clearTitle();

    QSystemTrayIcon* trayIcon() const { return m_tray; }

Q_SIGNALS:
    // The status line's text, where there is no tray.
    void statusText(const QString& text);
    // The player clicked a notice of this server.
    void noticeClicked(const ServerEndpoint& server);
    void showRequested();
    void quitRequested();

private:
    QWidget* m_window;
    // Created only where there is a tray.
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_menu = nullptr;
    QString m_title;
    ServerEndpoint m_lastServer;
};
