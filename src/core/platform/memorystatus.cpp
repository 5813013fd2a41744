#include "core/platform/memorystatus.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>
#endif

namespace MemoryStatus {

std::optional<MemoryFigures> fromMeminfo(const QByteArray& text)
{
    std::optional<quint64> totalKiB;
    std::optional<quint64> availableKiB;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon);
        if (key != "MemTotal" && key != "MemAvailable")
            continue;
        // "MemTotal:       16314336 kB"
        bool ok = false;
        const quint64 kib = line.mid(colon + 1).trimmed().split(' ').value(0).toULongLong(&ok);
        if (!ok)
            continue;
        (key == "MemTotal" ? totalKiB : availableKiB) = kib;
    }
    if (!totalKiB || !availableKiB || *totalKiB == 0)
        return std::nullopt;
    const quint64 available = qMin(*availableKiB, *totalKiB);
    MemoryFigures figures;
    figures.loadPercent = quint32(((*totalKiB - available) * 100 + *totalKiB / 2) / *totalKiB);
    figures.availableBytes = available * 1024;
    return figures;
}

std::optional<MemoryFigures> read()
{
#ifdef Q_OS_WIN
    MEMORYSTATUSEX status;
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status))
        return std::nullopt;
    return MemoryFigures{quint32(status.dwMemoryLoad), quint64(status.ullAvailPhys)};
#else
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return std::nullopt;
    // /proc files report size 0, so read until the end rather than by size.
    return fromMeminfo(meminfo.readAll());
#endif
}

std::optional<quint64> residentBytes()
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        return std::nullopt;
    return quint64(counters.WorkingSetSize);
#else
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n')) {
        // "VmRSS:	   12688 kB"
        if (line.startsWith("VmRSS:")) {
            bool ok = false;
            const quint64 kib = line.mid(6).trimmed().split(' ').value(0).toULongLong(&ok);
            return ok ? std::optional<quint64>(kib * 1024) : std::nullopt;
        }
    }
    return std::nullopt;
#endif
}

QString text(const MemoryFigures& figures)
{
    const quint64 megabytes = figures.availableBytes / (1024 * 1024);
    return QStringLiteral("%1% Used %2 Mb Available").arg(figures.loadPercent).arg(megabytes);
}

} // namespace MemoryStatus
