#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// Physical memory figures for the memory status line.
struct MemoryFigures
{
    quint32 loadPercent = 0;   // share of physical memory in use, 0 to 100
    quint64 availableBytes = 0; // physical memory still available
};

namespace MemoryStatus {

// The figures of this machine: /proc/meminfo on Linux (in use = MemTotal -
// MemAvailable), the system's memory status call on Windows.
std::optional<MemoryFigures> read();

// Figures from the text of /proc/meminfo; nothing when MemTotal or
// MemAvailable is missing or MemTotal is 0.
std::optional<MemoryFigures> fromMeminfo(const QByteArray& text);

// This process's resident memory (the benchmarks' figure): VmRSS of
// /proc/self/status on Linux, the working set on Windows.
std::optional<quint64> residentBytes();

// "37% Used 256 Mb Available": whole megabytes, rounded down.
QString text(const MemoryFigures& figures);

} // namespace MemoryStatus
