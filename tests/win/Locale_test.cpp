#include "Locale.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace pagora {
namespace {

TEST(Locale, ShortDatePatternInTheTableLetters) {
    const struct {
        const char* windows;
        char separator;
        const char* ours;
    } cases[] = {
        {"M/d/yyyy", '/', "m/d/yyyy"},
        {"d/M/yyyy", '/', "d/m/yyyy"},
        {"dd.MM.yyyy", '.', "dd/mm/yyyy"},
        {"yyyy-MM-dd", '-', "yyyy/mm/dd"},
        {"d/M/yy", '/', "d/m/yy"},
        {"d/M/y", '/', "d/m/yy"},
        {"d/M/yyyyy", '/', "d/m/yyyy"},
        {"dd MMM yyyy", '/', "dd mmm yyyy"},
        {"d. M. yyyy", '/', "d. m. yyyy"}, // separator too long to use: kept as text
        {"yyyy'年'M'月'd'日'", '/', "yyyy'年'm'月'd'日'"},
        {"dd'.M.'yyyy", '.', "dd'.M.'yyyy"},
        {"ddMMyyyy", '\0', "ddmmyyyy"},
        {"gg yyyy/M/d", '/', "gg yyyy/m/d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertShortDatePattern(c.windows, c.separator), c.ours) << c.windows;
}

TEST(Locale, SettingsOfTheKnownLocales) {
    const FormatSettings fs = ReadFormatSettings();
    switch (PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID()))) {
    case LANG_ITALIAN:
        EXPECT_EQ(fs.DecimalSeparator, ',');
        EXPECT_EQ(fs.DateSeparator, '/');
        EXPECT_EQ(fs.TimeSeparator, ':');
        EXPECT_EQ(fs.ShortDateFormat, "d/m/yyyy");
        EXPECT_EQ(fs.LongTimeFormat, "hh:mm:ss");
        break;
    case LANG_ENGLISH:
        EXPECT_EQ(fs.DecimalSeparator, '.');
        EXPECT_EQ(fs.DateSeparator, '/');
        EXPECT_EQ(fs.TimeSeparator, ':');
        EXPECT_EQ(fs.ShortDateFormat, "m/d/yyyy");
        EXPECT_EQ(fs.LongTimeFormat, "h:mm:ss AMPM");
        EXPECT_EQ(fs.TimeAMString, "AM");
        EXPECT_EQ(fs.TimePMString, "PM");
        break;
    default:
        GTEST_SKIP() << "no expectations for this locale";
    }
}

TEST(Locale, SameTextIgnoresCaseByTheLocale) {
    const struct {
        const char *a, *b;
        bool same;
    } cases[] = {
        {"Qty", "QTY", true},  {"qty", "Qty", true},   {"citt\xE0", "CITT\xC0", true},
        {"Qty", "Qta", false}, {"Qty", "Qty ", false}, {"", "", true},
        {"a", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SameTextLocale(c.a, c.b), c.same) << c.a << " / " << c.b;
}

} // namespace
} // namespace pagora
