// The user's regional settings that govern how numbers and dates are read
// and written. The Windows layer fills them from the user's locale at start
// and again when the system announces a change.
#pragma once

#include <string>

namespace pagora {

struct FormatSettings {
    char DecimalSeparator = '.';
    char DateSeparator = '/'; // '\0' when the locale's setting is empty
    char TimeSeparator = ':'; // '\0' when the locale's setting is empty
    std::string ShortDateFormat = "m/d/yy";
    std::string LongTimeFormat = "h:mm:ss AMPM"; // built as MakeLongTimeFormat says
    std::string TimeAMString = "am";
    std::string TimePMString = "pm";
};

// The long time pattern from what a locale tells about its clock.
std::string MakeLongTimeFormat(bool leadingZeroHour, bool twelveHour, bool markerFirst);

} // namespace pagora
