// What the fuzz targets share: the input's first byte picks the settings,
// the rest is the text; a broken property stops the run at once.
#pragma once

#include "Clock.h"
#include "FormatSettings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace pagora::fuzz {

struct Input {
    FormatSettings settings;
    std::string_view text;
};

// Separators and date orders of the locales the program meets, plus some
// odd ones (an empty date separator, the same character for date and time).
inline Input Split(const std::uint8_t* data, std::size_t size) {
    Input in;
    if (size == 0)
        return in;
    const std::uint8_t pick = data[0];
    static const char* const kDateFormats[] = {"m/d/yy", "dd/mm/yyyy", "yyyy-mm-dd", "d.m.yyyy"};
    static const char kDateSeparators[] = {'/', '-', '.', '\0'};
    in.settings.ShortDateFormat = kDateFormats[pick & 3];
    in.settings.DateSeparator = kDateSeparators[(pick >> 2) & 3];
    in.settings.TimeSeparator = (pick & 0x10) ? '.' : ':';
    in.settings.DecimalSeparator = (pick & 0x20) ? ',' : '.';
    if (pick & 0x40) {
        in.settings.TimeAMString = "a.m.";
        in.settings.TimePMString = "";
    }
    in.settings.LongTimeFormat = MakeLongTimeFormat(pick & 0x80, pick & 0x40, pick & 1);
    in.text = std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1);
    return in;
}

inline const Clock& TheClock() {
    static const FixedClock clock{LocalTime{2026, 3, 15, 9, 30, 0, 0}};
    return clock;
}

inline void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

} // namespace pagora::fuzz
