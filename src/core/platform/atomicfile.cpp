#include "core/platform/atomicfile.h"

#include "core/platform/datapaths.h"

#include <QSaveFile>

namespace AtomicFile {

QString write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit())
        return file.errorString();
    return {};
}

QString writeListFile(const QString& path, const QByteArray& bytes)
{
    DataPaths::ensureFolderFor(path);
    if (const QString error = write(path, bytes); !error.isEmpty())
        return QStringLiteral("%1: %2").arg(path, error);
    return {};
}

} // namespace AtomicFile
