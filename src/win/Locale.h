// The user's regional settings, the locale-aware comparison of names and the
// system clock: what the table and the builder need of the system's locale.
#pragma once

#include "Clock.h"
#include "FormatSettings.h"

#include <string>
#include <string_view>

namespace pagora {

// Reads the settings of the user's locale; whatever cannot be read keeps the
// default of FormatSettings.
FormatSettings ReadFormatSettings();

// A Windows short date pattern (d, M, y, g, quoted text) in the letters the
// table's date routines read: M becomes m, one or two y become yy, more
// become yyyy, and the locale's date separator becomes '/', which stands for
// the date separator in our patterns.
std::string ConvertShortDatePattern(std::string_view windowsPattern, char dateSeparator);

// Equal without regard to case, by the user's locale.
bool SameTextLocale(std::string_view a, std::string_view b);

class SystemClock : public Clock {
public:
    LocalTime Now() const override;
};

} // namespace pagora
