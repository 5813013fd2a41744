#pragma once

#include <QWidget>

#include <memory>

class ChatFormatter;
class ChatLogView;
class ChatSession;
class QCloseEvent;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class ServerListView;
class Settings;
class Socket;
class GameLauncher;
class LaunchPrompts;
class MasterListRetrieval;
class ProcessStarter;
class QueryCycle;
class frmabout;
class frmoptions;
class frmusers;

// The main window: every control of the browser and the chat, the browser's
// two sockets, the memory timer and the status line. It owns the controls and
// forwards each control event to one handler; the work is done by the
// browser and chat classes it wires up.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    Settings* settings() const { return m_settings; }
    frmoptions* optionsDialog() const { return m_frmoptions; }
    frmabout* aboutBox() const { return m_frmabout; }
    frmusers* usersWindow() const { return m_frmusers; }
    MasterListRetrieval* masterList() const { return m_masterList; }
    QueryCycle* queryCycle() const { return m_queryCycle; }
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
    frmusers* ensureUsersWindow();
    void onChatInputEntered();
    void startUp();
    void setStatus(const QString& text);
    void onMemoryTick();
    void onOptionsClicked();
    void onAboutClicked();

    Settings* m_settings = nullptr;
    frmoptions* m_frmoptions = nullptr;
    frmabout* m_frmabout = nullptr; // created on first use
    frmusers* m_frmusers = nullptr; // created on first use, then kept

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
    Socket* m_wsrf = nullptr;
    Socket* m_wsrf2 = nullptr;

    MasterListRetrieval* m_masterList = nullptr;
    QueryCycle* m_queryCycle = nullptr;
    GameLauncher* m_launcher = nullptr;
    std::unique_ptr<LaunchPrompts> m_prompts;
    std::unique_ptr<ProcessStarter> m_processStarter;
    ChatSession* m_irc = nullptr;
    ChatFormatter* m_chatFormatter = nullptr;

    bool m_shutDown = false;
};
