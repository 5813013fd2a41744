#include "gui/form1.h"

#include "core/browser/gamelauncher.h"
#include "core/browser/serverbrowser.h"
#include "core/browser/serverentry.h"
#include "core/browser/systemprocessstarter.h"
#include "core/chat/chatsession.h"
#include "core/platform/datapaths.h"
#include "core/platform/memorystatus.h"
#include "core/settings/settings.h"
#include "gui/aboutdialog.h"
#include "gui/chatformatter.h"
#include "gui/chatlogview.h"
#include "gui/controls.h"
#include "gui/credits.h"
#include "gui/messageboxprompts.h"
#include "gui/optionsdialog.h"
#include "gui/palette.h"
#include "gui/serverlistview.h"
#include "gui/twips.h"
#include "gui/userswindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

constexpr int memoryTickMs = 2000;


} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Varnholt - %1 (2003)").arg(QString::fromLatin1(authorCredit)));
    setWindowIcon(QIcon(QStringLiteral(":/varnholt.png")));
    setClientAreaTwips(this, 9840, 9510);

    m_settings = new Settings(this);
    buildControls();
    connectBrowser();
    connectChat();
    Palette::applyTo(this);
    Palette::applyLayoutFont(this);
    startUp();
}

Form1::~Form1()
{
    shutDown();
    delete m_frmoptions;
    delete m_frmabout;
    delete m_frmusers;
}

void Form1::buildControls()
{
    QGroupBox* status =
        Controls::frame(this, {}, QStringLiteral("System Status"), 120, 0, 3135, 615);
    m_txtstat = Controls::textBox(status, QStringLiteral("txtstat"), 120, 240, 2895, 285, true);

    QGroupBox* memory =
        Controls::frame(this, {}, QStringLiteral("Memory Status"), 3360, 0, 3495, 615);
    m_memstat = Controls::textBox(memory, QStringLiteral("memstat"), 120, 240, 3255, 285, true);
    m_memstat->setAlignment(Qt::AlignCenter);

    QGroupBox* commands = Controls::frame(this, {}, {}, 6960, 0, 2775, 615);
    m_btnoptions = Controls::button(commands, QStringLiteral("btnoptions"),
                                    QStringLiteral("Options"), 120, 240, 735, 255);
    m_btnabout = Controls::button(commands, QStringLiteral("btnabout"), QStringLiteral("About"),
                                  960, 240, 735, 255);
    m_btnexit = Controls::button(commands, QStringLiteral("btnexit"), QStringLiteral("Quit"), 1920,
                                 240, 735, 255);

    QGroupBox* refresh =
        Controls::frame(this, {}, QStringLiteral("Browser Refresh Control"), 120, 720, 2055, 615);
    m_btnrefresh = Controls::button(refresh, QStringLiteral("btnrefresh"),
                                    QStringLiteral("Refresh"), 120, 240, 855, 255);
    m_btngetlist = Controls::button(refresh, QStringLiteral("btngetlist"),
                                    QStringLiteral("Get List"), 1080, 240, 855, 255);

    QGroupBox* gameType =
        Controls::frame(this, {}, QStringLiteral("Game Type Filter"), 2280, 720, 3615, 615);
    m_optdm = Controls::option(gameType, QStringLiteral("optdm"), QStringLiteral("DM"), 120, 240,
                               800, 255);
    m_opttdm = Controls::option(gameType, QStringLiteral("opttdm"), QStringLiteral("TDM"), 960, 240,
                                800, 255);
    m_optctf = Controls::option(gameType, QStringLiteral("optctf"), QStringLiteral("CTF"), 1800,
                                240, 800, 255);
    m_opttall = Controls::option(gameType, QStringLiteral("opttall"), QStringLiteral("ALL"), 2640,
                                 240, 855, 255);

    QGroupBox* version =
        Controls::frame(this, {}, QStringLiteral("Version Filter"), 6000, 720, 3735, 615);
    m_opt0 = Controls::option(version, QStringLiteral("opt0"), QStringLiteral("1.0"), 120, 240, 615,
                              255);
    m_opt1 = Controls::option(version, QStringLiteral("opt1"), QStringLiteral("1.1"), 840, 240, 615,
                              255);
    m_opt2 = Controls::option(version, QStringLiteral("opt2"), QStringLiteral("1.2"), 1560, 240,
                              615, 255);
    m_opt3 = Controls::option(version, QStringLiteral("opt3"), QStringLiteral("1.3"), 2280, 240,
                              615, 255);
    m_optvall = Controls::option(version, QStringLiteral("optvall"), QStringLiteral("ALL"), 3000,
                                 240, 615, 255);

    QGroupBox* servers =
        Controls::frame(this, {}, QStringLiteral("Server List"), 120, 1440, 9615, 3735);
    m_serverlist =
        Controls::add<ServerListView>(servers, QStringLiteral("serverlist"), 120, 360, 9375, 3135);

    QGroupBox* chatLog =
        Controls::frame(this, {}, QStringLiteral("Chat Log"), 120, 5280, 9615, 3135);
    m_irctxt = Controls::add<ChatLogView>(chatLog, QStringLiteral("irctxt"), 120, 240, 9375, 2775);

    QGroupBox* chatInput =
        Controls::frame(this, {}, QStringLiteral("Chat Input"), 120, 8400, 9615, 615);
    m_irccom = Controls::textBox(chatInput, QStringLiteral("irccom"), 120, 240, 9375, 285, false);

    m_btnirccnt = Controls::button(this, QStringLiteral("btnirccnt"), QStringLiteral("Connect "),
                                   120, 9120, 975, 255);
    m_btnircdiscnnt = Controls::button(this, QStringLiteral("btnircdiscnnt"),
                                       QStringLiteral("Disconnect"), 1200, 9120, 975, 255);
    m_btnusers = Controls::button(this, QStringLiteral("btnusers"), QStringLiteral("Users"), 8760,
                                  9120, 975, 255);

    m_memtimer = new QTimer(this);
    m_memtimer->setObjectName(QStringLiteral("memtimer"));
    m_memtimer->setInterval(memoryTickMs);


    m_frmoptions = new OptionsDialog(m_settings);

    connect(m_btnexit, &QPushButton::clicked, this, &Form1::shutDown);
    connect(m_btnoptions, &QPushButton::clicked, this, &Form1::onOptionsClicked);
    connect(m_btnabout, &QPushButton::clicked, this, &Form1::onAboutClicked);
    connect(m_memtimer, &QTimer::timeout, this, &Form1::onMemoryTick);
}

void Form1::connectBrowser()
{
    m_browser = new ServerBrowser(m_settings, this);
    m_browser->setCacheFile(DataPaths::cacheFile());
    m_prompts = std::make_unique<MessageBoxPrompts>(this);
    m_processStarter = std::make_unique<SystemProcessStarter>();
    m_launcher = new GameLauncher(m_settings, m_prompts.get(), m_processStarter.get(), this);

    connect(m_btngetlist, &QPushButton::clicked, m_browser, &ServerBrowser::getList);
    connect(m_btnrefresh, &QPushButton::clicked, m_browser, &ServerBrowser::refresh);
    connect(m_browser, &ServerBrowser::busyChanged, this, &Form1::updateBrowserButtons);
    connect(m_browser, &ServerBrowser::statusChanged, this, &Form1::setStatus);
    connect(m_launcher, &GameLauncher::statusChanged, this, &Form1::setStatus);
    connect(m_browser, &ServerBrowser::listCleared, m_serverlist, &ServerListView::clear);
    connect(m_browser, &ServerBrowser::entryReceived, m_serverlist, &ServerListView::addEntry);
    connect(m_serverlist, &ServerListView::entryClicked, m_launcher, &GameLauncher::launch);

    // Button ids are the filter values they choose.
    m_versionFilters = new QButtonGroup(this);
    m_versionFilters->addButton(m_opt0, int(VersionFilter::Version10));
    m_versionFilters->addButton(m_opt1, int(VersionFilter::Version11));
    m_versionFilters->addButton(m_opt2, int(VersionFilter::Version12));
    m_versionFilters->addButton(m_opt3, int(VersionFilter::Version13));
    m_versionFilters->addButton(m_optvall, int(VersionFilter::All));
    connect(m_versionFilters, &QButtonGroup::idClicked, this, [this](int id) {
        ServerFilter filter = m_browser->filter();
        filter.version = VersionFilter(id);
        m_browser->setFilter(filter);
    });
    m_gameTypeFilters = new QButtonGroup(this);
    m_gameTypeFilters->addButton(m_optdm, int(GameTypeFilter::Deathmatch));
    m_gameTypeFilters->addButton(m_optctf, int(GameTypeFilter::CaptureTheFlag));
    m_gameTypeFilters->addButton(m_opttdm, int(GameTypeFilter::TeamDeathmatch));
    m_gameTypeFilters->addButton(m_opttall, int(GameTypeFilter::All));
    connect(m_gameTypeFilters, &QButtonGroup::idClicked, this, [this](int id) {
        ServerFilter filter = m_browser->filter();
        filter.gameType = GameTypeFilter(id);
        m_browser->setFilter(filter);
    });
}

void Form1::updateBrowserButtons()
{
    // The address cache file has one user at a time: no Get List while a
    // cycle reads it, no Refresh while a retrieval writes it.
    const bool idle = !m_browser->isBusy();
    m_btngetlist->setEnabled(idle);
    m_btnrefresh->setEnabled(idle);
}

void Form1::setLaunchServices(LaunchPrompts* prompts, ProcessStarter* starter)
{
    delete m_launcher;
    m_launcher = new GameLauncher(m_settings, prompts, starter, this);
    connect(m_launcher, &GameLauncher::statusChanged, this, &Form1::setStatus);
    connect(m_serverlist, &ServerListView::entryClicked, m_launcher, &GameLauncher::launch);
}

void Form1::connectChat()
{
    m_irc = new ChatSession(m_settings, this);
    m_chatFormatter = new ChatFormatter(this);
    m_chatFormatter->follow(m_irc);
    connect(m_btnirccnt, &QPushButton::clicked, m_irc, &ChatSession::connectClicked);
    connect(m_btnircdiscnnt, &QPushButton::clicked, m_irc, &ChatSession::disconnectClicked);
    connect(m_btnusers, &QPushButton::clicked, m_irc, &ChatSession::usersClicked);
    connect(m_irccom, &QLineEdit::returnPressed, this, &Form1::onChatInputEntered);
    connect(m_chatFormatter, &ChatFormatter::logReplaced, m_irctxt, &ChatLogView::replaceText);
    connect(m_chatFormatter, &ChatFormatter::logAppended, m_irctxt, &ChatLogView::appendText);
    connect(m_irc, &ChatSession::statusChanged, this, &Form1::setStatus);
    connect(m_irc, &ChatSession::connectEnabledChanged, m_btnirccnt, &QPushButton::setEnabled);
    connect(m_irc, &ChatSession::usersListChanged, this,
            [this](const QStringList& names) { ensureUsersWindow()->setUsers(names); });
    connect(m_irc, &ChatSession::showUsersWindow, this, [this] {
        UsersWindow* users = ensureUsersWindow();
        users->show();
        users->raise();
    });
}

UsersWindow* Form1::ensureUsersWindow()
{
    if (!m_frmusers) {
        m_frmusers = new UsersWindow;
        connect(m_frmusers, &UsersWindow::refreshClicked, m_irc, &ChatSession::refreshUsersClicked);
    }
    return m_frmusers;
}

void Form1::onChatInputEntered()
{
    if (m_irc->submitInput(m_irccom->text()))
        m_irccom->clear();
}

void Form1::startUp()
{
    setStatus(QStringLiteral("Initializing... (Please Wait)"));
    QFile::remove(DataPaths::cacheFile());
    m_memtimer->start();
    m_settings->load(DataPaths::settingsFile());
    setStatus(QStringLiteral("Ready"));
}

void Form1::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    setStatus(QStringLiteral("Closing down..."));
    m_memtimer->stop();
    // Ends a retrieval or a cycle: closes the address cache file and the
    // browser's sockets.
    m_browser->stop();
    m_irc->close();
    QFile::remove(DataPaths::cacheFile());
    // The secondary windows end with the program.
    m_frmoptions->hide();
    if (m_frmabout)
        m_frmabout->hide();
    if (m_frmusers)
        m_frmusers->hide();
    hide();
    Q_EMIT shutDownComplete();
}

void Form1::closeEvent(QCloseEvent* event)
{
    shutDown();
    event->accept();
}

void Form1::setStatus(const QString& text)
{
    m_txtstat->setText(text);
}

void Form1::onMemoryTick()
{
    if (const auto figures = MemoryStatus::read())
        m_memstat->setText(MemoryStatus::text(*figures));
}

void Form1::onOptionsClicked()
{
    m_frmoptions->show();
    m_frmoptions->raise();
    m_frmoptions->activateWindow();
}

void Form1::onAboutClicked()
{
    if (!m_frmabout)
        m_frmabout = new AboutDialog;
    m_frmabout->show();
    m_frmabout->raise();
    m_frmabout->activateWindow();
}
