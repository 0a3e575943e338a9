// The stand-in's command line.
#pragma once

#include "FailurePlan.h"

#include <string>
#include <vector>

namespace pagora::standin {

struct Options {
    std::wstring sheetPath;
    std::wstring logPath;
    FailurePlan failures;
    bool registerProgId = true;
    // --quit: tell the running stand-ins to end, and start none.
    bool quitRunning = false;
};

// The arguments after the program name; throws std::invalid_argument.
Options ParseOptions(const std::vector<std::wstring>& arguments);

extern const char kUsage[];

} // namespace pagora::standin
