#include "Harness.h"

namespace pagora::e2e {

DWORD MillisecondsUntil(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<Timeout>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(left) : 0;
}

bool WaitUntil(const std::function<bool()>& done, Timeout timeout) {
    auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline)
            return false;
        Sleep(static_cast<DWORD>(kPollInterval.count()));
    }
    return true;
}

} // namespace pagora::e2e
