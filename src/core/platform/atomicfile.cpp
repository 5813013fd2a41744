#include "core/platform/atomicfile.h"

#include <QSaveFile>

namespace AtomicFile {

QString write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit())
        return file.errorString();
    return {};
}

} // namespace AtomicFile
