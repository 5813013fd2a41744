#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The friends file (friends.txt): one player name pattern a line, UTF-8 (or
// Latin-1, as the favourites file is read). A pattern matches a whole name,
// case-insensitively; "*" stands for any run of characters and "?" for one.
// Blanks around a pattern do not count. A line whose first non-blank
// character is "#" is a comment: names may hold "#" themselves, so only a
// whole line is one. Every line is kept as it was written.
namespace FriendsFile {

struct Line
{
    QString text;
    // Nothing for a blank line or a comment.
    std::optional<QString> pattern;

    friend bool operator==(const Line&, const Line&) = default;
};

std::optional<QString> parseLine(const QString& line);
QList<Line> parse(const QByteArray& fileText);
// The lines in order, each ended with LF, as UTF-8.
QByteArray format(const QList<Line>& lines);

// Whether `pattern` matches the whole of `name`, ignoring case.
bool matches(QStringView pattern, QStringView name);

} // namespace FriendsFile
