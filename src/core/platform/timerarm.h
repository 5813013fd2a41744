#pragma once

#include <chrono>

class QTimer;

namespace TimerArm {

// Starts `timer` (single shot) to fire at `at`, rounded up to the next whole
// millisecond so it never fires before; at once when `at` has passed.
void startAt(QTimer& timer, std::chrono::steady_clock::time_point at);

} // namespace TimerArm
