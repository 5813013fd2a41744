#pragma once

#include <QByteArray>
#include <QString>

// Text that arrives as bytes (files and chat lines): UTF-8 where it is valid
// UTF-8, otherwise one character per byte (Latin-1), as older programs and
// older clients wrote it.
QString decodeUtf8OrLatin1(const QByteArray& bytes);
