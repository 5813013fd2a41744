#pragma once

#include "core/browser/serverentry.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSet>

// The servers of the list in the order they arrived, one row each, and the
// seven texts the list shows for them.
class ServerListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        Server,
        Address,
        Map,
        Players,
        Version,
        Mod,
        Ping,
        ColumnCount
    };

    explicit ServerListModel(QObject* parent = nullptr);

    // The text of `column` for `entry`: names as Latin-1, the host as it was
    // listed, players as "current/maximum", "1.0" to "1.3" or nothing, the
    // ping in milliseconds. A server that did not answer shows "(no answer)"
    // and its host only (and is drawn grey).
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
    // The padlock of a server with a password and the favourite's star,
    // with their tooltips.
    static QVariant marker(const ServerEntry& entry, bool favourite, int column, int role);

private:
    QList<ServerEntry> m_entries;
    QSet<ServerEndpoint> m_favourites;
};
