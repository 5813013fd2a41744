#pragma once

#include "core/browser/servercolumns.h"
#include "core/browser/serverentry.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>

// The servers of the list in the order they arrived, one row each, and the
// seven texts the list shows for them.
class ServerListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        Server = ServerColumns::Server,
        Address = ServerColumns::Address,
        Map = ServerColumns::Map,
        Players = ServerColumns::Players,
        Version = ServerColumns::Version,
        Mod = ServerColumns::Mod,
        Ping = ServerColumns::Ping,
        ColumnCount = ServerColumns::ColumnCount
    };

    explicit ServerListModel(QObject* parent = nullptr);

    // The column's text (see ServerColumns); a server that did not answer
    // is drawn grey.
    static QString text(const ServerEntry& entry, int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const ServerEntry& entry(int row) const { return m_entries[row]; }
    void append(const ServerEntry& entry);
    // One insertion for all: a view lays out and repaints once.
    void appendAll(const QList<ServerEntry>& entries);
    void clear();
    // The first row asked at `endpoint`, or -1.
    int rowOf(const ServerEndpoint& endpoint) const;
    // Changes a row in place; a sorted view moves it to its new place.
    void replace(int row, const ServerEntry& entry);

    // Marked with a star in the address cell.
    void setFavourites(const QList<ServerEndpoint>& favourites);
    bool isFavourite(const ServerEndpoint& endpoint) const
    {
        return m_favourites.contains(endpoint);
    }
    // The friends on each server, marked in the players cell with their
    // names as its tooltip.
    void setFriendsOn(const QHash<ServerEndpoint, QStringList>& friendsOn);
    QStringList friendsOn(const ServerEndpoint& endpoint) const
    {
        return m_friendsOn.value(endpoint);
    }
    // A server the watch found down keeps its row, drawn grey, until it
    // answers again.
    void setDown(const ServerEndpoint& endpoint, bool down);
    bool isDown(const ServerEndpoint& endpoint) const { return m_down.contains(endpoint); }

    // The padlock of a server with a password, the favourite's star and the
    // friends' mark, with their tooltips.
    static QVariant marker(const ServerEntry& entry, bool favourite, const QStringList& friends,
                           int column, int role);

private:
    void columnChanged(int column);

    QList<ServerEntry> m_entries;
    QSet<ServerEndpoint> m_favourites;
    QHash<ServerEndpoint, QStringList> m_friendsOn;
    QSet<ServerEndpoint> m_down;
};
