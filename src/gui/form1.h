#pragma once

#include <QWidget>

#include <memory>

class ChatFormatter;
class ChatLogView;
class QButtonGroup;
class ChatSession;
class QCloseEvent;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class ServerListView;
class Settings;
class GameLauncher;
class LaunchPrompts;
class ProcessStarter;
class ServerBrowser;
class AboutDialog;
class OptionsDialog;
class UsersWindow;

// The main window: every control of the browser and the chat, the memory
// timer and the status line. It owns the controls and
// forwards each control event to one handler; the work is done by the
// browser and chat classes it wires up.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    Settings* settings() const { return m_settings; }
    OptionsDialog* optionsDialog() const { return m_frmoptions; }
    AboutDialog* aboutBox() const { return m_frmabout; }
    UsersWindow* usersWindow() const { return m_frmusers; }
    ServerBrowser* browser() const { return m_browser; }
    ChatSession* chatSession() const { return m_irc; }

    // Replaces the message boxes and the process start of the game launch
    // (tests see what would be asked and started). Form1 does not own them.
    void setLaunchServices(LaunchPrompts* prompts, ProcessStarter* starter);

    // The shut-down sequence; Quit and the window's close control both run
    // it. Runs once; emits shutDownComplete() at its end.
    void shutDown();

Q_SIGNALS:
    void shutDownComplete();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectBrowser();
    void connectChat();
    void updateBrowserButtons();
    UsersWindow* ensureUsersWindow();
    void onChatInputEntered();
    void startUp();
    void setStatus(const QString& text);
    void onMemoryTick();
    void onOptionsClicked();
    void onAboutClicked();

    Settings* m_settings = nullptr;
    OptionsDialog* m_frmoptions = nullptr;
    AboutDialog* m_frmabout = nullptr; // created on first use
    UsersWindow* m_frmusers = nullptr; // created on first use, then kept

    QLineEdit* m_txtstat = nullptr;
    QLineEdit* m_memstat = nullptr;
    QPushButton* m_btnoptions = nullptr;
    QPushButton* m_btnabout = nullptr;
    QPushButton* m_btnexit = nullptr;
    QPushButton* m_btnrefresh = nullptr;
    QPushButton* m_btngetlist = nullptr;
    QRadioButton* m_optdm = nullptr;
    QRadioButton* m_opttdm = nullptr;
    QRadioButton* m_optctf = nullptr;
    QRadioButton* m_opttall = nullptr;
    QRadioButton* m_opt0 = nullptr;
    QRadioButton* m_opt1 = nullptr;
    QRadioButton* m_opt2 = nullptr;
    QRadioButton* m_opt3 = nullptr;
    QRadioButton* m_optvall = nullptr;
    ServerListView* m_serverlist = nullptr;
    ChatLogView* m_irctxt = nullptr;
    QLineEdit* m_irccom = nullptr;
    QPushButton* m_btnirccnt = nullptr;
    QPushButton* m_btnircdiscnnt = nullptr;
    QPushButton* m_btnusers = nullptr;
    QTimer* m_memtimer = nullptr;
    QButtonGroup* m_gameTypeFilters = nullptr;
    QButtonGroup* m_versionFilters = nullptr;

    ServerBrowser* m_browser = nullptr;
    GameLauncher* m_launcher = nullptr;
    std::unique_ptr<LaunchPrompts> m_prompts;
    std::unique_ptr<ProcessStarter> m_processStarter;
    ChatSession* m_irc = nullptr;
    ChatFormatter* m_chatFormatter = nullptr;

    bool m_shutDown = false;
};
