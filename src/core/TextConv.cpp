#include "TextConv.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>

namespace pagora {

namespace {

namespace chr = std::chrono;

constexpr std::int64_t kMsPerDay = 86400000;
constexpr chr::sys_days kDayZero = chr::sys_days{chr::year{1899} / 12 / 30};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// A locale may leave a separator empty; an empty one never matches a
// character of the text (not even an embedded NUL).
bool IsSeparator(char c, char separator) {
    return separator != '\0' && c == separator;
}

// Numbers are always written with some separator, so a missing one falls
// back to the point rather than gluing the fraction to the whole part.
char WrittenDecimalSeparator(const FormatSettings& fs) {
    return fs.DecimalSeparator != '\0' ? fs.DecimalSeparator : '.';
}

std::size_t SkipSpaces(std::string_view s, std::size_t pos) {
    while (pos < s.size() && s[pos] == ' ')
        ++pos;
    return pos;
}

bool AsciiSameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

} // namespace

// ---------------------------------------------------------------- integers

bool TryTextToInt(std::string_view text, std::int32_t& value) {
    std::size_t pos = SkipSpaces(text, 0);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    int base = 10;
    if (pos < text.size() && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X')) {
        base = 16;
        pos += 1;
    } else if (text.substr(pos, 2) == "0x" || text.substr(pos, 2) == "0X") {
        base = 16;
        pos += 2;
    }
    // from_chars takes no sign, blank or prefix here, only the digits, and
    // must use up the rest of the text.
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    std::uint32_t magnitude = 0;
    auto [end, ec] = std::from_chars(first, last, magnitude, base);
    if (first == last || ec != std::errc() || end != last)
        return false;
    if (base == 10) {
        if (magnitude > (negative ? 2147483648u : 2147483647u))
            return false;
    }
    // Hexadecimal digits are the value's bits; a minus negates them with
    // wrap-around, as 32-bit arithmetic does.
    std::uint32_t bits = negative ? 0u - magnitude : magnitude;
    value = static_cast<std::int32_t>(bits);
    return true;
}

std::string IntToText(std::int32_t value) {
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

// ------------------------------------------------------------------ floats

namespace {

// The parts of a float text, before any arithmetic.
struct FloatParts {
    bool negative = false;
    std::string_view intDigits, fracDigits;
    bool hasSeparator = false;
    int exponent = 0;
};

int ReadExponent(std::string_view text, std::size_t& pos) {
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    // Digits are taken only while the value stays small; a longer exponent
    // leaves digits over, and so the text fails.
    int exponent = 0;
    while (pos < text.size() && IsDigit(text[pos]) && exponent < 500)
        exponent = exponent * 10 + (text[pos++] - '0');
    return negative ? -exponent : exponent;
}

std::string_view TakeDigits(std::string_view text, std::size_t& pos) {
    std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos]))
        ++pos;
    return text.substr(start, pos - start);
}

bool SplitFloat(std::string_view text, char separator, FloatParts& parts) {
    std::size_t pos = SkipSpaces(text, 0);
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        parts.negative = text[pos++] == '-';
    parts.intDigits = TakeDigits(text, pos);
    if (pos < text.size() && IsSeparator(text[pos], separator)) {
        parts.hasSeparator = true;
        ++pos;
        parts.fracDigits = TakeDigits(text, pos);
    }
    if (parts.intDigits.empty() && !parts.hasSeparator)
        return false;
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e'))
        parts.exponent = ReadExponent(text, ++pos);
    return SkipSpaces(text, pos) == text.size();
}

} // namespace

bool TryTextToFloat(std::string_view text, const FormatSettings& settings, double& value) {
    FloatParts parts;
    if (!SplitFloat(text, settings.DecimalSeparator, parts))
        return false;
    std::string digits;
    digits.reserve(parts.intDigits.size() + parts.fracDigits.size() + 16);
    digits.append(parts.intDigits).append(parts.fracDigits);
    std::size_t firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos) {
        value = 0.0; // a lone separator, or zeros only
        return true;
    }
    long long exp10 =
        static_cast<long long>(parts.exponent) - static_cast<long long>(parts.fracDigits.size());
    // Order of magnitude of the leading digit: tells an overflow from an
    // underflow when the conversion reports the result out of range.
    long long magnitude = static_cast<long long>(digits.size() - firstSignificant) + exp10;
    digits.push_back('e');
    digits.append(std::to_string(exp10));
    // from_chars rounds the exact decimal value correctly to the nearest
    // double, which is what extended precision was meant to approximate.
    double result = 0.0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (ec == std::errc::result_out_of_range) {
        if (magnitude > 0)
            return false; // beyond the range of a double
        result = 0.0;
    } else if (ec != std::errc() || end != digits.data() + digits.size()) {
        return false;
    }
    value = parts.negative ? -result : result;
    if (value == 0.0)
        value = 0.0; // no negative zero in the table
    return true;
}

namespace {

// Digits of the value rounded to 15 significant digits, without trailing
// zeros, and the decimal exponent e of 0.d1d2... times ten to the e.
struct Decimal15 {
    std::string digits;
    int exponent = 0;
};

Decimal15 RoundTo15(double magnitude) {
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf)); // d.ddde+XX
    std::size_t ePos = text.find('e');
    Decimal15 d;
    d.digits.push_back(text[0]);
    if (ePos > 2)
        d.digits.append(text.substr(2, ePos - 2));
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    std::string_view expText = text.substr(ePos + 1);
    if (!expText.empty() && expText[0] == '+')
        expText.remove_prefix(1);
    int exp = 0;
    std::from_chars(expText.data(), expText.data() + expText.size(), exp);
    d.exponent = exp + 1;
    return d;
}

void AppendFixed(std::string& out, const Decimal15& d, char separator) {
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent <= 0) {
        out.append("0").push_back(separator);
        out.append(static_cast<std::size_t>(-d.exponent), '0');
        out.append(d.digits);
        return;
    }
    if (n <= d.exponent) {
        out.append(d.digits);
        out.append(static_cast<std::size_t>(d.exponent - n), '0');
        return;
    }
    out.append(d.digits, 0, static_cast<std::size_t>(d.exponent));
    out.push_back(separator);
    out.append(d.digits, static_cast<std::size_t>(d.exponent));
}

void AppendScientific(std::string& out, const Decimal15& d, char separator) {
    out.push_back(d.digits[0]);
    if (d.digits.size() > 1) {
        out.push_back(separator);
        out.append(d.digits, 1);
    }
    out.push_back('E');
    out.append(std::to_string(d.exponent - 1));
}

} // namespace

std::string FloatToText(double value, const FormatSettings& settings) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0.0)
        return "0";
    std::string out;
    if (value < 0)
        out.push_back('-');
    Decimal15 d = RoundTo15(std::fabs(value));
    const char separator = WrittenDecimalSeparator(settings);
    if (d.exponent >= -3 && d.exponent <= 15)
        AppendFixed(out, d, separator);
    else
        AppendScientific(out, d, separator);
    return out;
}

// ------------------------------------------------------------ date reading

namespace {

enum class DateOrder { MDY, DMY, YMD };

DateOrder OrderOf(std::string_view shortDateFormat) {
    for (char c : shortDateFormat) {
        switch (Lower(c)) {
        case 'd':
            return DateOrder::DMY;
        case 'm':
            return DateOrder::MDY;
        case 'y':
        case 'e':
            return DateOrder::YMD;
        default:
            break;
        }
    }
    return DateOrder::MDY;
}

// Position in the text being read; blanks are the space character only.
class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void SkipBlanks() { pos_ = SkipSpaces(text_, pos_); }
    bool AtEnd() const { return pos_ >= text_.size(); }
    void Restart() { pos_ = 0; }

    // Digits while the value so far is below 1000, so at most four
    // significant ones; at least one digit is needed.
    bool Number(int& value, int& digitCount) {
        SkipBlanks();
        value = 0;
        digitCount = 0;
        while (pos_ < text_.size() && IsDigit(text_[pos_]) && value < 1000) {
            value = value * 10 + (text_[pos_++] - '0');
            ++digitCount;
        }
        return digitCount > 0;
    }
    bool Number(int& value) {
        int digits;
        return Number(value, digits);
    }

    bool Char(char separator) {
        SkipBlanks();
        if (pos_ < text_.size() && IsSeparator(text_[pos_], separator)) {
            ++pos_;
            return true;
        }
        return false;
    }

    // Which of the candidate markers starts here (the longest wins), or -1.
    int Marker(const std::string_view (&candidates)[4], const SameTextFn& sameText) {
        SkipBlanks();
        int found = -1;
        std::size_t foundLength = 0;
        for (int i = 0; i < 4; ++i) {
            std::string_view c = candidates[i];
            if (c.empty() || c.size() <= foundLength || text_.size() - pos_ < c.size())
                continue;
            std::string_view here = text_.substr(pos_, c.size());
            if (sameText ? sameText(here, c) : AsciiSameText(here, c)) {
                found = i;
                foundLength = c.size();
            }
        }
        pos_ += foundLength;
        return found;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// One or two digits of a year are placed in the hundred years from 50
// before the current year to 49 after it.
int ExpandYear(int year, int digitCount, int currentYear) {
    if (digitCount > 2)
        return year;
    int low = currentYear - 50;
    int candidate = low - ((low % 100) + 100) % 100 + year;
    return candidate < low ? candidate + 100 : candidate;
}

bool DayNumber(int year, int month, int day, long& days) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    chr::year_month_day ymd{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                            chr::day{static_cast<unsigned>(day)}};
    if (!ymd.ok())
        return false;
    days = static_cast<long>((chr::sys_days{ymd} - kDayZero).count());
    return true;
}

bool ScanDate(Scanner& sc, const FormatSettings& fs, const Clock& clock, long& days) {
    const char sep = fs.DateSeparator;
    int n[3] = {0, 0, 0}, len[3] = {0, 0, 0};
    if (!sc.Number(n[0], len[0]) || !sc.Char(sep) || !sc.Number(n[1], len[1]))
        return false;
    const DateOrder order = OrderOf(fs.ShortDateFormat);
    const int currentYear = clock.Now().Year;
    int y, m, d;
    if (sc.Char(sep)) {
        if (!sc.Number(n[2], len[2]))
            return false;
        int yearAt = order == DateOrder::YMD ? 0 : 2;
        n[yearAt] = ExpandYear(n[yearAt], len[yearAt], currentYear);
        switch (order) {
        case DateOrder::MDY:
            m = n[0], d = n[1], y = n[2];
            break;
        case DateOrder::DMY:
            d = n[0], m = n[1], y = n[2];
            break;
        default:
            y = n[0], m = n[1], d = n[2];
            break;
        }
        sc.Char(sep); // one trailing separator is allowed
    } else {
        y = currentYear;
        if (order == DateOrder::DMY)
            d = n[0], m = n[1];
        else
            m = n[0], d = n[1];
    }
    return DayNumber(y, m, d, days);
}

// A time of day, as the fraction of a day.
bool ScanTime(Scanner& sc, const FormatSettings& fs, double& time, const SameTextFn& sameText) {
    const std::string_view markers[4] = {fs.TimeAMString, fs.TimePMString, "AM", "PM"};
    int marker = sc.Marker(markers, sameText);
    int hour = 0, minute = 0, second = 0, ms = 0;
    if (!sc.Number(hour))
        return false;
    if (sc.Char(fs.TimeSeparator)) {
        if (!sc.Number(minute))
            return false;
        if (sc.Char(fs.TimeSeparator)) {
            if (!sc.Number(second))
                return false;
            if (sc.Char(fs.DecimalSeparator) && !sc.Number(ms))
                return false;
        }
    }
    if (marker < 0)
        marker = sc.Marker(markers, sameText);
    if (marker >= 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (marker % 2 == 1 ? 12 : 0);
    }
    if (hour >= 24 || minute >= 60 || second >= 60 || ms >= 1000)
        return false;
    std::int64_t total = ((hour * 60LL + minute) * 60 + second) * 1000 + ms;
    time = static_cast<double>(total) / kMsPerDay;
    return true;
}

// Before day 0 the time of day counts away from it, as day numbers do.
double Combine(long days, double time) {
    const auto whole = static_cast<double>(days);
    return days < 0 ? whole - time : whole + time;
}

} // namespace

bool TryTextToDateTime(std::string_view text, const FormatSettings& settings, const Clock& clock,
                       double& value, const SameTextFn& sameText) {
    Scanner sc(text);
    long days = 0;
    double time = 0.0;
    if (ScanDate(sc, settings, clock, days)) {
        sc.SkipBlanks();
        if (sc.AtEnd()) {
            value = static_cast<double>(days);
            return true;
        }
        // Whatever follows a complete time after a date is not examined.
        if (!ScanTime(sc, settings, time, sameText))
            return false;
        value = Combine(days, time);
        return true;
    }
    sc.Restart();
    if (!ScanTime(sc, settings, time, sameText))
        return false;
    sc.SkipBlanks();
    if (!sc.AtEnd())
        return false;
    value = time;
    return true;
}

bool TryTextToDate(std::string_view text, const FormatSettings& settings, const Clock& clock,
                   double& value) {
    Scanner sc(text);
    long days = 0;
    if (!ScanDate(sc, settings, clock, days))
        return false;
    sc.SkipBlanks();
    if (!sc.AtEnd())
        return false;
    value = static_cast<double>(days);
    return true;
}

bool TryTextToDate(std::string_view text, const FormatSettings& settings, const Clock& clock) {
    double unused;
    return TryTextToDate(text, settings, clock, unused);
}

// ------------------------------------------------------------ date writing

namespace {

struct DateTimeParts {
    int year, month, day, weekday; // weekday 0 = Sunday
    int hour, minute, second, ms;
};

// Day numbers and times of day rounded to the millisecond; a time that rounds
// up to a whole day moves to the next day away from day 0.
bool Decode(double value, DateTimeParts& p) {
    if (!std::isfinite(value) || std::fabs(value) > 3000000.0)
        return false;
    double whole = std::trunc(value);
    std::int64_t ms = std::llround(std::fabs(value - whole) * kMsPerDay);
    long days = static_cast<long>(whole);
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        days += value < 0 ? -1 : 1;
    }
    chr::sys_days date = kDayZero + chr::days{days};
    chr::year_month_day ymd{date};
    p.year = static_cast<int>(ymd.year());
    p.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    p.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    p.weekday = static_cast<int>(chr::weekday{date}.c_encoding());
    p.ms = static_cast<int>(ms % 1000);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.minute = static_cast<int>(ms / 60000 % 60);
    p.hour = static_cast<int>(ms / 3600000);
    return true;
}

void AppendNumber(std::string& out, int value, int minDigits) {
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    int len = static_cast<int>(res.ptr - buf);
    if (len < minDigits)
        out.append(static_cast<std::size_t>(minDigits - len), '0');
    out.append(buf, res.ptr);
}

std::size_t RunLength(std::string_view pattern, std::size_t i) {
    std::size_t j = i;
    while (j < pattern.size() && Lower(pattern[j]) == Lower(pattern[i]))
        ++j;
    return j - i;
}

bool StartsWithNoCase(std::string_view s, std::size_t i, std::string_view word) {
    return s.size() - i >= word.size() && AsciiSameText(s.substr(i, word.size()), word);
}

// The hour runs on a twelve-hour clock when the pattern has a marker
// anywhere outside quotes, in front of the hour as well as behind it.
bool HasMarker(std::string_view pattern) {
    char quote = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (StartsWithNoCase(pattern, i, "am/pm") || StartsWithNoCase(pattern, i, "a/p") ||
                   StartsWithNoCase(pattern, i, "ampm")) {
            return true;
        }
    }
    return false;
}

class DateWriter {
public:
    DateWriter(std::string_view pattern, const DateTimeParts& p, const FormatSettings& fs)
        : pattern_(pattern), p_(p), fs_(fs), twelveHour_(HasMarker(pattern)) {}

    std::string Write() {
        std::size_t i = 0;
        while (i < pattern_.size())
            i = Token(i);
        return std::move(out_);
    }

private:
    std::size_t Token(std::size_t i) {
        const char c = pattern_[i];
        if (c == '"' || c == '\'') {
            std::size_t close = pattern_.find(c, i + 1);
            if (close == std::string_view::npos)
                close = pattern_.size();
            out_.append(pattern_.substr(i + 1, close - i - 1));
            return close + 1;
        }
        if (c == '/' || c == ':') {
            char sep = c == '/' ? fs_.DateSeparator : fs_.TimeSeparator;
            if (sep != '\0')
                out_.push_back(sep);
            return i + 1;
        }
        if (Lower(c) == 'a')
            return Marker(i);
        const std::size_t n = RunLength(pattern_, i);
        const char letter = Lower(c);
        if (!Field(letter, n))
            out_.append(pattern_.substr(i, n));
        if (letter >= 'a' && letter <= 'z')
            last_ = letter;
        return i + n;
    }

    bool Field(char letter, std::size_t n) {
        switch (letter) {
        case 'd':
            Day(n);
            return true;
        case 'm':
            if (last_ == 'h')
                AppendNumber(out_, p_.minute, n >= 2 ? 2 : 1);
            else
                Month(n);
            return true;
        case 'y':
            if (n <= 2)
                AppendNumber(out_, p_.year % 100, 2);
            else
                AppendNumber(out_, p_.year, 4);
            return true;
        case 'h':
            AppendNumber(out_, Hour(), n >= 2 ? 2 : 1);
            return true;
        case 'n':
            AppendNumber(out_, p_.minute, n >= 2 ? 2 : 1);
            return true;
        case 's':
            AppendNumber(out_, p_.second, n >= 2 ? 2 : 1);
            return true;
        case 'z':
            AppendNumber(out_, p_.ms, n >= 3 ? 3 : 1);
            return true;
        default:
            return false;
        }
    }

    void Day(std::size_t n) {
        if (n <= 2)
            AppendNumber(out_, p_.day, static_cast<int>(n));
        else
            out_.append(n == 3 ? fs_.ShortDayNames[p_.weekday] : fs_.LongDayNames[p_.weekday]);
    }

    void Month(std::size_t n) {
        if (n <= 2)
            AppendNumber(out_, p_.month, static_cast<int>(n));
        else
            out_.append(n == 3 ? fs_.ShortMonthNames[p_.month - 1]
                               : fs_.LongMonthNames[p_.month - 1]);
    }

    int Hour() const {
        if (!twelveHour_)
            return p_.hour;
        return p_.hour % 12 == 0 ? 12 : p_.hour % 12;
    }

    // am/pm and a/p keep the case in which the pattern writes them; ampm
    // writes the locale's own texts.
    std::size_t Marker(std::size_t i) {
        const bool pm = p_.hour >= 12;
        last_ = 'a';
        if (StartsWithNoCase(pattern_, i, "am/pm")) {
            out_.append(pattern_.substr(pm ? i + 3 : i, 2));
            return i + 5;
        }
        if (StartsWithNoCase(pattern_, i, "a/p")) {
            out_.push_back(pattern_[pm ? i + 2 : i]);
            return i + 3;
        }
        if (StartsWithNoCase(pattern_, i, "ampm")) {
            out_.append(pm ? fs_.TimePMString : fs_.TimeAMString);
            return i + 4;
        }
        out_.push_back(pattern_[i]);
        return i + 1;
    }

    std::string_view pattern_;
    const DateTimeParts& p_;
    const FormatSettings& fs_;
    bool twelveHour_;
    char last_ = 0; // the previous letter: m after h means minutes
    std::string out_;
};

} // namespace

std::string FormatDateTime(std::string_view pattern, double value, const FormatSettings& settings) {
    DateTimeParts p;
    if (!Decode(value, p))
        return {};
    return DateWriter(pattern, p, settings).Write();
}

std::string DateTimeToText(double value, const FormatSettings& settings) {
    DateTimeParts p;
    if (!Decode(value, p))
        return {};
    std::string out = DateWriter(settings.ShortDateFormat, p, settings).Write();
    // Milliseconds alone do not make a time worth showing.
    if (p.hour != 0 || p.minute != 0 || p.second != 0) {
        out.push_back(' ');
        out.append(DateWriter(settings.LongTimeFormat, p, settings).Write());
    }
    return out;
}

std::string MakeLongTimeFormat(bool leadingZeroHour, bool twelveHour, bool markerFirst) {
    std::string pattern = leadingZeroHour ? "hh:mm:ss" : "h:mm:ss";
    if (!twelveHour)
        return pattern;
    return markerFirst ? "AMPM " + pattern : pattern + " AMPM";
}

} // namespace pagora
