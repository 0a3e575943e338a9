// The user's regional settings that govern how numbers and dates are read
// and written. The Windows layer fills them from the user's locale at start
// and again when the system announces a change.
#pragma once

#include <array>
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
    // Names that the mmm/mmmm and ddd/dddd pattern letters write (January
    // and Sunday first); a locale may give its own.
    std::array<std::string, 12> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames = {"January",   "February", "March",    "April",
                                                  "May",       "June",     "July",     "August",
                                                  "September", "October",  "November", "December"};
    std::array<std::string, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
};

// The long time pattern from what a locale tells about its clock.
std::string MakeLongTimeFormat(bool leadingZeroHour, bool twelveHour, bool markerFirst);

} // namespace pagora
