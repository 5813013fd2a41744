#include "gui/serverdetailswindow.h"

#include "core/wire/inforeply.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QStringList playerColumns{QStringLiteral("Name"),   QStringLiteral("Team"),
                                QStringLiteral("Score"),  QStringLiteral("Kills"),
                                QStringLiteral("Deaths"), QStringLiteral("Captures"),
                                QStringLiteral("Bot")};

} // namespace

ServerDetailsWindow::ServerDetailsWindow(const ServerEntry& entry, QWidget* parent)
    : QWidget(parent, Qt::Window), m_query(new ServerDetailsQuery(entry.endpoint, this))
{
    setObjectName(QStringLiteral("serverdetails"));
    auto* layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    layout->addLayout(m_form);
    for (const auto& [name, caption] : {std::pair{"address", "Address"},
                                        {"name", "Name"},
                                        {"map", "Map"},
                                        {"mod", "Mod"},
                                        {"version", "Version"},
                                        {"gametype", "Game type"},
                                        {"players", "Players"},
                                        {"ping", "Ping"},
                                        {"flags", "Flags"},
                                        {"patch", "Patch"}})
        addField(name, QString::fromLatin1(caption));
    m_teams = new QLabel(this);
    m_teams->setObjectName(QStringLiteral("teams"));
    m_teams->hide();
    layout->addWidget(m_teams);
    m_note = new QLabel(QStringLiteral("Asking for the players..."), this);
    m_note->setObjectName(QStringLiteral("playersnote"));
    layout->addWidget(m_note);
    m_players = new QTreeWidget(this);
    m_players->setObjectName(QStringLiteral("playerlist"));
    m_players->setRootIsDecorated(false);
    m_players->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_players->setHeaderLabels(playerColumns);
    m_players->header()->setStretchLastSection(false);
    m_players->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_players->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    // Only the scores form fills the other columns.
    for (int column = 1; column < playerColumns.size(); ++column)
        m_players->setColumnHidden(column, true);
    layout->addWidget(m_players, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* join = new QPushButton(QStringLiteral("&Join"), this);
    join->setObjectName(QStringLiteral("btnjoin"));
    buttons->addWidget(join);
    layout->addLayout(buttons);
    connect(join, &QPushButton::clicked, this, [this] { Q_EMIT joinRequested(m_entry); });
    resize(460, 520);
    setFocusProxy(m_players);
    // Before the table's own Ctrl+C, which copies one cell.
    m_players->installEventFilter(this);
    m_players->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_players, &QWidget::customContextMenuRequested, this,
            &ServerDetailsWindow::openPlayerMenu);

    // The list knows no patch; the first reply tells.
    showInfo(entry, std::nullopt);
    connect(m_query, &ServerDetailsQuery::infoReceived, this, &ServerDetailsWindow::showInfo);
    connect(m_query, &ServerDetailsQuery::playersReceived, this, &ServerDetailsWindow::showPlayers);
    connect(m_query, &ServerDetailsQuery::roundEnded, this, &ServerDetailsWindow::onRoundEnded);
    connect(m_query, &ServerDetailsQuery::failed, this, [this](const QString& why) {
        m_note->setText(QStringLiteral("The server cannot be asked: %1").arg(why));
    });
}

QLabel* ServerDetailsWindow::addField(const char* objectName, const QString& caption)
{
    auto* value = new QLabel(this);
    value->setObjectName(QString::fromLatin1(objectName));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_form->addRow(caption + u':', value);
    return value;
}

QString ServerDetailsWindow::fieldText(const QString& objectName) const
{
    const auto* label = findChild<QLabel*>(objectName);
    return label ? label->text() : QString();
}

void ServerDetailsWindow::showInfo(const ServerEntry& entry,
                                   const std::optional<ServerPatch>& patchNamed)
{
    m_entry = entry;
    const InfoReply& info = entry.info;
    const QString name = QString::fromLatin1(info.name);
    setWindowTitle(
        QStringLiteral("Details - %1").arg(name.isEmpty() ? entry.endpoint.text() : name));
    const QString version = QString::fromLatin1(InfoProtocol::versionText(info.version));
    const QString patch = patchText(patchNamed);
    const std::pair<const char*, QString> values[] = {
        {"address", entry.endpoint.text()},
        {"name", name},
        {"map", QString::fromLatin1(info.map)},
        {"mod", info.mod.isEmpty() ? QStringLiteral("none") : QString::fromLatin1(info.mod)},
        {"version", QStringLiteral("%1 (byte %2)")
                        .arg(version.isEmpty() ? QStringLiteral("unknown") : version)
                        .arg(info.version)},
        {"gametype", gameTypeText(info.gameType)},
        {"players", QStringLiteral("%1 of %2").arg(info.players).arg(info.maxPlayers)},
        {"ping", QStringLiteral("%1 ms").arg(entry.pingMs)},
        {"flags", flagsText(info.flags)},
        {"patch", patch.isEmpty() ? QStringLiteral("none named") : patch},
    };
    for (const auto& [objectName, text] : values)
        findChild<QLabel*>(QString::fromLatin1(objectName))->setText(text);
}

void ServerDetailsWindow::showPlayers(const PlayerList& list)
{
    const bool scores = list.form == PlayerList::Form::Scores;
    for (int column = 1; column < playerColumns.size(); ++column)
        m_players->setColumnHidden(column, !scores);
    m_players->clear();
    for (const PlayerList::Player& player : list.players)
        m_players->addTopLevelItem(new QTreeWidgetItem(playerTexts(list, player)));
    m_teams->setVisible(scores);
    if (scores) {
        m_teams->setText(QStringLiteral("Red team %1, blue team %2; time left: %3")
                             .arg(list.redScore)
                             .arg(list.blueScore)
                             .arg(timeLeftText(list.timeLeftSeconds)));
    }
    m_note->setText(list.players.isEmpty() ? QStringLiteral("Nobody is playing")
                                           : QStringLiteral("%1 players").arg(list.players.size()));
}

void ServerDetailsWindow::onRoundEnded(bool infoAnswered, ServerDetailsQuery::PlayersAnswer players)
{
    if (players == ServerDetailsQuery::PlayersAnswer::Listed)
        return;
    // A list shown before stays until a whole one replaces it.
    if (players == ServerDetailsQuery::PlayersAnswer::Incomplete)
        m_note->setText(QStringLiteral("The list of players arrived incomplete"));
    else if (!infoAnswered)
        m_note->setText(QStringLiteral("The server does not answer"));
    else {
        m_players->clear();
        m_teams->hide();
        m_note->setText(noListText());
    }
}

QString ServerDetailsWindow::gameTypeText(quint8 gameType)
{
    const QByteArray name = InfoProtocol::gameTypeName(gameType);
    return name.isEmpty() ? QString::number(gameType) : QString::fromLatin1(name);
}

QString ServerDetailsWindow::flagsText(quint8 flags)
{
    QStringList words;
    if (flags & InfoReply::dedicatedFlag)
        words << QStringLiteral("dedicated");
    if (flags & InfoReply::passwordFlag)
        words << QStringLiteral("password");
    if (flags & InfoReply::notLanFlag)
        words << QStringLiteral("not LAN");
    return words.isEmpty() ? QStringLiteral("none") : words.join(QStringLiteral(", "));
}

QString ServerDetailsWindow::patchText(const std::optional<ServerPatch>& patch)
{
    return patch ? patch->name() : QString();
}

QString ServerDetailsWindow::timeLeftText(quint32 seconds)
{
    if (seconds == PlayerList::noTimeLimit)
        return QStringLiteral("no limit");
    if (seconds == 0)
        return QStringLiteral("round over");
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

QStringList ServerDetailsWindow::playerTexts(const PlayerList& list,
                                             const PlayerList::Player& player)
{
    const QString name = QString::fromLatin1(player.name);
    if (list.form == PlayerList::Form::Names)
        return {name};
    return {name,
            QString::fromLatin1(list.teamText(player)),
            QString::number(player.score),
            QString::number(player.kills),
            QString::number(player.deaths),
            QString::number(player.captures),
            player.isBot() ? QStringLiteral("bot") : QString()};
}

void ServerDetailsWindow::showEvent(QShowEvent* event)
{
    if (!m_query->isRunning())
        m_query->start();
    QWidget::showEvent(event);
}

void ServerDetailsWindow::closeEvent(QCloseEvent* event)
{
    m_query->stop();
    QWidget::closeEvent(event);
}

bool ServerDetailsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_players && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copyPlayers();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ServerDetailsWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ServerDetailsWindow::setFriendCheck(FriendCheck friendState)
{
    m_friendState = std::move(friendState);
}

QMenu* ServerDetailsWindow::playerMenu() const
{
    return m_menu;
}

void ServerDetailsWindow::openPlayerMenu(const QPoint& at)
{
    const QTreeWidgetItem* item = m_players->itemAt(at);
    if (!item || !m_friendState)
        return;
    const QString name = item->text(0);
    const std::optional<bool> state = m_friendState(name);
    if (!state)
        return;
    const bool friendNow = *state;
    if (m_menu)
        m_menu->deleteLater();
    m_menu = new QMenu(this);
    m_menu->setAttribute(Qt::WA_DeleteOnClose);
    m_menu->addAction(friendNow ? QStringLiteral("Remove from friends")
                                : QStringLiteral("Add to friends"),
                      this, [this, name, friendNow] { Q_EMIT friendToggled(name, !friendNow); });
    // Not exec(): the menu runs in the program's own event loop.
    m_menu->popup(m_players->viewport()->mapToGlobal(at));
}

void ServerDetailsWindow::copyPlayers() const
{
    QList<QTreeWidgetItem*> items = m_players->selectedItems();
    if (items.isEmpty()) {
        for (int row = 0; row < m_players->topLevelItemCount(); ++row)
            items.append(m_players->topLevelItem(row));
    }
    QStringList lines;
    for (const QTreeWidgetItem* item : std::as_const(items)) {
        QStringList cells;
        for (int column = 0; column < m_players->columnCount(); ++column) {
            if (!m_players->isColumnHidden(column))
                cells << item->text(column);
        }
        lines << cells.join(u'\t');
    }
    QGuiApplication::clipboard()->setText(lines.join(u'\n'));
}
