#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The settings file: one value per line, CR LF line ends.
namespace SettingsFile {

// Every line is one value, read whole. A line wholly wrapped in double quotes
// loses them. Text is UTF-8, or Latin-1 where it is not valid UTF-8 (files
// written by older versions); a byte order mark at the start is skipped. A
// final line without its line end still counts.
QStringList parse(const QByteArray& bytes);

// The values in order, each followed by CR LF, as UTF-8 (encodeUtf8()). A
// value wrapped in double quotes gets one more pair, so that parse() gives
// every value back.
QByteArray serialize(const QStringList& values);

} // namespace SettingsFile
