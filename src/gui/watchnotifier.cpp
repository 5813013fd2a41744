#include "gui/watchnotifier.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

WatchNotifier::WatchNotifier(QWidget* window) : QObject(window), m_window(window)
{
    if (!trayAvailable())
        return;
    m_menu = new QMenu;
    m_menu->setObjectName(QStringLiteral("traymenu"));
    m_menu->addAction(QStringLiteral("&Show Varnholt"), this, &WatchNotifier::showRequested);
    m_menu->addAction(QStringLiteral("&Quit"), this, &WatchNotifier::quitRequested);
    m_tray = new QSystemTrayIcon(window->windowIcon(), this);
    m_tray->setObjectName(QStringLiteral("trayicon"));
    m_tray->setToolTip(QStringLiteral("Varnholt: watching the servers"));
    m_tray->setContextMenu(m_menu);
    connect(m_tray, &QSystemTrayIcon::messageClicked, this,
            [this] { Q_EMIT noticeClicked(m_lastServer); });
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
                    Q_EMIT showRequested();
            });
}

WatchNotifier::~WatchNotifier()
{
    // The tray's menu has no parent: the tray does not own it.
    delete m_menu;
}

bool WatchNotifier::trayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void WatchNotifier::setWatching(bool on)
{
    if (m_tray)
        m_tray->setVisible(on);
}

void WatchNotifier::notify(const WatchNotice& notice)
{
    m_lastServer = notice.server;
    if (m_tray && m_tray->isVisible()) {
        m_tray->showMessage(QStringLiteral("Varnholt"), notice.text);
        return;
    }
    if (m_title.isEmpty())
        m_title = m_window->windowTitle();
    m_window->setWindowTitle(QStringLiteral("%1 - %2").arg(notice.text, m_title));
    Q_EMIT statusText(notice.text);
}

void WatchNotifier::clearTitle()
{
    if (m_title.isEmpty())
        return;
    m_window->setWindowTitle(m_title);
    m_title.clear();
}
