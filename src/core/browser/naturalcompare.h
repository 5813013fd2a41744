#pragma once

#include <QString>

// Orders list texts the way a player reads them: runs of digits compare as
// numbers ("20" before "100", "5/16" before "12/16", "10.0.0.5" before
// "192.168.1.10"), everything else compares without regard to case.
// Returns a negative number, zero or a positive number.
// Not QCollator: in the C locale (C.UTF-8 included) it ignores numeric mode.
int naturalCompare(const QString& left, const QString& right);
