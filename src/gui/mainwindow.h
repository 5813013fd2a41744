#pragma once

#include "core/settings/serverfilter.h"
#include "gui/controls.h"

#include <QWidget>

#include <memory>

class AboutDialog;
class Application;
class ChatFormatter;
class ChatLogView;
class FriendsWindow;
class LaunchPrompts;
class OptionsDialog;
class ProcessStarter;
class QButtonGroup;
class QCloseEvent;
class QLineEdit;
class QPushButton;
class QTimer;
class ServerListActions;
class ServerListView;
class UsersWindow;
class WatchNotifier;

// The main window: every control of the browser and the chat, the memory
// timer and the status line. It owns the controls and forwards each control
// event; the work is done by the application it is given, which outlives it.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(Application* application, QWidget* parent = nullptr);
    ~MainWindow() override;

    OptionsDialog* optionsDialog() const { return m_optionsDialog; }
    AboutDialog* aboutDialog() const { return m_aboutDialog; }
    UsersWindow* usersWindow() const { return m_usersWindow; }
    // Created on first use.
    FriendsWindow* friendsWindow() const { return m_friendsWindow; }
    WatchNotifier* notifier() const { return m_notifier; }
    ServerListActions* listActions() const { return m_listActions; }

    // Replaces the message boxes and the process start of the game launch
    // (tests see what would be asked and started). The window does not own them.
    void setLaunchServices(LaunchPrompts* prompts, ProcessStarter* starter);

    // A server to join from outside (an rf:// link from the command line or
    // handed over by a later start): raises the window, asks that server and
    // then the start question. The text is checked like any untrusted text.
    void openLink(const QString& text);
    // What a later start hands over: raiseMessage() from a plain start,
    // which brings the window to the front, or else a link for openLink().
    // No link reads as raiseMessage(): links begin with rf://.
    static QString raiseMessage() { return QStringLiteral("raise"); }
    void takeHandOver(const QString& message);

    // The shut-down sequence; Quit and the window's close control both run
    // it. Runs once; emits shutDownComplete() at its end.
    void shutDown();

Q_SIGNALS:
    void shutDownComplete();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void connectBrowser();
    void connectChat();
    void connectLauncher();
    // The background watch: rows updated in place, marks, notifications.
    void connectWatch();
    void updateFriends();
    void showFriends();
    // With the watch on: keep watching from the tray, as the player said
    // once, or else shut down.
    void askCloseToTray();
    void closeWithAnswer(bool keepWatching);
    // The player's choices, with the hide flags of the preferences.
    void setFilter(ServerFilter filter);
    void updateBrowserButtons();
    UsersWindow* ensureUsersWindow();
    void onChatInputEntered();
    void startUp();
    // Shown, not minimized, above the other windows and active.
    void bringToFront();
    void setStatus(const QString& text);
    void onMemoryTick();
    void showOptions();
    void showAbout();
    // F5 and Ctrl+R refresh; Tab passes over the read-only lines.
    void connectKeyboard();
    // A game type or version button: the filter follows both groups' choice,
    // which lives on in varnholt.conf from one start to the next.
    void onFilterClicked();
    void restoreFilterChoice();
    // The window's size and place, kept at shut-down and restored at start.
    void restoreWindowPlace();
    void keepWindowPlace();

    Application* m_app;
    OptionsDialog* m_optionsDialog = nullptr;
    AboutDialog* m_aboutDialog = nullptr;     // created on first use
    UsersWindow* m_usersWindow = nullptr;     // created on first use, then kept
    FriendsWindow* m_friendsWindow = nullptr; // created on first use, then kept
    WatchNotifier* m_notifier = nullptr;

    QLineEdit* m_statusLine = nullptr;
    QLineEdit* m_memoryLine = nullptr;
    QPushButton* m_optionsButton = nullptr;
    QPushButton* m_aboutButton = nullptr;
    QPushButton* m_quitButton = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_getListButton = nullptr;
    QButtonGroup* m_gameTypeButtons = nullptr;
    QButtonGroup* m_versionButtons = nullptr;
    ServerListView* m_serverList = nullptr;
    ChatLogView* m_chatLog = nullptr;
    QLineEdit* m_chatInput = nullptr;
    QPushButton* m_connectButton = nullptr;
    QPushButton* m_disconnectButton = nullptr;
    QPushButton* m_usersButton = nullptr;
    QPushButton* m_friendsButton = nullptr;
    QTimer* m_memoryTimer = nullptr;
    Controls::Built m_controls; // placed anew as the window's size changes

    ServerListActions* m_listActions = nullptr;
    LaunchPrompts* m_launchPrompts = nullptr;
    std::unique_ptr<LaunchPrompts> m_prompts;
    ChatFormatter* m_chatFormatter = nullptr;

    bool m_shutDown = false;
    bool m_askingCloseToTray = false;
};
