// Text conversions of the table's values: reading integers, floats and dates
// from cell texts and writing them back, in the user's regional settings.
#pragma once

#include "Clock.h"
#include "FormatSettings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pagora {

// The comparison without regard to case used for the morning and afternoon
// markers; when empty, ASCII letters are folded.
using SameTextFn = std::function<bool(std::string_view, std::string_view)>;

// Blanks, a sign, then decimal digits or a hexadecimal number after "$", "x",
// "X", "0x" or "0X"; nothing after it. Decimal values must fit in 32 bits;
// hexadecimal ones give their 32 bits as a signed value.
bool TryTextToInt(std::string_view text, std::int32_t& value);

// Blanks, a sign, digits with the locale's decimal separator, an exponent,
// blanks. Fails beyond the range of a double; tiny values become 0.
bool TryTextToFloat(std::string_view text, const FormatSettings& settings, double& value);

// A date, a date with a time, or a time alone; the value counts days from
// 30 December 1899, the time of day as the fraction.
bool TryTextToDateTime(std::string_view text, const FormatSettings& settings, const Clock& clock,
                       double& value, const SameTextFn& sameText = {});

// True when the whole text is one date (no time) in the user's settings.
bool TryTextToDate(std::string_view text, const FormatSettings& settings, const Clock& clock);
bool TryTextToDate(std::string_view text, const FormatSettings& settings, const Clock& clock,
                   double& value);

std::string IntToText(std::int32_t value);

// General format with 15 significant digits: fixed notation from 0.0001 up
// to below 1E15 in magnitude, scientific (1E20, 1.5E-5) otherwise.
std::string FloatToText(double value, const FormatSettings& settings);
// The same text appended to out, without allocating when out has room: the
// fragment writes hundreds of thousands of them into one line buffer.
void AppendFloatText(std::string& out, double value, const FormatSettings& settings);

// The short date, then a blank and the long time when the time of day has
// hours, minutes or seconds. Nothing for a value beyond the years 1..9999
// by more than a few thousand years, or not finite.
std::string DateTimeToText(double value, const FormatSettings& settings);
// The same text appended to out; the two patterns are taken apart once and
// kept for as long as the settings keep them.
void AppendDateTimeText(std::string& out, double value, const FormatSettings& settings);

// Writes a date-time value by a pattern of d, m, y, h, n, s, z letters,
// am/pm, a/p and ampm markers, / and : separators and quoted text.
std::string FormatDateTime(std::string_view pattern, double value, const FormatSettings& settings);

} // namespace pagora
