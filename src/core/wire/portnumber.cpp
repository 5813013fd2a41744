#include "core/wire/portnumber.h"

#include <QString>

namespace PortNumber {

std::optional<quint16> parse(QStringView text, bool allowZero)
{
    bool ok = false;
    // QStringView::toUInt is not exported by Qt 6.4.
    const uint number = text.trimmed().toString().toUInt(&ok, 10);
    if (!ok || number > 65535 || (number == 0 && !allowZero))
        return std::nullopt;
    return quint16(number);
}

} // namespace PortNumber
