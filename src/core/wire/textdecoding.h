#pragma once

#include <QByteArray>
#include <QString>

// Text that arrives as bytes (files and chat lines): UTF-8 where it is valid
// UTF-8, otherwise one character per byte (Latin-1), as older programs and
// older clients wrote it.
// A byte order mark at the start (editors write one) is no part of the text.
QString decodeUtf8OrLatin1(const QByteArray& bytes);

// The text as UTF-8 that decodeUtf8OrLatin1() gives back whole: a text that
// itself begins with U+FEFF is written after a byte order mark.
QByteArray encodeUtf8(const QString& text);
