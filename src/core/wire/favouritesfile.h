#pragma once

#include "core/wire/serverendpoint.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The favourites file (favourites.txt): one "address:port" a line, UTF-8;
// "#" starts a comment that runs to the line's end, blanks around the
// address do not count. Every line is kept as it was written, so a line
// that is not understood survives a save untouched.
namespace FavouritesFile {

struct Line
{
    QString text;
    // Nothing for a blank line, a comment or a line that does not parse.
    std::optional<ServerEndpoint> server;

    friend bool operator==(const Line&, const Line&) = default;
};

// The address on one line, without its comment and blanks.
std::optional<ServerEndpoint> parseLine(const QString& line);
QList<Line> parse(const QByteArray& fileText);
// The lines in order, each ended with LF, as UTF-8 (encodeUtf8()).
QByteArray format(const QList<Line>& lines);

} // namespace FavouritesFile
