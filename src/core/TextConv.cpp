#include "TextConv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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
    char digits[15];
    int count = 0;
    int exponent = 0;
};

// "00" to "99", so that digits are written two at a time.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

void WriteDigitPairs(char* at, std::uint32_t value, int pairs) {
    for (int i = pairs - 1; i >= 0; --i, value /= 100)
        std::memcpy(at + 2 * i, kDigitPairs + 2 * (value % 100), 2);
}

void DropTrailingZeros(Decimal15& d) {
    while (d.count > 1 && d.digits[d.count - 1] == '0')
        --d.count;
}

// The general way, for the magnitudes the exact way below does not reach:
// the library rounds correctly (half to even on an exact tie).
void RoundTo15Slowly(double magnitude, Decimal15& d) {
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf)); // d.ddde+XX
    const std::size_t ePos = text.find('e');
    d.digits[0] = text[0];
    d.count = 1;
    for (std::size_t i = 2; i < ePos && d.count < 15; ++i)
        d.digits[d.count++] = text[i];
    DropTrailingZeros(d);
    std::string_view expText = text.substr(ePos + 1);
    if (!expText.empty() && expText[0] == '+')
        expText.remove_prefix(1);
    int exp = 0;
    std::from_chars(expText.data(), expText.data() + expText.size(), exp);
    d.exponent = exp + 1;
}

// 128-bit unsigned arithmetic from 32-bit pieces: the i686 build has no
// wider integer type, and only a product, shifts and bit tests are needed.
struct U128 {
    std::uint64_t hi, lo;
};

U128 Multiply(std::uint64_t a, std::uint64_t b) {
    const auto a0 = static_cast<std::uint32_t>(a), a1 = static_cast<std::uint32_t>(a >> 32);
    const auto b0 = static_cast<std::uint32_t>(b), b1 = static_cast<std::uint32_t>(b >> 32);
    const std::uint64_t p00 = std::uint64_t{a0} * b0, p01 = std::uint64_t{a0} * b1;
    const std::uint64_t p10 = std::uint64_t{a1} * b0, p11 = std::uint64_t{a1} * b1;
    const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & 0xFFFFFFFFu)};
}

bool BitAt(const U128& p, int i) {
    return ((i < 64 ? p.lo >> i : p.hi >> (i - 64)) & 1) != 0;
}

bool AnyBitBelow(const U128& p, int i) {
    if (i <= 0)
        return false;
    if (i < 64)
        return (p.lo & ((std::uint64_t{1} << i) - 1)) != 0;
    return p.lo != 0 || (i > 64 && (p.hi & ((std::uint64_t{1} << (i - 64)) - 1)) != 0);
}

// p shifted right by 1 to 127 places, when the result fits 64 bits.
bool ShiftRight(const U128& p, int r, std::uint64_t& result) {
    if (r >= 64) {
        result = p.hi >> (r - 64);
        return true;
    }
    if ((p.hi >> r) != 0)
        return false;
    result = (p.hi << (64 - r)) | (p.lo >> r);
    return true;
}

constexpr std::array<std::uint64_t, 28> kPowersOf5 = [] {
    std::array<std::uint64_t, 28> powers{};
    std::uint64_t p = 1;
    for (auto& power : powers) {
        power = p;
        p *= 5;
    }
    return powers;
}();

constexpr std::uint64_t k1E14 = 100000000000000u, k1E15 = 1000000000000000u;

// The 15 digits of a value from 1E14 to below 1E15, in two 32-bit halves.
void WriteFifteenDigits(std::uint64_t value, char* digits) {
    const auto high = static_cast<std::uint32_t>(value / 100000000u);
    const auto low = static_cast<std::uint32_t>(value - std::uint64_t{high} * 100000000u);
    digits[0] = static_cast<char>('0' + high / 1000000);
    WriteDigitPairs(digits + 1, high % 1000000, 3);
    WriteDigitPairs(digits + 7, low, 4);
}

// m times 2^e2 times 10^k, exactly, as the integer below it and whether
// rounding to the nearest integer (half to even) goes up. 5^k has at most
// 63 bits for k up to 27, so the product is exact and nothing is guessed.
bool ScaleExactly(std::uint64_t m, int e2, int k, std::uint64_t& whole, bool& up) {
    const U128 p = Multiply(m, kPowersOf5[static_cast<std::size_t>(k)]);
    const int shift = e2 + k;
    if (shift >= 0) {
        if (p.hi != 0 || shift > 63 || (p.lo >> (63 - shift)) != 0)
            return false;
        whole = p.lo << shift;
        up = false;
        return true;
    }
    const int r = -shift;
    if (r >= 128 || !ShiftRight(p, r, whole))
        return false;
    up = BitAt(p, r - 1) && (AnyBitBelow(p, r - 1) || (whole & 1) != 0);
    return true;
}

// The exact way for magnitudes from about 1E-13 up to 1E15, where the value
// times a power of ten up to 10^27 brings its 15 digits before the point:
// no library call and no loss of precision on the way.
bool RoundTo15Exactly(double magnitude, Decimal15& d) {
    std::uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0 || biased == 0x7FF)
        return false; // subnormal (or not finite)
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int e2 = biased - 1075;
    // floor(log10(2) * binary exponent): the decimal exponent or one below.
    int e10 = ((biased - 1023) * 78913) >> 18;
    std::uint64_t whole = 0;
    bool up = false;
    for (int attempt = 0;; ++attempt) {
        const int k = 14 - e10;
        if (attempt == 3 || k < 0 || k >= static_cast<int>(kPowersOf5.size()) ||
            !ScaleExactly(m, e2, k, whole, up))
            return false;
        if (whole < k1E14)
            --e10;
        else if (whole >= k1E15)
            ++e10;
        else
            break;
    }
    whole += up ? 1 : 0;
    if (whole == k1E15) { // 999999999999999.5 and the like
        whole = k1E14;
        ++e10;
    }
    WriteFifteenDigits(whole, d.digits);
    d.count = 15;
    DropTrailingZeros(d);
    d.exponent = e10 + 1;
    return true;
}

void RoundTo15(double magnitude, Decimal15& d) {
    if (!RoundTo15Exactly(magnitude, d))
        RoundTo15Slowly(magnitude, d);
}

// Writes the laid-out text into `at`, which has room for any of them (a
// sign, "0.000" and 15 digits at most), and returns the end.
char* WriteFixed(char* at, const Decimal15& d, char separator) {
    const int n = d.count;
    if (d.exponent <= 0) {
        *at++ = '0';
        *at++ = separator;
        at = std::fill_n(at, -d.exponent, '0');
        return std::copy_n(d.digits, n, at);
    }
    if (n <= d.exponent)
        return std::fill_n(std::copy_n(d.digits, n, at), d.exponent - n, '0');
    at = std::copy_n(d.digits, d.exponent, at);
    *at++ = separator;
    return std::copy(d.digits + d.exponent, d.digits + n, at);
}

char* WriteScientific(char* at, const Decimal15& d, char separator) {
    *at++ = d.digits[0];
    if (d.count > 1) {
        *at++ = separator;
        at = std::copy(d.digits + 1, d.digits + d.count, at);
    }
    *at++ = 'E';
    return std::to_chars(at, at + 8, d.exponent - 1).ptr;
}

} // namespace

void AppendFloatText(std::string& out, double value, const FormatSettings& settings) {
    if (std::isnan(value)) {
        out.append("NAN");
        return;
    }
    if (std::isinf(value)) {
        out.append(value < 0 ? "-INF" : "INF");
        return;
    }
    if (value == 0.0) {
        out.push_back('0');
        return;
    }
    char buf[32];
    char* at = buf;
    if (value < 0)
        *at++ = '-';
    Decimal15 d;
    RoundTo15(std::fabs(value), d);
    const char separator = WrittenDecimalSeparator(settings);
    if (d.exponent >= -3 && d.exponent <= 15)
        at = WriteFixed(at, d, separator);
    else
        at = WriteScientific(at, d, separator);
    out.append(buf, at);
}

std::string FloatToText(double value, const FormatSettings& settings) {
    std::string out;
    AppendFloatText(out, value, settings);
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
    // Below a day's milliseconds, so 32 bits do (64-bit division is a
    // library call on i686).
    const auto msOfDay = static_cast<std::int32_t>(ms);
    p.ms = msOfDay % 1000;
    p.second = msOfDay / 1000 % 60;
    p.minute = msOfDay / 60000 % 60;
    p.hour = msOfDay / 3600000;
    return true;
}

// A small buffer in front of the caller's string: a date is written in many
// small pieces, and one append per piece would cost more than the digits.
// Flush() hands the text over; pieces longer than the buffer go straight on.
class TextSink {
public:
    explicit TextSink(std::string& out) : out_(out) {}
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    void Put(char c) {
        Reserve(1);
        buf_[used_++] = c;
    }
    // Byte by byte: the pieces are mostly one or two characters long.
    void Put(std::string_view text) {
        if (text.size() > kSize) {
            Flush();
            out_.append(text);
            return;
        }
        Reserve(text.size());
        for (char c : text)
            buf_[used_++] = c;
    }
    // Zeros in front up to minDigits (a minus sign counts as a digit).
    void Number(int value, int minDigits) {
        if (value < 0 || value > 9999) {
            char digits[16];
            const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
            for (auto length = end - digits; length < minDigits; ++length)
                Put('0');
            Put(std::string_view(digits, static_cast<std::size_t>(end - digits)));
            return;
        }
        int n = value >= 1000 ? 4 : value >= 100 ? 3 : value >= 10 ? 2 : 1;
        n = std::max(n, minDigits);
        Reserve(static_cast<std::size_t>(n));
        for (int i = n - 1; i >= 0; --i, value /= 10)
            buf_[used_ + static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
        used_ += static_cast<std::size_t>(n);
    }
    void Flush() {
        out_.append(buf_, used_);
        used_ = 0;
    }

private:
    static constexpr std::size_t kSize = 64;
    void Reserve(std::size_t size) {
        if (size > kSize - used_)
            Flush();
    }

    std::string& out_;
    char buf_[kSize];
    std::size_t used_ = 0;
};

// A pattern taken apart into the steps that write it, so that a column of
// dates reads its pattern once rather than at every cell.
struct DateStep {
    enum class Kind : std::uint8_t { Text, DateSeparator, TimeSeparator, Number, Name, Marker };
    enum Part : std::uint8_t { Day, Month, ShortYear, Year, Hour, Minute, Second, Millisecond };
    enum NameList : std::uint8_t { ShortDay, LongDay, ShortMonth, LongMonth, LocaleMarker };
    Kind kind;
    std::uint8_t what;      // Number: the Part; Name: the NameList
    std::uint8_t digits;    // Number: the fewest digits written
    std::uint32_t at = 0;   // Text and Marker: where the text starts in the pattern
    std::uint32_t size = 0; // Text and Marker: its length
    std::uint32_t pmAt = 0; // Marker: where the afternoon's text starts
};

struct CompiledPattern {
    std::string source;
    std::vector<DateStep> steps;
    bool twelveHour = false;
};

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

class PatternCompiler {
public:
    explicit PatternCompiler(std::string_view pattern) { compiled_.source = pattern; }

    CompiledPattern Compile() && {
        const std::string_view pattern = compiled_.source;
        compiled_.twelveHour = HasMarker(pattern);
        std::size_t i = 0;
        while (i < pattern.size())
            i = Token(pattern, i);
        return std::move(compiled_);
    }

private:
    std::size_t Token(std::string_view pattern, std::size_t i) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {
            std::size_t close = pattern.find(c, i + 1);
            if (close == std::string_view::npos)
                close = pattern.size();
            Text(i + 1, close - i - 1);
            return close + 1;
        }
        if (c == '/' || c == ':') {
            Add({c == '/' ? DateStep::Kind::DateSeparator : DateStep::Kind::TimeSeparator, 0, 0});
            return i + 1;
        }
        if (Lower(c) == 'a')
            return Marker(pattern, i);
        const std::size_t n = RunLength(pattern, i);
        const char letter = Lower(c);
        if (!Field(letter, n))
            Text(i, n);
        if (letter >= 'a' && letter <= 'z')
            last_ = letter;
        return i + n;
    }

    bool Field(char letter, std::size_t n) {
        const std::uint8_t upToTwo = n >= 2 ? 2 : 1;
        switch (letter) {
        case 'd':
            return n <= 2 ? Number(DateStep::Day, static_cast<std::uint8_t>(n))
                          : Name(n == 3 ? DateStep::ShortDay : DateStep::LongDay);
        case 'm':
            if (last_ == 'h')
                return Number(DateStep::Minute, upToTwo);
            return n <= 2 ? Number(DateStep::Month, static_cast<std::uint8_t>(n))
                          : Name(n == 3 ? DateStep::ShortMonth : DateStep::LongMonth);
        case 'y':
            return n <= 2 ? Number(DateStep::ShortYear, 2) : Number(DateStep::Year, 4);
        case 'h':
            return Number(DateStep::Hour, upToTwo);
        case 'n':
            return Number(DateStep::Minute, upToTwo);
        case 's':
            return Number(DateStep::Second, upToTwo);
        case 'z':
            return Number(DateStep::Millisecond, n >= 3 ? 3 : 1);
        default:
            return false;
        }
    }

    // am/pm and a/p keep the case in which the pattern writes them; ampm
    // writes the locale's own texts.
    std::size_t Marker(std::string_view pattern, std::size_t i) {
        last_ = 'a';
        if (StartsWithNoCase(pattern, i, "am/pm")) {
            Add({DateStep::Kind::Marker, 0, 0, Offset(i), 2, Offset(i + 3)});
            return i + 5;
        }
        if (StartsWithNoCase(pattern, i, "a/p")) {
            Add({DateStep::Kind::Marker, 0, 0, Offset(i), 1, Offset(i + 2)});
            return i + 3;
        }
        if (StartsWithNoCase(pattern, i, "ampm")) {
            Name(DateStep::LocaleMarker);
            return i + 4;
        }
        Text(i, 1);
        return i + 1;
    }

    bool Number(DateStep::Part part, std::uint8_t digits) {
        Add({DateStep::Kind::Number, part, digits});
        return true;
    }
    bool Name(DateStep::NameList list) {
        Add({DateStep::Kind::Name, list, 0});
        return true;
    }
    void Text(std::size_t at, std::size_t size) {
        if (size > 0)
            Add({DateStep::Kind::Text, 0, 0, Offset(at), Offset(size)});
    }
    void Add(const DateStep& step) { compiled_.steps.push_back(step); }
    static std::uint32_t Offset(std::size_t i) { return static_cast<std::uint32_t>(i); }

    CompiledPattern compiled_;
    char last_ = 0; // the previous letter: m after h means minutes
};

int PartValue(const DateTimeParts& p, std::uint8_t part, bool twelveHour) {
    switch (part) {
    case DateStep::Day:
        return p.day;
    case DateStep::Month:
        return p.month;
    case DateStep::ShortYear:
        return p.year % 100;
    case DateStep::Year:
        return p.year;
    case DateStep::Hour:
        return !twelveHour ? p.hour : p.hour % 12 == 0 ? 12 : p.hour % 12;
    case DateStep::Minute:
        return p.minute;
    case DateStep::Second:
        return p.second;
    default:
        return p.ms;
    }
}

const std::string& NameOf(const DateTimeParts& p, std::uint8_t list, const FormatSettings& fs) {
    switch (list) {
    case DateStep::ShortDay:
        return fs.ShortDayNames[static_cast<std::size_t>(p.weekday)];
    case DateStep::LongDay:
        return fs.LongDayNames[static_cast<std::size_t>(p.weekday)];
    case DateStep::ShortMonth:
        return fs.ShortMonthNames[static_cast<std::size_t>(p.month - 1)];
    case DateStep::LongMonth:
        return fs.LongMonthNames[static_cast<std::size_t>(p.month - 1)];
    default:
        return p.hour >= 12 ? fs.TimePMString : fs.TimeAMString;
    }
}

void PutSeparator(TextSink& sink, char separator) {
    if (separator != '\0')
        sink.Put(separator);
}

void Write(const CompiledPattern& pattern, const DateTimeParts& p, const FormatSettings& fs,
           TextSink& sink) {
    const std::string_view source = pattern.source;
    for (const DateStep& step : pattern.steps) {
        switch (step.kind) {
        case DateStep::Kind::Text:
            sink.Put(source.substr(step.at, step.size));
            break;
        case DateStep::Kind::DateSeparator:
            PutSeparator(sink, fs.DateSeparator);
            break;
        case DateStep::Kind::TimeSeparator:
            PutSeparator(sink, fs.TimeSeparator);
            break;
        case DateStep::Kind::Number:
            sink.Number(PartValue(p, step.what, pattern.twelveHour), step.digits);
            break;
        case DateStep::Kind::Name:
            sink.Put(NameOf(p, step.what, fs));
            break;
        case DateStep::Kind::Marker:
            sink.Put(source.substr(p.hour >= 12 ? step.pmAt : step.at, step.size));
            break;
        }
    }
}

// The last pattern taken apart, kept while the settings name the same one.
// One per thread, as the settings may be read from more than one.
class PatternCache {
public:
    const CompiledPattern& Get(std::string_view pattern) {
        if (!filled_ || pattern != compiled_.source) {
            compiled_ = PatternCompiler(pattern).Compile();
            filled_ = true;
        }
        return compiled_;
    }

private:
    CompiledPattern compiled_;
    bool filled_ = false;
};

} // namespace

std::string FormatDateTime(std::string_view pattern, double value, const FormatSettings& settings) {
    DateTimeParts p;
    if (!Decode(value, p))
        return {};
    std::string out;
    TextSink sink(out);
    Write(PatternCompiler(pattern).Compile(), p, settings, sink);
    sink.Flush();
    return out;
}

void AppendDateTimeText(std::string& out, double value, const FormatSettings& settings) {
    DateTimeParts p;
    if (!Decode(value, p))
        return;
    thread_local PatternCache dates, times;
    TextSink sink(out);
    Write(dates.Get(settings.ShortDateFormat), p, settings, sink);
    // Milliseconds alone do not make a time worth showing.
    if (p.hour != 0 || p.minute != 0 || p.second != 0) {
        sink.Put(' ');
        Write(times.Get(settings.LongTimeFormat), p, settings, sink);
    }
    sink.Flush();
}

std::string DateTimeToText(double value, const FormatSettings& settings) {
    std::string out;
    AppendDateTimeText(out, value, settings);
    return out;
}

std::string MakeLongTimeFormat(bool leadingZeroHour, bool twelveHour, bool markerFirst) {
    std::string pattern = leadingZeroHour ? "hh:mm:ss" : "h:mm:ss";
    if (!twelveHour)
        return pattern;
    return markerFirst ? "AMPM " + pattern : pattern + " AMPM";
}

} // namespace pagora
