// Date-time texts: an accepted text gives a day number within years 1 to
// 9999, and writing it never fails.
#include "FuzzSupport.h"
#include "TextConv.h"

#include <cmath>

using namespace pagora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in = fuzz::Split(data, size);
    double value = 0;
    if (!TryTextToDateTime(in.text, in.settings, fuzz::TheClock(), value))
        return 0;
    fuzz::Require(std::isfinite(value) && value > -693595.0 && value < 2958466.0,
                  "date-time out of range");
    fuzz::Require(!DateTimeToText(value, in.settings).empty(), "date-time not written");
    return 0;
}
