// Shared pieces of the core tests: a table environment with fixed settings
// and clock, an observer that records what it is told, and a way to look at
// a failure's class name and message together.
#pragma once

#include "ClientDataSet.h"
#include "Exceptions.h"

#include <functional>
#include <string>
#include <vector>

namespace pagora::test {

// Class name and message of the failure that f raises; empty when none.
struct Failure {
    std::string className, message;
    bool operator==(const Failure&) const = default;
};

inline Failure FailureOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return {e.ClassName(), e.Message()};
    }
    return {};
}

inline std::ostream& operator<<(std::ostream& os, const Failure& f) {
    return os << f.className << " \"" << f.message << "\"";
}

// Day-month-year settings with "/" and ":" and 31 December 2026 as today.
inline FormatSettings DmySettings() {
    FormatSettings fs;
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.LongTimeFormat = "hh:mm:ss";
    return fs;
}

// A fold of ASCII and of the Latin-1 accented letters, in place of the
// locale-aware comparison that the Windows layer supplies.
inline bool FoldSameText(std::string_view a, std::string_view b) {
    auto fold = [](char c) {
        unsigned char u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
            return static_cast<unsigned char>(u - 32);
        return u;
    };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

struct Environment {
    FormatSettings settings = DmySettings();
    FixedClock clock{LocalTime{2026, 3, 15, 9, 30, 0, 0}};
    TableEnvironment env{&settings, &clock, FoldSameText};
};

class RecordingObserver : public TableObserver {
public:
    void StateChanged() override { calls.push_back("state"); }
    void DataChanged() override { calls.push_back("data"); }
    void RecordChanged() override { calls.push_back("record"); }
    std::vector<std::string> calls;
};

} // namespace pagora::test
