// The date test: a text that is a whole date is also read as a date-time,
// at midnight of the same day, and writes back as a date alone.
#include "FuzzSupport.h"
#include "TextConv.h"

#include <cmath>

using namespace pagora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in = fuzz::Split(data, size);
    double day = 0;
    bool isDate = TryTextToDate(in.text, in.settings, fuzz::TheClock(), day);
    fuzz::Require(isDate == TryTextToDate(in.text, in.settings, fuzz::TheClock()),
                  "the two forms of the date test disagree");
    if (!isDate)
        return 0;
    fuzz::Require(day == std::floor(day), "a date has a time of day");
    double value = 0;
    fuzz::Require(TryTextToDateTime(in.text, in.settings, fuzz::TheClock(), value) && value == day,
                  "a date is not the same date-time");
    std::string written = DateTimeToText(day, in.settings);
    fuzz::Require(written == FormatDateTime(in.settings.ShortDateFormat, day, in.settings),
                  "a date writes a time");
    return 0;
}
