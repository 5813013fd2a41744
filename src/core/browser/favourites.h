#pragma once

#include "core/wire/favouritesfile.h"
#include "core/wire/serverendpoint.h"

#include <QList>
#include <QObject>
#include <QString>

// The player's favourite servers, kept in the favourites file. They are
// asked in every cycle and marked in the list. Each change is written at
// once, whole and atomically; lines the file has that are not understood are
// written back as they were.
class Favourites : public QObject
{
    Q_OBJECT
public:
    explicit Favourites(QObject* parent = nullptr);

    // Reads the file; a missing file means no favourites. Emits changed().
    void load(const QString& path);
    QString file() const { return m_file; }

    // In file order, each once; lines that do not parse are left out.
    QList<ServerEndpoint> servers() const;
    bool contains(const ServerEndpoint& server) const;

    // Each writes the file; on failure nothing changes and the reason is
    // returned, on success an empty string. Adding a favourite already there
    // and removing one that is not change nothing.
    QString add(const ServerEndpoint& server);
    QString remove(const ServerEndpoint& server);

Q_SIGNALS:
    void changed();

private:
    QString save(const QList<FavouritesFile::Line>& lines);

    QString m_file;
    QList<FavouritesFile::Line> m_lines;
};
