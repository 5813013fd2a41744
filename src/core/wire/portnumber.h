#pragma once

#include <QStringView>
#include <QtGlobal>

#include <optional>

// The one reading of a port number in text: decimal digits, blanks around
// them allowed, from 1 (or 0 where the caller allows it) to 65535.
namespace PortNumber {

std::optional<quint16> parse(QStringView text, bool allowZero = false);

} // namespace PortNumber
