#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The one way this program cuts a text file into lines: LF ends a line and a
// CR just before it is dropped; the last line counts without its line end,
// and a final line end leaves no empty line behind it.
namespace TextLines {

QList<QByteArray> split(const QByteArray& text);
QStringList split(const QString& text);

} // namespace TextLines
