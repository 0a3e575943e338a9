// The current local date and time, always passed in so that nothing in the
// core reads the system clock behind a caller's back.
#pragma once

namespace pagora {

struct LocalTime {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() const = 0;
};

// A clock that always tells the same moment (tests, benchmarks).
class FixedClock : public Clock {
public:
    explicit FixedClock(LocalTime at) : at_(at) {}
    LocalTime Now() const override { return at_; }
    void Set(LocalTime at) { at_ = at; }

private:
    LocalTime at_;
};

} // namespace pagora
