#include "Reporting.h"

#include <gtest/gtest.h>

namespace pagora {
namespace {

TEST(FailureLine, ComposesPrefixClassAndMessageVerbatim) {
    struct Case {
        const Exception& failure;
        const char* expected;
    };
    const Exception general("Cannot open clipboard");
    const EDatabaseError empty("");
    const EOleException withBreak("line one\r\nline two.", 0);
    const EOutOfMemory oom("Out of memory");
    const Case cases[] = {
        {general, "Copia negli appunti fallita. Exception: Cannot open clipboard"},
        {empty, "Copia negli appunti fallita. EDatabaseError: "},
        {withBreak, "Copia negli appunti fallita. EOleException: line one\r\nline two."},
        {oom, "Copia negli appunti fallita. EOutOfMemory: Out of memory"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FailureLine("Copia negli appunti fallita. ", c.failure), c.expected);
}

TEST(FailureLine, KeepsBlanksAtBothEnds) {
    EXPECT_EQ(FailureLine("P. ", Exception("  x  ")), "P. Exception:   x  ");
}

TEST(DefaultDisplayText, AppendsFullStopOnlyAfterBytesAbovePoint) {
    struct Case {
        std::string message, expected;
    };
    const Case cases[] = {
        {"", ""},
        {"Bad thing", "Bad thing."},
        {"Code 42", "Code 42."},
        {"a/", "a/."},
        {"a:", "a:."},
        {"Why?", "Why?."},
        {"Done.", "Done."},
        {"Wow!", "Wow!"},
        {"say \"x\"", "say \"x\""},
        {"it's '", "it's '"},
        {"(x)", "(x)"},
        {"trailing ", "trailing "},
        {"a,", "a,"},
        {"a-", "a-"},
        {"caff\xE8", "caff\xE8."}, // a byte above 0x7F counts as above '.'
        {"two\r\nlines", "two\r\nlines."},
        {"ends in break\n", "ends in break\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DefaultDisplayText(c.message), c.expected) << c.message;
}

TEST(WithAccessKeys, MarksFirstFreeKeyInMenuOrder) {
    struct Case {
        std::vector<std::string> captions, expected;
    };
    const Case cases[] = {
        {{" Importa da Excel ", " Copia negli appunti ", " Esporta in html ", " Esci "},
         {" &Importa da Excel ", " &Copia negli appunti ", " &Esporta in html ", " E&sci "}},
        // case does not matter when a key is taken
        {{"abc", "ABD"}, {"&abc", "A&BD"}},
        // digits count; punctuation and accented letters do not
        {{"-1-", "\xE8x"}, {"-&1-", "\xE8&x"}},
        // nothing free left: no key
        {{"a", "A"}, {"&a", "A"}},
        // a literal ampersand stays visible
        {{"R&D"}, {"&R&&D"}},
        {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithAccessKeys(c.captions), c.expected);
}

} // namespace
} // namespace pagora
