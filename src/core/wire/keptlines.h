#pragma once

#include "core/wire/textdecoding.h"
#include "core/wire/textlines.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The list files the player edits (favourites, friends) keep every line as
// written: read as UTF-8 or Latin-1, cut by TextLines, each line with what it
// means (`Line{text, parse(text)}`); written back as UTF-8, each line ended
// with LF.
namespace KeptLines {

template <typename Line, typename Parse>
QList<Line> parse(const QByteArray& fileText, Parse parseLine)
{
    QList<Line> lines;
    for (const QString& text : TextLines::split(decodeUtf8OrLatin1(fileText)))
        lines.append({text, parseLine(text)});
    return lines;
}

template <typename Line> QByteArray format(const QList<Line>& lines)
{
    QString text;
    for (const Line& line : lines)
        text += line.text + u'\n';
    return encodeUtf8(text);
}

} // namespace KeptLines
