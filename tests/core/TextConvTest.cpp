#include "TextConv.h"
#include "CoreTestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

namespace pagora::test {
namespace {

// ---------------------------------------------------------------- integers

struct IntCase {
    std::string text;
    std::optional<std::int32_t> value; // nullopt: the text fails
};

TEST(TextToInt, AcceptsOnlyTheIntegerForms) {
    const IntCase cases[] = {
        {"42", 42},
        {" 42", 42},
        {"   +42", 42},
        {"-0", 0},
        {"0005", 5},
        {"42 ", {}},
        {"4 2", {}},
        {"1.0", {}},
        {"1,000", {}},
        {"1E3", {}},
        {"", {}},
        {" ", {}},
        {"-", {}},
        {"+ 5", {}},
        {"--5", {}},
        {"$FF", 255},
        {"0xff", 255},
        {"xFF", 255},
        {"XfF", 255},
        {"0XFF", 255},
        {"-$10", -16},
        {"$", {}},
        {"0x", {}},
        {"$G", {}},
        {"0x-5", {}},
        {"$ F", {}},
        {"2147483647", 2147483647},
        {"2147483648", {}},
        {"-2147483648", -2147483647 - 1},
        {"-2147483649", {}},
        {"99999999999", {}},
        {"$FFFFFFFF", -1},
        {"$100000000", {}},
        {"$0000000001", 1},
        {"$80000000", -2147483647 - 1},
        {"-$80000000", -2147483647 - 1},
        {"-$FFFFFFFF", 1},
        {std::string("4\0", 2), {}},
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE("text: [" + c.text + "]");
        std::int32_t value = 12345;
        bool ok = TryTextToInt(c.text, value);
        EXPECT_EQ(ok, c.value.has_value());
        if (ok && c.value) {
            EXPECT_EQ(value, *c.value);
        }
    }
}

TEST(IntToText, PlainDigits) {
    EXPECT_EQ(IntToText(0), "0");
    EXPECT_EQ(IntToText(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToText(1234567), "1234567");
}

// ------------------------------------------------------------------ floats

struct FloatCase {
    std::string text;
    std::optional<double> value;
};

TEST(TextToFloat, PointSeparator) {
    const FloatCase cases[] = {
        {" -1.5e3 ", -1500.0},
        {"1,5", {}},
        {".", 0.0},
        {"-.", 0.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"1E", 1.0},
        {"1e+", 1.0},
        {"2E-2", 0.02},
        {"+7", 7.0},
        {"E5", {}},
        {"+", {}},
        {" ", {}},
        {"1 E5", {}},
        {"1e 5", {}},
        {"- 1", {}},
        {"1.5.5", {}},
        {"1e5.5", {}},
        {"1E308", 1e308},
        {"1.7976931348623157E308", DBL_MAX},
        {"1.8E308", {}},
        {"1E499", {}},
        {"1E5000", {}}, // exponent digits left over
        {"1E-400", 0.0},
        {"4.9406564584124654E-324", 4.9406564584124654E-324},
        {"123456789012345678901234567890", 1.2345678901234568e29},
        {"0.1", 0.1},
        {"0000000000000000000001", 1.0},
    };
    FormatSettings fs;
    for (const FloatCase& c : cases) {
        SCOPED_TRACE("text: [" + c.text + "]");
        double value = 12345;
        bool ok = TryTextToFloat(c.text, fs, value);
        EXPECT_EQ(ok, c.value.has_value());
        if (ok && c.value) {
            EXPECT_EQ(value, *c.value);
            EXPECT_FALSE(std::signbit(value) && value == 0.0);
        }
    }
}

TEST(TextToFloat, OnlyTheLocaleSeparator) {
    FormatSettings fs;
    fs.DecimalSeparator = ',';
    double value = 0;
    EXPECT_TRUE(TryTextToFloat("1,5", fs, value));
    EXPECT_EQ(value, 1.5);
    EXPECT_FALSE(TryTextToFloat("1.5", fs, value));
    fs.DecimalSeparator = '\0';
    EXPECT_FALSE(TryTextToFloat(std::string("1\0"
                                            "5",
                                            3),
                                fs, value));
}

struct FloatTextCase {
    double value;
    std::string text;
};

TEST(FloatToText, FifteenSignificantDigits) {
    const FloatTextCase cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {0.000015, "1.5E-5"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {999999999999999.9, "1E15"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.50, "2.5"},
        {1e20, "1E20"},
        {-1500.0, "-1500"},
        {-1.25e-7, "-1.25E-7"},
        {12345.678, "12345.678"},
        {0.1, "0.1"},
        {static_cast<double>(0.1f), "0.100000001490116"},
        {DBL_MAX, "1.79769313486232E308"},
        {4.9406564584124654E-324, "4.94065645841247E-324"},
        {1e100, "1E100"},
        {100.0, "100"},
    };
    FormatSettings fs;
    for (const FloatTextCase& c : cases)
        EXPECT_EQ(FloatToText(c.value, fs), c.text) << c.text;
    fs.DecimalSeparator = ',';
    EXPECT_EQ(FloatToText(-2.5e-9, fs), "-2,5E-9");
    EXPECT_EQ(FloatToText(2.5, fs), "2,5");
}

TEST(FloatToText, ReadsBackToTheSameFifteenDigits) {
    FormatSettings fs;
    std::uint64_t seed = 1;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        double mantissa = 1.0 + static_cast<double>(seed >> 11) * 0x1.0p-53 * 9.0;
        double x = mantissa * std::pow(10.0, static_cast<int>(seed % 600) - 300);
        if (seed & 1)
            x = -x;
        std::string text = FloatToText(x, fs);
        double back = 0;
        ASSERT_TRUE(TryTextToFloat(text, fs, back)) << text;
        EXPECT_EQ(FloatToText(back, fs), text);
        EXPECT_NEAR(back, x, std::fabs(x) * 1e-14) << text;
    }
}

// --------------------------------------------------------------- date-times

constexpr double kDec31 = 46387; // 31 December 2026
constexpr double kHour = 1.0 / 24;

struct DateTimeCase {
    std::string text;
    std::optional<double> value;
};

void ExpectDateTimes(const FormatSettings& fs, const std::vector<DateTimeCase>& cases) {
    FixedClock clock{LocalTime{2026, 3, 15}};
    for (const DateTimeCase& c : cases) {
        SCOPED_TRACE("text: [" + c.text + "]");
        double value = -999;
        bool ok = TryTextToDateTime(c.text, fs, clock, value);
        EXPECT_EQ(ok, c.value.has_value());
        if (ok && c.value) {
            EXPECT_NEAR(value, *c.value, 1e-9);
        }
    }
}

TEST(TextToDateTime, DayMonthYear) {
    ExpectDateTimes(DmySettings(), {
                                       {"31/12/2026", kDec31},
                                       {" 31 / 12 / 2026 ", kDec31},
                                       {"31/12/26 8:05", kDec31 + (8 * 60 + 5) / 1440.0},
                                       {"31/12", kDec31},
                                       {"31/12 8:05", kDec31 + (8 * 60 + 5) / 1440.0},
                                       {"31/12/2026/", kDec31},
                                       {"31/12/2026/10:30", kDec31 + 10.5 * kHour},
                                       {"31/12/2026 10:30 not examined", kDec31 + 10.5 * kHour},
                                       {"31/12/2026 word", {}},
                                       {"31/12/", {}},
                                       {"31/02/2026", {}},
                                       {"29/02/2024", 45351},
                                       {"29/02/2026", {}},
                                       {"1/1/76", 27760},     // 1976
                                       {"1/1/75", 63920},     // 2075
                                       {"1/1/0076", -666200}, // year 76 as written
                                       {"1/1/0", 36526},      // 2000
                                       {"1/1/0000", {}},
                                       {"31/12/9999", 2958465},
                                       {"1/1/0001", -693593},
                                       {"1/1/1", 36892}, // 2001
                                       {"29/12/1899 6:00", -1.25},
                                       {"word", {}},
                                       {"", {}},
                                       {"2026-12-31", {}},
                                   });
}

TEST(TextToDateTime, TimeAlone) {
    ExpectDateTimes(DmySettings(), {
                                       {"10:30", 10.5 * kHour},
                                       {" 10 : 30 ", 10.5 * kHour},
                                       {"10", 10 * kHour},
                                       {"23:59:59", (86400 - 1) / 86400.0},
                                       {"10:30:15.250", (37815 + 0.25) / 86400.0},
                                       {"10:30 junk", {}},
                                       {"10:", {}},
                                       {"10:30:", {}},
                                       {"10:30:15.", {}},
                                       {"24:00", {}},
                                       {"10:60", {}},
                                       {"10:30:60", {}},
                                       {"12:00 AM", 0.0},
                                       {"12:00 pm", 0.5},
                                       {"PM 1:00", 13 * kHour},
                                       {"pm1", 13 * kHour},
                                       {"11:59:59 am", (43200 - 1) / 86400.0},
                                       {"13:00 PM", {}},
                                       {"0 AM", {}},
                                       {"AM", {}},
                                       {"31/12/2026 PM 8:05", kDec31 + (20 * 60 + 5) / 1440.0},
                                   });
}

TEST(TextToDateTime, LocaleMarkersAndOrders) {
    FormatSettings fs;
    fs.TimeAMString = "vorm.";
    fs.TimePMString = "nachm.";
    fs.ShortDateFormat = "yyyy-mm-dd";
    fs.DateSeparator = '-';
    fs.TimeSeparator = '.';
    fs.DecimalSeparator = ',';
    ExpectDateTimes(fs, {
                            {"2026-12-31", kDec31},
                            {"26-12-31", kDec31},
                            {"12-31", kDec31}, // month and day
                            {"2026-12-31 8.05 NACHM.", kDec31 + (20 * 60 + 5) / 1440.0},
                            {"8.05.10,5 vorm.", (8 * 3600 + 5 * 60 + 10 + 0.005) / 86400.0},
                            {"8 PM", 20 * kHour},
                        });
    fs.ShortDateFormat = "//";
    fs.DateSeparator = '/';
    ExpectDateTimes(fs, {{"12/31/2026", kDec31}, {"12/31", kDec31}}); // no letter: month first
}

struct DateTestCase {
    std::string text;
    bool isDate;
};

TEST(TryTextToDate, WholeTextIsOneDate) {
    const DateTestCase cases[] = {
        {"31/12/2026", true},
        {" 31 / 12 / 2026 ", true},
        {"31/12/26", true},
        {"31/12", true},
        {"31/12/2026/", true},
        {"31/12/2026 / ", true},
        {"31/12/2026//", false},
        {"31/12/2026 10:30", false},
        {"31/12/2026 pm", false},
        {"31/02/2026", false},
        {"31/12/", false},
        {"2026-12-31", false},
        {"31", false},
        {"", false},
        {"31/12/2026x", false},
        {"0031/0012/2026", true},
        {"31/12/12026", false},
    };
    FormatSettings fs = DmySettings();
    FixedClock clock{LocalTime{2026, 3, 15}};
    for (const DateTestCase& c : cases)
        EXPECT_EQ(TryTextToDate(c.text, fs, clock), c.isDate) << c.text;
    double value = 0;
    ASSERT_TRUE(TryTextToDate("31/12", fs, clock, value));
    EXPECT_EQ(value, kDec31);
    clock.Set(LocalTime{2030, 1, 1});
    ASSERT_TRUE(TryTextToDate("1/1/80", fs, clock, value));
    EXPECT_EQ(value, 29221); // 1980, inside 1980..2079
}

// ------------------------------------------------------------ date writing

struct DateTextCase {
    double value;
    std::string text;
};

TEST(DateTimeToText, DateThenTimeWhenThereIsOne) {
    FormatSettings dmy = DmySettings();
    FormatSettings us;
    us.ShortDateFormat = "m/d/yyyy";
    us.TimeAMString = "AM";
    us.TimePMString = "PM";
    const DateTextCase dmyCases[] = {
        {kDec31, "31/12/2026"},
        {kDec31 + 10.5 * kHour, "31/12/2026 10:30:00"},
        {kDec31 + 0.5 / 86400, "31/12/2026"}, // milliseconds alone
        {10.5 * kHour, "30/12/1899 10:30:00"},
        {-1.25, "29/12/1899 06:00:00"},
        {kDec31 + (86400 - 0.0001) / 86400, "01/01/2027"},
    };
    for (const DateTextCase& c : dmyCases)
        EXPECT_EQ(DateTimeToText(c.value, dmy), c.text);
    EXPECT_EQ(DateTimeToText(kDec31 + 18 * kHour, us), "12/31/2026 6:00:00 PM");
    EXPECT_EQ(DateTimeToText(0.5, us), "12/30/1899 12:00:00 PM");
    EXPECT_EQ(DateTimeToText(kDec31 + kHour / 60, us), "12/31/2026 12:01:00 AM");
    us.LongTimeFormat = MakeLongTimeFormat(true, true, true);
    EXPECT_EQ(DateTimeToText(kDec31 + 18 * kHour, us), "12/31/2026 PM 06:00:00");
}

// Every text appended after what the buffer held, and the same as the
// string form: the fragment relies on the one, other callers on the other.
void ExpectFloatTexts(const std::vector<FloatTextCase>& cases, const FormatSettings& fs) {
    for (const FloatTextCase& c : cases) {
        std::string line = "<td>";
        AppendFloatText(line, c.value, fs);
        EXPECT_EQ(line, "<td>" + c.text) << c.text;
        EXPECT_EQ(FloatToText(c.value, fs), c.text);
    }
}

TEST(AppendFloatText, EdgesOfRoundingAndNotation) {
    ExpectFloatTexts(
        {
            {0.0, "0"},
            {-0.0, "0"},
            {1e15, "1E15"},
            {-1e15, "-1E15"},
            {999999999999999.0, "999999999999999"},
            {999999999999999.5, "1E15"},
            {999999999999999.4, "999999999999999"},
            {1e-4, "0.0001"},
            {0.00009999999999999999, "0.0001"},
            {0.000099999999999999, "9.9999999999999E-5"},
            {9.99999999999999e-5, "9.99999999999999E-5"},
            {DBL_MAX, "1.79769313486232E308"},
            {-DBL_MAX, "-1.79769313486232E308"},
            {DBL_MIN, "2.2250738585072E-308"},
            {DBL_TRUE_MIN, "4.94065645841247E-324"},
            {2.2250738585072009e-308, "2.2250738585072E-308"},
            {123456789.0, "123456789"},
            {-2147483648.0, "-2147483648"},
            {9007199254740993.0, "9.00719925474099E15"},
            {100000000000000.5, "100000000000000"},
            {100000000000001.5, "100000000000002"},
            {0.5, "0.5"},
            {1234567890123455.0, "1.23456789012346E15"},
            {1234567890123465.0, "1.23456789012346E15"},
            {0.1 + 0.2, "0.3"},
            {1.0 / 3.0, "0.333333333333333"},
            {2.0 / 3.0, "0.666666666666667"},
            {-1.0 / 7.0, "-0.142857142857143"},
            {1e-13, "1E-13"},
            {1.5e-14, "1.5E-14"},
            {12.840000000000002, "12.84"},
            {3.0000000000000004, "3"},
            {1e21, "1E21"},
            {1.0000000000000002e-5, "1E-5"},
            {0.001, "0.001"},
            {-0.0015, "-0.0015"},
            {99999.99999999999, "100000"},
            {5e-324, "4.94065645841247E-324"},
            {std::nan(""), "NAN"},
            {-HUGE_VAL, "-INF"},
            {HUGE_VAL, "INF"},
        },
        FormatSettings{});
}

// The 15 digits against the C library's own correct rounding ("%.14e"):
// two texts of 15 significant digits read back to the same double exactly
// when they name the same number, whatever notation each uses.
TEST(AppendFloatText, AgreesWithTheLibraryOverRandomValues) {
    FormatSettings fs;
    std::mt19937_64 random(20260315);
    auto check = [&](double x) {
        char expected[40];
        std::snprintf(expected, sizeof expected, "%.14e", x);
        std::string text;
        AppendFloatText(text, x, fs);
        double back = 0;
        ASSERT_TRUE(TryTextToFloat(text, fs, back)) << text;
        ASSERT_EQ(back, std::strtod(expected, nullptr)) << text << " for " << expected;
    };
    for (int i = 0; i < 20000; ++i) {
        double x;
        const std::uint64_t bits = random();
        std::memcpy(&x, &bits, sizeof x);
        if (std::isnormal(x))
            check(x);
        // Decimals as a sheet holds them, with the binary error of their
        // last digit, in every decade the fixed notation covers and beyond.
        const auto digits = static_cast<double>(random() % 100000000000000000u);
        check(digits * std::pow(10.0, static_cast<int>(random() % 40) - 37));
        // Exact ties at the sixteenth digit round to even.
        const std::uint64_t tie = 1000000000000000u + random() % 8000000000000000u / 10 * 10 + 5;
        check(static_cast<double>(tie));
        check(static_cast<double>(tie / 10) + 0.5);
    }
}

void ExpectDateTexts(const std::vector<DateTextCase>& cases, const FormatSettings& fs) {
    for (const DateTextCase& c : cases) {
        std::string line = "<td>";
        AppendDateTimeText(line, c.value, fs);
        EXPECT_EQ(line, "<td>" + c.text) << c.value;
        EXPECT_EQ(DateTimeToText(c.value, fs), c.text);
    }
}

TEST(AppendDateTimeText, AroundDayZeroMidnightAndMilliseconds) {
    ExpectDateTexts(
        {
            {0.0, "30/12/1899"},
            {-1.0, "29/12/1899"},
            {-1.5, "29/12/1899 12:00:00"},
            {-0.25, "30/12/1899 06:00:00"},
            {-693593.0, "01/01/0001"},
            {2958465.0, "31/12/9999"},
            {46387.0, "31/12/2026"},
            {46387.5, "31/12/2026 12:00:00"},
            {46387.0 + 1.5 / 86400000, "31/12/2026"},
            {46387.0 + 999.0 / 86400000, "31/12/2026"},
            {46387.0 + 1001.0 / 86400000, "31/12/2026 00:00:01"},
            {-1.0 - 1.0 / 86400, "29/12/1899 00:00:01"},
            {46387.0 + 86399.9996 / 86400, "01/01/2027"},
            {-3000000.0, "10/04/-6314"},
            {3000000.0, "19/09/10113"},
            {3000000.5, ""},
            {1e300, ""},
            {-0.0, "30/12/1899"},
        },
        DmySettings());
    FormatSettings names;
    names.ShortDateFormat = "ddd d mmm yy";
    names.LongTimeFormat = "h:nn:ss.zzz a/p 'h'";
    ExpectDateTexts(
        {
            {0.0, "Sat 30 Dec 99"},
            {-1.0, "Fri 29 Dec 99"},
            {-1.5, "Fri 29 Dec 99 12:00:00.000 p h"},
            {-0.25, "Sat 30 Dec 99 6:00:00.000 a h"},
            {-693593.0, "Mon 1 Jan 01"},
            {2958465.0, "Fri 31 Dec 99"},
            {46387.0, "Thu 31 Dec 26"},
            {46387.5, "Thu 31 Dec 26 12:00:00.000 p h"},
            {46387.0 + 1.5 / 86400000, "Thu 31 Dec 26"},
            {46387.0 + 999.0 / 86400000, "Thu 31 Dec 26"},
            {46387.0 + 1001.0 / 86400000, "Thu 31 Dec 26 12:00:01.001 a h"},
            {-1.0 - 1.0 / 86400, "Fri 29 Dec 99 12:00:01.000 a h"},
            {46387.0 + 86399.9996 / 86400, "Fri 1 Jan 27"},
            {-3000000.0, "Wed 10 Apr -14"},
            {3000000.0, "Tue 19 Sep 13"},
            {3000000.5, ""},
            {1e300, ""},
            {-0.0, "Sat 30 Dec 99"},
        },
        names);
}

// The patterns are kept between calls: a change of settings must show at
// the very next text.
TEST(AppendDateTimeText, FollowsChangedSettings) {
    FormatSettings fs = DmySettings();
    const double at = kDec31 + 18 * kHour;
    EXPECT_EQ(DateTimeToText(at, fs), "31/12/2026 18:00:00");
    fs.ShortDateFormat = "yyyy-mm-dd";
    fs.DateSeparator = '-';
    EXPECT_EQ(DateTimeToText(at, fs), "2026-12-31 18:00:00");
    fs.LongTimeFormat = "hh:mm ampm";
    fs.TimePMString = "nachm.";
    EXPECT_EQ(DateTimeToText(at, fs), "2026-12-31 06:00 nachm.");
    fs.LongMonthNames[11] = std::string(100, 'D'); // longer than any buffer on the way
    fs.ShortDateFormat = "mmmm";
    EXPECT_EQ(DateTimeToText(at, fs), std::string(100, 'D') + " 06:00 nachm.");
}

TEST(FormatDateTime, PatternLetters) {
    FormatSettings fs;
    fs.DateSeparator = '.';
    fs.TimeSeparator = ':';
    const double at = kDec31 + (18 * 3600 + 7 * 60 + 9 + 0.045) / 86400;
    const std::pair<const char*, const char*> cases[] = {
        {"d/m/yy", "31.12.26"},
        {"dd/mm/yyyy", "31.12.2026"},
        {"D-MMM-YY", "31-Dec-26"},
        {"dddd d mmmm yyyy", "Thursday 31 December 2026"},
        {"ddd", "Thu"},
        {"h:m:s", "18:7:9"},
        {"hh:mm:ss.zzz", "18:07:09.045"},
        {"hh:nn", "18:07"},
        {"h:mm am/pm", "6:07 pm"},
        {"h:mm AM/PM", "6:07 PM"},
        {"h A/P", "6 P"},
        {"ampm h", "pm 6"},
        {"'d m y' \"h\" yyyy", "d m y h 2026"},
        {"yyyy-mm-dd", "2026-12-31"},
    };
    for (const auto& [pattern, text] : cases)
        EXPECT_EQ(FormatDateTime(pattern, at, fs), text) << pattern;
    fs.DateSeparator = '\0';
    EXPECT_EQ(FormatDateTime("d/m", at, fs), "3112");
    EXPECT_EQ(FormatDateTime("yyyy", 1.0 - 693594, fs), "0001");
}

TEST(MakeLongTimeFormat, HourAndMarkerPlacement) {
    EXPECT_EQ(MakeLongTimeFormat(true, false, false), "hh:mm:ss");
    EXPECT_EQ(MakeLongTimeFormat(false, false, true), "h:mm:ss");
    EXPECT_EQ(MakeLongTimeFormat(false, true, false), "h:mm:ss AMPM");
    EXPECT_EQ(MakeLongTimeFormat(true, true, true), "AMPM hh:mm:ss");
}

} // namespace
} // namespace pagora::test
