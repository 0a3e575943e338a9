// What every part of the harness shares: bounded waiting and its failure.
#pragma once

#include <Exceptions.h>

#include <windows.h>

#include <chrono>
#include <functional>

namespace pagora::e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Timeout = std::chrono::milliseconds;
inline constexpr Timeout kDefaultTimeout = 10s;
inline constexpr Timeout kPollInterval = 25ms;

PAGORA_EXCEPTION(DriverError, Exception);

DWORD MillisecondsUntil(Clock::time_point deadline);
// Polls until done() holds or the time runs out; done() is tried at least
// once, so a zero timeout still looks.
bool WaitUntil(const std::function<bool()>& done, Timeout timeout);

} // namespace pagora::e2e
