#include "StringList.h"

#include <gtest/gtest.h>

namespace pagora {
namespace {

TEST(StringList, TextEndsEveryEntryWithCrLfAndKeepsInnerBreaks) {
    struct Case {
        std::vector<std::string> entries;
        std::string expected;
    };
    const Case cases[] = {
        {{}, ""},
        {{""}, "\r\n"},
        {{"a", "a", ""}, "a\r\na\r\n\r\n"},
        {{"x\ny", "p\r\nq"}, "x\ny\r\np\r\nq\r\n"},
        {{std::string("z\0z", 3)}, std::string("z\0z\r\n", 5)},
    };
    for (const Case& c : cases) {
        TStringList list;
        for (const std::string& e : c.entries)
            list.Add(e);
        EXPECT_EQ(list.Text(), c.expected);
        ASSERT_EQ(list.Count(), c.entries.size());
        for (std::size_t i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list[i], list.Strings(i));
    }
}

TEST(StringList, ClearEmptiesTheList) {
    TStringList list;
    list.Add("one");
    list.Clear();
    list.Add("two");
    EXPECT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.Text(), "two\r\n");
}

} // namespace
} // namespace pagora
