#pragma once

#include "core/wire/friendsfile.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The player's friends: name patterns kept in the friends file, beside the
// favourites. Each change is written at once, whole and atomically; comment
// and blank lines are written back as they were.
class Friends : public QObject
{
    Q_OBJECT
public:
    explicit Friends(QObject* parent = nullptr);

    // Reads the file; a missing file means no friends. Emits changed().
    void load(const QString& path);
    QString file() const { return m_file; }

    // In file order, each once (ignoring case).
    QStringList patterns() const;
    bool containsPattern(const QString& pattern) const;

    // Each writes the file; on failure nothing changes and the reason is
    // returned, on success an empty string. Adding a pattern already there
    // and removing one that is not change nothing.
    QString add(const QString& pattern);
    QString remove(const QString& pattern);

    // Whether any pattern matches the whole name.
    bool matches(const QString& playerName) const;
    // The names that match, in the order given.
    QStringList friendsAmong(const QStringList& playerNames) const;

Q_SIGNALS:
    void changed();

private:
    QString save(const QList<FriendsFile::Line>& lines);

    QString m_file;
    QList<FriendsFile::Line> m_lines;
};
