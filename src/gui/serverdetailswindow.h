#pragma once

#include "core/browser/serverdetailsquery.h"
#include "core/browser/serverentry.h"
#include "core/wire/playerlist.h"

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QTreeWidget;

// The details of one server: what it runs, from its info reply, and who is
// on it, from its player list. Asks the server again every few seconds for
// as long as it is open. Ctrl+C copies the selected players (all of them
// when none is selected), one a line, the columns separated by tabs. Join
// asks to start the game on the server as its row's Join does.
class ServerDetailsWindow : public QWidget
{
    Q_OBJECT
public:
    // Shows `entry` at once; the server is asked once the window is shown.
    explicit ServerDetailsWindow(const ServerEntry& entry, QWidget* parent = nullptr);

    ServerDetailsQuery* query() const { return m_query; }
    const ServerEndpoint& server() const { return m_query->server(); }

    // The texts of the window, for any server.
    static QString gameTypeText(quint8 gameType);
    static QString flagsText(quint8 flags);
    static QString patchText(const std::optional<ServerPatch>& patch);
    static QString timeLeftText(quint32 seconds);
    static QString noListText() { return QStringLiteral("This server does not list its players"); }
    // The rows of the players table: the names form fills the name only.
    static QStringList playerTexts(const PlayerList& list, const PlayerList::Player& player);

    QString fieldText(const QString& objectName) const;
    QTreeWidget* playersView() const { return m_players; }

    // Whether a player's name can be removed from the friends (true) or
    // added (false), or neither: the players' context menu offers it. No
    // menu without it.
    using FriendCheck = std::function<std::optional<bool>(const QString&)>;
    void setFriendCheck(FriendCheck friendState);
    // The players' context menu last opened, or nullptr.
    QMenu* playerMenu() const;

Q_SIGNALS:
    // The server as its last reply told it (a password flag included).
    void joinRequested(const ServerEntry& entry);
    void friendToggled(const QString& name, bool friendNow);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showInfo(const ServerEntry& entry, const std::optional<ServerPatch>& patch);
    void showPlayers(const PlayerList& list);
    void onRoundEnded(bool infoAnswered, ServerDetailsQuery::PlayersAnswer players);
    QLabel* addField(const char* objectName, const QString& caption);
    void copyPlayers() const;
    void openPlayerMenu(const QPoint& at);

    ServerDetailsQuery* m_query;
    ServerEntry m_entry;
    class QFormLayout* m_form = nullptr;
    QLabel* m_teams = nullptr;
    QLabel* m_note = nullptr;
    QTreeWidget* m_players = nullptr;
    FriendCheck m_friendState;
    QPointer<QMenu> m_menu;
};
