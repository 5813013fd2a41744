#include "gui/mainwindow.h"

#include "core/app/application.h"
#include "core/browser/friends.h"
#include "core/browser/gamelauncher.h"
#include "core/browser/launchprompts.h"
#include "core/browser/linkjoiner.h"
#include "core/browser/rflink.h"
#include "core/browser/serverbrowser.h"
#include "core/browser/serverentry.h"
#include "core/browser/serverwatch.h"
#include "core/chat/chatsession.h"
#include "core/platform/datapaths.h"
#include "core/platform/memorystatus.h"
#include "core/settings/preferences.h"
#include "core/settings/settings.h"
#include "gui/aboutdialog.h"
#include "gui/chatformatter.h"
#include "gui/chatlogview.h"
#include "gui/controls.h"
#include "gui/credits.h"
#include "gui/friendswindow.h"
#include "gui/messageboxprompts.h"
#include "gui/optionsdialog.h"
#include "gui/palette.h"
#include "gui/secondarywindow.h"
#include "gui/serverlistactions.h"
#include "gui/serverlistview.h"
#include "gui/twips.h"
#include "gui/userswindow.h"
#include "gui/watchnotifier.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace {

using Controls::make;

constexpr int memoryTickMs = 2000;

// A larger window goes to the server list and the chat log: all the extra
// width to both, the extra height two thirds to the list, a third to the log.
// Everything else keeps its place against its edge.
constexpr int listShare = 67;
constexpr Controls::Growth fill{0, 100, 0, 100};
constexpr Controls::Growth keepRight{100, 0, 0, 0};
constexpr Controls::Growth keepBottom{0, 0, 100, 0};
constexpr Controls::Growth keepBottomRight{100, 0, 100, 0};
constexpr Controls::Growth widen{0, 100, 0, 0};
constexpr Controls::Growth keepBottomWiden{0, 100, 100, 0};
constexpr Controls::Growth listGrowth{0, 100, 0, listShare};
constexpr Controls::Growth logGrowth{0, 100, listShare, 100 - listShare};

// Every control of the window: its objectName, the frame that holds it, its
// caption, its rectangle in twips and how it follows a larger window.
constexpr Controls::Control controls[] = {
    {"frastatus", nullptr, make<QGroupBox>, "System Status", 120, 0, 3135, 615},
    {"txtstat", "frastatus", make<QLineEdit>, "", 120, 240, 2895, 285},

    {"framemory", nullptr, make<QGroupBox>, "Memory Status", 3360, 0, 3495, 615},
    {"memstat", "framemory", make<QLineEdit>, "", 120, 240, 3255, 285},

    {"fracommands", nullptr, make<QGroupBox>, "", 6960, 0, 2775, 615, keepRight},
    {"btnoptions", "fracommands", make<QPushButton>, "&Options", 120, 240, 735, 255},
    {"btnabout", "fracommands", make<QPushButton>, "&About", 960, 240, 735, 255},
    {"btnexit", "fracommands", make<QPushButton>, "&Quit", 1920, 240, 735, 255},

    {"frarefresh", nullptr, make<QGroupBox>, "Browser Refresh Control", 120, 720, 2055, 615},
    {"btnrefresh", "frarefresh", make<QPushButton>, "&Refresh", 120, 240, 855, 255},
    {"btngetlist", "frarefresh", make<QPushButton>, "&Get List", 1080, 240, 855, 255},

    {"fragametype", nullptr, make<QGroupBox>, "Game Type Filter", 2280, 720, 3615, 615},
    {"optdm", "fragametype", make<QRadioButton>, "D&M", 120, 240, 800, 255},
    {"opttdm", "fragametype", make<QRadioButton>, "&TDM", 960, 240, 800, 255},
    {"optctf", "fragametype", make<QRadioButton>, "CT&F", 1800, 240, 800, 255},
    {"opttall", "fragametype", make<QRadioButton>, "A&LL", 2640, 240, 855, 255},

    {"fraversion", nullptr, make<QGroupBox>, "Version Filter", 6000, 720, 3735, 615, keepRight},
    {"opt0", "fraversion", make<QRadioButton>, "1.&0", 120, 240, 615, 255},
    {"opt1", "fraversion", make<QRadioButton>, "1.&1", 840, 240, 615, 255},
    {"opt2", "fraversion", make<QRadioButton>, "1.&2", 1560, 240, 615, 255},
    {"opt3", "fraversion", make<QRadioButton>, "1.&3", 2280, 240, 615, 255},
    {"optvall", "fraversion", make<QRadioButton>, "ALL", 3000, 240, 615, 255},

    {"fraservers", nullptr, make<QGroupBox>, "Server List", 120, 1440, 9615, 3735, listGrowth},
    {"serverlist", "fraservers", make<ServerListView>, "", 120, 360, 9375, 3135, fill},

    {"frachatlog", nullptr, make<QGroupBox>, "Chat Log", 120, 5280, 9615, 3135, logGrowth},
    {"irctxt", "frachatlog", make<ChatLogView>, "", 120, 240, 9375, 2775, fill},

    {"frachatinput", nullptr, make<QGroupBox>, "Chat Input", 120, 8400, 9615, 615, keepBottomWiden},
    {"irccom", "frachatinput", make<QLineEdit>, "", 120, 240, 9375, 285, widen},

    {"btnirccnt", nullptr, make<QPushButton>, "&Connect ", 120, 9120, 975, 255, keepBottom},
    {"btnircdiscnnt", nullptr, make<QPushButton>, "&Disconnect", 1200, 9120, 975, 255, keepBottom},
    {"btnfriends", nullptr, make<QPushButton>, "Fr&iends", 7680, 9120, 975, 255, keepBottomRight},
    {"btnusers", nullptr, make<QPushButton>, "&Users", 8760, 9120, 975, 255, keepBottomRight},
};

// The filter buttons and the choice each one stands for.
struct Choice
{
    const char* button;
    int id;
};

constexpr Choice gameTypeChoices[] = {
    {"optdm", int(GameTypeFilter::Deathmatch)},
    {"optctf", int(GameTypeFilter::CaptureTheFlag)},
    {"opttdm", int(GameTypeFilter::TeamDeathmatch)},
    {"opttall", int(GameTypeFilter::All)},
};

constexpr Choice versionChoices[] = {
    {"opt0", int(VersionFilter::Version10)}, {"opt1", int(VersionFilter::Version11)},
    {"opt2", int(VersionFilter::Version12)}, {"opt3", int(VersionFilter::Version13)},
    {"optvall", int(VersionFilter::All)},
};

template <size_t N>
QButtonGroup* buttonGroup(QObject* parent, const Controls::Built& built, const Choice (&choices)[N])
{
    auto* group = new QButtonGroup(parent);
    for (const Choice& choice : choices)
        group->addButton(Controls::get<QRadioButton>(built, choice.button), choice.id);
    return group;
}

// A line too narrow for its text shows the text's beginning, which says what
// it is about, and the whole text as its tooltip.
void showWhole(QLineEdit* line, const QString& text)
{
    // "Receiving..." comes for every server asked: the same text set again
    // would repaint the line and tell the accessibility bridge each time.
    if (text == line->text())
        return;
    line->setText(text);
    line->setCursorPosition(0);
    line->setToolTip(text);
}

// A kept place is restored only where one of this start's screens shows it whole.
bool fitsScreens(const QRect& place)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return screen->availableGeometry().contains(place);
    });
}

// Centred over `over` when it opens; the main window itself has no `over`.
void showOnTop(QWidget* window, const QWidget* over = nullptr)
{
    if (over && !window->isVisible())
        SecondaryWindow::centreOver(window, over);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

MainWindow::MainWindow(Application* application, QWidget* parent)
    : QWidget(parent), m_app(application)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Varnholt - %1 (2003)").arg(QString::fromLatin1(authorCredit)));
    setWindowIcon(QIcon(QStringLiteral(":/varnholt.png")));
    setOpeningClientAreaTwips(this, 9840, 9510);

    buildControls();
    connectBrowser();
    connectLauncher();
    connectChat();
    connectWatch();
    connectKeyboard();
    Palette::applyTo(this);
    Palette::applyLayoutFont(this);
    startUp();
}

MainWindow::~MainWindow()
{
    shutDown();
    delete m_optionsDialog;
    delete m_aboutDialog;
    delete m_usersWindow;
    delete m_friendsWindow;
}

void MainWindow::buildControls()
{
    const Controls::Built built = Controls::build(this, controls);
    m_controls = built;
    m_statusLine = Controls::get<QLineEdit>(built, "txtstat");
    m_statusLine->setReadOnly(true);
    m_memoryLine = Controls::get<QLineEdit>(built, "memstat");
    m_memoryLine->setReadOnly(true);
    m_memoryLine->setAlignment(Qt::AlignCenter);
    m_optionsButton = Controls::get<QPushButton>(built, "btnoptions");
    m_aboutButton = Controls::get<QPushButton>(built, "btnabout");
    m_quitButton = Controls::get<QPushButton>(built, "btnexit");
    m_refreshButton = Controls::get<QPushButton>(built, "btnrefresh");
    m_getListButton = Controls::get<QPushButton>(built, "btngetlist");
    m_gameTypeButtons = buttonGroup(this, built, gameTypeChoices);
    m_versionButtons = buttonGroup(this, built, versionChoices);
    m_serverList = Controls::get<ServerListView>(built, "serverlist");
    m_chatLog = Controls::get<ChatLogView>(built, "irctxt");
    m_chatInput = Controls::get<QLineEdit>(built, "irccom");
    m_connectButton = Controls::get<QPushButton>(built, "btnirccnt");
    m_disconnectButton = Controls::get<QPushButton>(built, "btnircdiscnnt");
    m_usersButton = Controls::get<QPushButton>(built, "btnusers");
    m_friendsButton = Controls::get<QPushButton>(built, "btnfriends");

    m_memoryTimer = new QTimer(this);
    m_memoryTimer->setObjectName(QStringLiteral("memtimer"));
    m_memoryTimer->setInterval(memoryTickMs);

    m_optionsDialog = new OptionsDialog(m_app->settings(), m_app->preferences());

    connect(m_quitButton, &QPushButton::clicked, this, &MainWindow::shutDown);
    connect(m_optionsButton, &QPushButton::clicked, this, &MainWindow::showOptions);
    connect(m_aboutButton, &QPushButton::clicked, this, &MainWindow::showAbout);
    connect(m_memoryTimer, &QTimer::timeout, this, &MainWindow::onMemoryTick);
}

void MainWindow::connectBrowser()
{
    ServerBrowser* browser = m_app->browser();
    connect(m_getListButton, &QPushButton::clicked, browser, &ServerBrowser::getList);
    connect(m_refreshButton, &QPushButton::clicked, browser, &ServerBrowser::refresh);
    connect(browser, &ServerBrowser::busyChanged, this, &MainWindow::updateBrowserButtons);
    connect(m_app, &Application::statusChanged, this, &MainWindow::setStatus);
    connect(browser, &ServerBrowser::listCleared, m_serverList, &ServerListView::clear);
    m_listActions = new ServerListActions(m_serverList, browser, m_app->favourites(), this);
    connect(browser, &ServerBrowser::entryReceived, m_serverList, &ServerListView::addEntrySoon);
    connect(browser, &ServerBrowser::serverSilent, m_serverList, &ServerListView::addEntrySoon);
    // The list is whole when the run is over.
    connect(browser, &ServerBrowser::busyChanged, m_serverList, [this](bool busy) {
        if (!busy)
            m_serverList->addWaitingEntries();
    });

    connect(m_app->preferences(), &Preferences::changed, this, [this](Preferences::Key key) {
        if (key == Preferences::HideEmpty || key == Preferences::HideFull ||
            key == Preferences::HidePassword)
            setFilter(m_app->browser()->filter());
        if (key == Preferences::ShowSilent)
            m_serverList->setShowSilent(m_app->preferences()->flag(Preferences::ShowSilent));
    });
    connect(m_gameTypeButtons, &QButtonGroup::idClicked, this, &MainWindow::onFilterClicked);
    connect(m_versionButtons, &QButtonGroup::idClicked, this, &MainWindow::onFilterClicked);
}

void MainWindow::onFilterClicked()
{
    // A group none of whose buttons was ever chosen leaves its part as it is.
    ServerFilter filter = m_app->browser()->filter();
    if (const int id = m_gameTypeButtons->checkedId(); id >= 0)
        filter.gameType = GameTypeFilter(id);
    if (const int id = m_versionButtons->checkedId(); id >= 0)
        filter.version = VersionFilter(id);
    setFilter(filter);
    // The choice is kept at once, as the player left it, without waiting
    // for Save.
    const QString failure = m_app->keepFilterChoice(m_app->browser()->filter());
    if (!failure.isEmpty())
        setStatus(QStringLiteral("Error: The filter choice could not be kept: %1").arg(failure));
}

void MainWindow::setFilter(ServerFilter filter)
{
    const Preferences* preferences = m_app->preferences();
    filter.hideEmpty = preferences->flag(Preferences::HideEmpty);
    filter.hideFull = preferences->flag(Preferences::HideFull);
    filter.hidePassword = preferences->flag(Preferences::HidePassword);
    m_app->browser()->setFilter(filter);
    m_serverList->setFilter(filter);
}

void MainWindow::updateBrowserButtons()
{
    // The address cache file has one user at a time: no Get List while a
    // cycle reads it, no Refresh while a retrieval writes it.
    const bool idle = !m_app->browser()->isBusy();
    m_getListButton->setEnabled(idle);
    m_refreshButton->setEnabled(idle);
}

void MainWindow::connectLauncher()
{
    m_prompts = std::make_unique<MessageBoxPrompts>(this);
    setLaunchServices(m_prompts.get(), nullptr);
    connect(m_app->linkJoiner(), &LinkJoiner::entryReceived, m_serverList,
            &ServerListView::updateEntry);
}

void MainWindow::connectWatch()
{
    ServerWatch* watch = m_app->watch();
    Friends* friends = m_app->friends();
    m_notifier = new WatchNotifier(this);
    // The same in-place path as a server asked again from its menu.
    connect(watch, &ServerWatch::entryUpdated, this, [this](const ServerEntry& entry) {
        m_serverList->updateEntry(entry);
        m_serverList->setDown(entry.endpoint, false);
    });
    connect(watch, &ServerWatch::looked, this, [this](const QList<WatchEvent>& events) {
        for (const WatchEvent& event : events) {
            if (event.kind == WatchEvent::Kind::ServerDown)
                m_serverList->setDown(event.server, true);
        }
        updateFriends();
    });
    connect(watch, &ServerWatch::stateChanged, m_notifier, [this](ServerWatch::State state) {
        m_notifier->setWatching(state != ServerWatch::State::Off);
    });
    connect(m_app, &Application::watchNotice, m_notifier, &WatchNotifier::notify);
    connect(m_notifier, &WatchNotifier::statusText, this, &MainWindow::setStatus);
    connect(m_notifier, &WatchNotifier::noticeClicked, this, [this](const ServerEndpoint& server) {
        bringToFront();
        m_serverList->selectServer(server);
    });
    connect(m_notifier, &WatchNotifier::showRequested, this, &MainWindow::bringToFront);
    connect(m_notifier, &WatchNotifier::quitRequested, this, &MainWindow::shutDown);

    m_listActions->setFriends(friends);
    m_serverList->setFriendsLookup(
        {[watch](const ServerEndpoint& server) {
             return watch->playersOn(server).value_or(QStringList());
         },
         [this](const QString& name) { return m_listActions->friendState(name); }});
    connect(friends, &Friends::changed, this, &MainWindow::updateFriends);
    connect(m_friendsButton, &QPushButton::clicked, this, &MainWindow::showFriends);
}

void MainWindow::updateFriends()
{
    const QHash<ServerEndpoint, QStringList> friendsOn = m_app->watch()->friendsOnServers();
    m_serverList->setFriendsOn(friendsOn);
    if (!m_friendsWindow)
        return;
    m_friendsWindow->setPatterns(m_app->friends()->patterns());
    QList<QPair<QString, QString>> playing;
    for (auto it = friendsOn.cbegin(); it != friendsOn.cend(); ++it) {
        const std::optional<ServerEntry> entry = m_serverList->entryOf(it.key());
        const QString name = entry ? QString::fromLatin1(entry->info.name) : QString();
        for (const QString& player : it.value())
            playing.append({player, name.isEmpty() ? it.key().text() : name});
    }
    m_friendsWindow->setPlaying(playing);
}

void MainWindow::showFriends()
{
    if (!m_friendsWindow) {
        m_friendsWindow = new FriendsWindow;
        auto keep = [this](const QString& failure) {
            if (!failure.isEmpty())
                setStatus(QStringLiteral("Error: The friends could not be saved: %1").arg(failure));
        };
        connect(m_friendsWindow, &FriendsWindow::addRequested, this,
                [this, keep](const QString& pattern) { keep(m_app->friends()->add(pattern)); });
        connect(m_friendsWindow, &FriendsWindow::removeRequested, this,
                [this, keep](const QString& pattern) { keep(m_app->friends()->remove(pattern)); });
        updateFriends();
    }
    showOnTop(m_friendsWindow, this);
}

void MainWindow::setLaunchServices(LaunchPrompts* prompts, ProcessStarter* starter)
{
    m_app->setLaunchServices(prompts, starter);
    m_launchPrompts = prompts;
    // Dropped with the launcher it replaced.
    connect(m_serverList, &ServerListView::entryClicked, m_app->launcher(), &GameLauncher::launch);
}

void MainWindow::takeHandOver(const QString& message)
{
    // Closing down: the window would come back without its program.
    if (m_shutDown)
        return;
    if (message == raiseMessage())
        bringToFront();
    else
        openLink(message);
}

void MainWindow::bringToFront()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    showOnTop(this);
}

void MainWindow::openLink(const QString& text)
{
    bringToFront();
    RfLink::Error error = RfLink::Error::None;
    if (const std::optional<RfLink> link = RfLink::parse(text, &error))
        m_app->linkJoiner()->join(*link);
    else
        m_launchPrompts->reportBadLink(error);
}

void MainWindow::connectChat()
{
    ChatSession* chat = m_app->chat();
    m_chatFormatter = new ChatFormatter(this);
    m_chatFormatter->follow(chat);
    connect(m_connectButton, &QPushButton::clicked, chat, &ChatSession::connectToServer);
    connect(m_disconnectButton, &QPushButton::clicked, chat, &ChatSession::disconnectFromServer);
    connect(m_usersButton, &QPushButton::clicked, chat, &ChatSession::showUsers);
    connect(m_chatInput, &QLineEdit::returnPressed, this, &MainWindow::onChatInputEntered);
    connect(m_chatFormatter, &ChatFormatter::logReplaced, m_chatLog, &ChatLogView::replaceText);
    connect(m_chatFormatter, &ChatFormatter::logAppended, m_chatLog, &ChatLogView::appendText);
    connect(chat, &ChatSession::statusChanged, this, &MainWindow::setStatus);
    connect(chat, &ChatSession::connectEnabledChanged, m_connectButton, &QPushButton::setEnabled);
    connect(chat, &ChatSession::usersListChanged, this,
            [this](const QStringList& names) { ensureUsersWindow()->setUsers(names); });
    connect(chat, &ChatSession::showUsersWindow, this,
            [this] { showOnTop(ensureUsersWindow(), this); });
}

UsersWindow* MainWindow::ensureUsersWindow()
{
    if (!m_usersWindow) {
        m_usersWindow = new UsersWindow;
        connect(m_usersWindow, &UsersWindow::refreshClicked, m_app->chat(),
                &ChatSession::requestUsers);
    }
    return m_usersWindow;
}

void MainWindow::onChatInputEntered()
{
    if (m_app->chat()->submitInput(m_chatInput->text()))
        m_chatInput->clear();
}

void MainWindow::startUp()
{
    setStatus(QStringLiteral("Initializing... (Please Wait)"));
    m_memoryTimer->start();
    m_app->load();
    restoreFilterChoice();
    restoreWindowPlace();
    setStatus(QStringLiteral("Ready"));
}

void MainWindow::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    setStatus(QStringLiteral("Closing down..."));
    m_memoryTimer->stop();
    m_app->stop();
    m_listActions->closeAll();
    // The secondary windows end with the program.
    m_optionsDialog->hide();
    if (m_aboutDialog)
        m_aboutDialog->hide();
    if (m_usersWindow)
        m_usersWindow->hide();
    if (m_friendsWindow)
        m_friendsWindow->hide();
    m_notifier->setWatching(false);
    keepWindowPlace();
    hide();
    Q_EMIT shutDownComplete();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    const bool watching = m_app->watch()->state() != ServerWatch::State::Off;
    if (m_shutDown || !watching || !WatchNotifier::trayAvailable()) {
        shutDown();
        event->accept();
        return;
    }
    event->ignore();
    if (const std::optional<bool> keep = m_app->preferences()->closeToTray())
        closeWithAnswer(*keep);
    else
        askCloseToTray();
}

void MainWindow::askCloseToTray()
{
    if (m_askingCloseToTray)
        return;
    m_askingCloseToTray = true;
    auto* box = new QMessageBox(
        QMessageBox::Question, QGuiApplication::applicationDisplayName(),
        QStringLiteral("Keep watching the servers in the tray when the window closes?\n"
                       "Quit in the tray's menu ends the program. The answer is kept "
                       "(watch/close_to_tray in varnholt.conf)."),
        QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("closetotray"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this](int result) {
        m_askingCloseToTray = false;
        const bool keep = result == QMessageBox::Yes;
        m_app->preferences()->setCloseToTray(keep);
        const QString failure = m_app->preferences()->saveValue(DataPaths::preferencesFile(),
                                                                Preferences::WatchCloseToTray);
        if (!failure.isEmpty())
            setStatus(QStringLiteral("Error: The answer could not be kept: %1").arg(failure));
        closeWithAnswer(keep);
    });
    box->open();
}

void MainWindow::closeWithAnswer(bool keepWatching)
{
    if (!keepWatching) {
        shutDown();
        return;
    }
    // Quit from the tray finds the window hidden, with no place to keep.
    keepWindowPlace();
    hide();
}

void MainWindow::changeEvent(QEvent* event)
{
    // The player has seen the window: its title is its own again.
    if (m_notifier && event->type() == QEvent::ActivationChange && isActiveWindow())
        m_notifier->clearTitle();
    QWidget::changeEvent(event);
}

void MainWindow::setStatus(const QString& text)
{
    showWhole(m_statusLine, text);
}

void MainWindow::onMemoryTick()
{
    if (const auto figures = MemoryStatus::read())
        showWhole(m_memoryLine, MemoryStatus::text(*figures));
}

void MainWindow::showOptions()
{
    showOnTop(m_optionsDialog, this);
}

void MainWindow::showAbout()
{
    if (!m_aboutDialog)
        m_aboutDialog = new AboutDialog;
    showOnTop(m_aboutDialog, this);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Controls::arrange(m_controls, controls, size() - minimumSize());
}

void MainWindow::connectKeyboard()
{
    auto* refresh = new QShortcut(this);
    refresh->setKeys({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)});
    // click() does nothing while the button is disabled (the browser is busy).
    connect(refresh, &QShortcut::activated, m_refreshButton, &QPushButton::click);
    // Tab passes over the read-only lines; a click still selects their text.
    m_statusLine->setFocusPolicy(Qt::ClickFocus);
    m_memoryLine->setFocusPolicy(Qt::ClickFocus);
}

void MainWindow::restoreFilterChoice()
{
    const ServerFilter kept = m_app->preferences()->serverFilter();
    ServerFilter filter = m_app->browser()->filter();
    filter.gameType = kept.gameType;
    filter.version = kept.version;
    if (filter.gameType)
        m_gameTypeButtons->button(int(*filter.gameType))->setChecked(true);
    if (filter.version)
        m_versionButtons->button(int(*filter.version))->setChecked(true);
    setFilter(filter);
}

void MainWindow::restoreWindowPlace()
{
    const QByteArray kept = m_app->preferences()->windowGeometry();
    if (kept.isEmpty() || !restoreGeometry(kept) || fitsScreens(geometry()))
        return;
    setWindowState(Qt::WindowNoState);
    QRect opening(QPoint(), minimumSize());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        opening.moveCenter(screen->availableGeometry().center());
    setGeometry(opening);
}

void MainWindow::keepWindowPlace()
{
    // Only a window the player has seen has a place worth keeping.
    if (!isVisible())
        return;
    m_app->preferences()->setWindowGeometry(saveGeometry());
    m_app->preferences()->saveValue(DataPaths::preferencesFile(), Preferences::WindowGeometry);
}
