#include "core/platform/timerarm.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace TimerArm {

void startAt(QTimer& timer, std::chrono::steady_clock::time_point at)
{
    using std::chrono::milliseconds;
    const auto left = std::chrono::ceil<milliseconds>(at - std::chrono::steady_clock::now());
    timer.start(int(std::clamp<qint64>(left.count(), 0, std::numeric_limits<int>::max())));
}

} // namespace TimerArm
