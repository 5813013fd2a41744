#include "core/browser/favourites.h"

#include "core/platform/atomicfile.h"

#include <QFile>

#include <algorithm>

Favourites::Favourites(QObject* parent) : QObject(parent) {}

void Favourites::load(const QString& path)
{
    m_file = path;
    m_lines.clear();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        m_lines = FavouritesFile::parse(file.readAll());
    Q_EMIT changed();
}

QList<ServerEndpoint> Favourites::servers() const
{
    QList<ServerEndpoint> servers;
    for (const FavouritesFile::Line& line : m_lines) {
        if (line.server && !servers.contains(*line.server))
            servers.append(*line.server);
    }
    return servers;
}

bool Favourites::contains(const ServerEndpoint& server) const
{
    return std::any_of(m_lines.cbegin(), m_lines.cend(),
                       [&](const FavouritesFile::Line& line) { return line.server == server; });
}

QString Favourites::add(const ServerEndpoint& server)
{
    if (contains(server))
        return {};
    QList<FavouritesFile::Line> lines = m_lines;
    lines.append({server.text(), server});
    return save(lines);
}

QString Favourites::remove(const ServerEndpoint& server)
{
    if (!contains(server))
        return {};
    QList<FavouritesFile::Line> lines = m_lines;
    lines.removeIf([&](const FavouritesFile::Line& line) { return line.server == server; });
    return save(lines);
}

QString Favourites::save(const QList<FavouritesFile::Line>& lines)
{
    if (m_file.isEmpty())
        return QStringLiteral("no favourites file is set");
    if (const QString error = AtomicFile::writeListFile(m_file, FavouritesFile::format(lines));
        !error.isEmpty())
        return error;
    m_lines = lines;
    Q_EMIT changed();
    return {};
}
