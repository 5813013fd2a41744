#pragma once

#include <QByteArray>
#include <QString>

namespace AtomicFile {

// Writes `bytes` beside `path` and renames the copy over it: a failure
// leaves the old file whole. Returns why it failed, or an empty string.
QString write(const QString& path, const QByteArray& bytes);

} // namespace AtomicFile
