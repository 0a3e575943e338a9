// The stand-in's record of the calls it receives, one line each, which tests
// compare with the sequence they expect.
#pragma once

#include "ComSupport.h"

#include <string>
#include <string_view>

namespace pagora::standin {

class CallLog {
public:
    // An empty path keeps no record.
    explicit CallLog(const std::wstring& path);
    // Appends one line and makes it visible at once: a test reads the file
    // while the stand-in is still running, or after it was killed.
    void Write(std::string_view line);

private:
    UniqueFileHandle file_;
};

} // namespace pagora::standin
