#include "Locale.h"

#include "OleUtil.h"

#include <windows.h>

#include <optional>

namespace pagora {

namespace {

// The locale's text for one item in the ANSI code page, or nothing when the
// call fails. Asked for in its wide form and converted here: the ANSI call
// would convert by the locale's own code page, which need not be the
// system's (a UTF-8 system with an Italian locale), and into a buffer of
// fixed size.
std::optional<std::string> LocaleText(LCTYPE item) {
    const int size = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, text.data(), size);
    if (length <= 0)
        return std::nullopt;
    return WideToAnsi(text.data(), static_cast<std::size_t>(length - 1));
}

// A separator is one character; an empty setting means none at all, and
// anything longer cannot be used, so the default stands in for it.
char SeparatorOf(LCTYPE item, char fallback) {
    std::optional<std::string> text = LocaleText(item);
    if (!text || text->size() > 1)
        return fallback;
    return text->empty() ? '\0' : (*text)[0];
}

bool FlagOf(LCTYPE item, const char* whenSet) {
    std::optional<std::string> text = LocaleText(item);
    return text && *text == whenSet;
}

void ReadTimeSettings(FormatSettings& settings) {
    settings.TimeSeparator = SeparatorOf(LOCALE_STIME, settings.TimeSeparator);
    if (std::optional<std::string> am = LocaleText(LOCALE_S1159))
        settings.TimeAMString = *am;
    if (std::optional<std::string> pm = LocaleText(LOCALE_S2359))
        settings.TimePMString = *pm;
    // ITIME "0" is the twelve-hour clock, ITIMEMARKPOSN "1" puts the marker
    // before the time.
    settings.LongTimeFormat = MakeLongTimeFormat(
        FlagOf(LOCALE_ITLZERO, "1"), FlagOf(LOCALE_ITIME, "0"), FlagOf(LOCALE_ITIMEMARKPOSN, "1"));
}

// Length of the run of the same character starting at i.
std::size_t RunLength(std::string_view text, std::size_t i) {
    std::size_t end = i;
    while (end < text.size() && text[end] == text[i])
        ++end;
    return end - i;
}

} // namespace

std::string ConvertShortDatePattern(std::string_view windowsPattern, char dateSeparator) {
    std::string pattern;
    bool quoted = false; // text in single quotes is copied as it stands
    for (std::size_t i = 0; i < windowsPattern.size();) {
        char c = windowsPattern[i];
        if (c == '\'' || quoted) {
            quoted = quoted != (c == '\'');
            pattern += c;
            ++i;
            continue;
        }
        std::size_t run = RunLength(windowsPattern, i);
        if (c == 'M')
            pattern.append(run, 'm');
        else if (c == 'y')
            pattern += run <= 2 ? "yy" : "yyyy";
        else if (c == dateSeparator && c != '\0')
            pattern.append(run, '/');
        else
            pattern.append(run, c);
        i += run;
    }
    return pattern;
}

FormatSettings ReadFormatSettings() {
    FormatSettings settings;
    if (std::optional<std::string> decimal = LocaleText(LOCALE_SDECIMAL);
        decimal && decimal->size() == 1)
        settings.DecimalSeparator = (*decimal)[0];
    settings.DateSeparator = SeparatorOf(LOCALE_SDATE, settings.DateSeparator);
    if (std::optional<std::string> shortDate = LocaleText(LOCALE_SSHORTDATE);
        shortDate && !shortDate->empty())
        settings.ShortDateFormat = ConvertShortDatePattern(*shortDate, settings.DateSeparator);
    ReadTimeSettings(settings);
    return settings;
}

// Compared in the wide form, for the same reason as LocaleText.
bool SameTextLocale(std::string_view a, std::string_view b) {
    const std::wstring wideA = AnsiToWide(a), wideB = AnsiToWide(b);
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.data(),
                          static_cast<int>(wideA.size()), wideB.data(),
                          static_cast<int>(wideB.size())) == CSTR_EQUAL;
}

LocalTime SystemClock::Now() const {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear,   st.wMonth,  st.wDay,         st.wHour,
                     st.wMinute, st.wSecond, st.wMilliseconds};
}

} // namespace pagora
