#pragma once

#include <QByteArray>
#include <QString>

namespace AtomicFile {

// Writes `bytes` beside `path` and renames the copy over it: a failure
// leaves the old file whole. Returns why it failed, or an empty string.
QString write(const QString& path, const QByteArray& bytes);
// A list file the player keeps (favourites, friends): creates its folder if
// missing, then write(); the failure reads "<path>: <reason>".
QString writeListFile(const QString& path, const QByteArray& bytes);

} // namespace AtomicFile
