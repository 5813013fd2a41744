#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The one way this program cuts a text file into lines: LF ends a line and
// the CRs just before it are dropped (so no line read ends in a CR that a
// rewrite could not keep); the last line counts without its line end,
// and a final line end leaves no empty line behind it.
namespace TextLines {

QList<QByteArray> split(const QByteArray& text);
QStringList split(const QString& text);

} // namespace TextLines
