#include "gui/serverlistmodel.h"

#include "core/browser/servercolumns.h"
#include "gui/listicons.h"
#include "gui/palette.h"

ServerListModel::ServerListModel(QObject* parent) : QAbstractTableModel(parent) {}

QString ServerListModel::text(const ServerEntry& entry, int column)
{
    return ServerColumns::text(entry, column);
}

int ServerListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int ServerListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ServerListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const ServerEntry& entry = m_entries[index.row()];
    if (role == Qt::ForegroundRole && (!entry.answered || isDown(entry.endpoint)))
        return Palette::silentText;
    if (role != Qt::DisplayRole)
        return marker(entry, isFavourite(entry.endpoint), friendsOn(entry.endpoint), index.column(),
                      role);
    return text(entry, index.column());
}

QVariant ServerListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return ServerColumns::header(section);
}

void ServerListModel::append(const ServerEntry& entry)
{
    appendAll({entry});
}

void ServerListModel::appendAll(const QList<ServerEntry>& entries)
{
    if (entries.isEmpty())
        return;
    const int row = int(m_entries.size());
    beginInsertRows({}, row, row + int(entries.size()) - 1);
    m_entries.append(entries);
    endInsertRows();
}

void ServerListModel::clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

int ServerListModel::rowOf(const ServerEndpoint& endpoint) const
{
    for (int row = 0; row < m_entries.size(); ++row) {
        if (m_entries[row].endpoint == endpoint)
            return row;
    }
    return -1;
}

void ServerListModel::replace(int row, const ServerEntry& entry)
{
    m_entries[row] = entry;
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void ServerListModel::setFavourites(const QList<ServerEndpoint>& favourites)
{
    m_favourites = QSet<ServerEndpoint>(favourites.cbegin(), favourites.cend());
    columnChanged(Address);
}

void ServerListModel::setFriendsOn(const QHash<ServerEndpoint, QStringList>& friendsOn)
{
    if (friendsOn == m_friendsOn)
        return;
    m_friendsOn = friendsOn;
    columnChanged(Players);
}

void ServerListModel::setDown(const ServerEndpoint& endpoint, bool down)
{
    if (down == isDown(endpoint))
        return;
    if (down)
        m_down.insert(endpoint);
    else
        m_down.remove(endpoint);
    if (const int row = rowOf(endpoint); row >= 0)
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void ServerListModel::columnChanged(int column)
{
    if (!m_entries.isEmpty())
        Q_EMIT dataChanged(index(0, column), index(rowCount() - 1, column));
}

QVariant ServerListModel::marker(const ServerEntry& entry, bool favourite,
                                 const QStringList& friends, int column, int role)
{
    const bool locked = column == Server && entry.info.needsPassword();
    const bool starred = column == Address && favourite;
    const bool friendly = column == Players && !friends.isEmpty();
    if (role == Qt::DecorationRole && friendly)
        return ListIcons::friends();
    if (role == Qt::ToolTipRole && friendly)
        return QStringLiteral("Friends here: %1").arg(friends.join(QStringLiteral(", ")));
    if (role == Qt::DecorationRole && (locked || starred))
        return locked ? ListIcons::lock() : ListIcons::star();
    if (role == Qt::ToolTipRole && locked)
        return QStringLiteral("A password is needed to join this server");
    if (role == Qt::ToolTipRole && starred)
        return QStringLiteral("One of your favourites");
    return {};
}
