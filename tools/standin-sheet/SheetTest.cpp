// The sheet file and the --fail options, in-process.
#include "Sheet.h"
#include "FailurePlan.h"

#include <gtest/gtest.h>

#include <string>

using namespace pagora::standin;
using pagora::Variant;

namespace {

double AsDouble(const VARIANT& value) {
    Variant number;
    EXPECT_EQ(VariantChangeType(number.Put(), const_cast<VARIANT*>(&value), 0, VT_R8), S_OK);
    return number.Get().dblVal;
}

} // namespace

TEST(Sheet, ParsesEveryNumericKind) {
    const struct {
        const char* text;
        VARTYPE vt;
        double value;
    } cases[] = {
        {"I1:-128", VT_I1, -128},
        {"UI1:255", VT_UI1, 255},
        {"I2:-32768", VT_I2, -32768},
        {"UI2:65535", VT_UI2, 65535},
        {"I4:-2147483648", VT_I4, -2147483648.0},
        {"UI4:4294967295", VT_UI4, 4294967295.0},
        {"I8:-1234567890123", VT_I8, -1234567890123.0},
        {"R4:0.5", VT_R4, 0.5},
        {"R8:-1.25e3", VT_R8, -1250},
        {"Cy:3.25", VT_CY, 3.25},
        {"Cy:-0.0001", VT_CY, -0.0001},
        {"Cy:922337203685477.5807", VT_CY, 922337203685477.5807},
        {"Date:45001", VT_DATE, 45001},
        {"Date:-1.5", VT_DATE, -1.5},
        {"Date:2023-03-16", VT_DATE, 45001},
        {"Date:2023-03-15 12:00:00", VT_DATE, 45000.5},
        {"Bool:true", VT_BOOL, -1},
        {"Bool:false", VT_BOOL, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Variant cell = ParseCell(c.text);
        EXPECT_EQ(cell.Get().vt, c.vt);
        EXPECT_DOUBLE_EQ(AsDouble(cell.Get()), c.value);
    }
}

TEST(Sheet, ParsesTextEmptinessAndErrors) {
    const Variant text = ParseCell("Str:Caff\xC3\xA8\\tx\\ny\\\\z");
    ASSERT_EQ(text.Get().vt, VT_BSTR);
    EXPECT_EQ(std::wstring(text.Get().bstrVal), L"Caff\u00e8\tx\ny\\z");
    EXPECT_EQ(SysStringLen(ParseCell("Str:").Get().bstrVal), 0u);
    EXPECT_EQ(std::wstring(ParseCell("Str:a:b").Get().bstrVal), L"a:b");
    EXPECT_EQ(ParseCell("").Get().vt, VT_EMPTY);
    EXPECT_EQ(ParseCell("Empty").Get().vt, VT_EMPTY);
    EXPECT_EQ(ParseCell("Null").Get().vt, VT_NULL);
    const Variant error = ParseCell("Error:2042");
    EXPECT_EQ(error.Get().vt, VT_ERROR);
    EXPECT_EQ(error.Get().scode, static_cast<SCODE>(0x800A07FA));
}

TEST(Sheet, RejectsMalformedCells) {
    for (const char* text : {"I1:128",
                             "UI1:-1",
                             "I4:12x",
                             "I4:",
                             "I4: 1",
                             "UI4:4294967296",
                             "R8:abc",
                             "Cy:1.23456",
                             "Cy:1,5",
                             "Cy:.5",
                             "Cy:922337203685477.5808",
                             "Date:2023-02-30",
                             "Date:2023-13-01",
                             "Date:2023-03-16 25:00:00",
                             "Date:2023-03-16x",
                             "Bool:True",
                             "Bool:1",
                             "Str:a\\q",
                             "Str:a\\",
                             "Str:\xC3(",
                             "Text:x",
                             "Empty:x",
                             "Null:0",
                             "Error:70000",
                             "i4:1"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseCell(text), SheetError);
    }
}

TEST(Sheet, RegionIsTheWholeRectangle) {
    // Ragged rows are padded with empty cells; CR LF, a BOM and the final
    // line end change nothing.
    const Sheet sheet = ParseSheet("\xEF\xBB\xBFStr:a\tStr:b\tStr:c\r\nI4:1\r\n\nI4:2\tI4:3\r\n");
    EXPECT_EQ(sheet.rows, 4);
    EXPECT_EQ(sheet.columns, 3);
    EXPECT_EQ(std::wstring(sheet.At(0, 0).bstrVal), L"a");
    EXPECT_EQ(sheet.At(1, 0).lVal, 1);
    EXPECT_EQ(sheet.At(1, 2).vt, VT_EMPTY);
    EXPECT_EQ(sheet.At(2, 0).vt, VT_EMPTY);
    EXPECT_EQ(sheet.At(3, 1).lVal, 3);

    const Sheet empty = ParseSheet("");
    EXPECT_EQ(empty.rows, 1);
    EXPECT_EQ(empty.columns, 1);
    EXPECT_EQ(empty.At(0, 0).vt, VT_EMPTY);

    try {
        ParseSheet("I4:1\nI4:2\tI4:x\n");
        ADD_FAILURE() << "no error";
    } catch (const SheetError& e) {
        EXPECT_STREQ(e.what(), "line 2, cell 2: not an integer: x");
    }
}

TEST(Sheet, RegionValueIsAnArrayFromOneOrTheSingleCell) {
    const Sheet sheet = ParseSheet("I4:1\tI4:2\nI4:3\tI4:4\nI4:5\tI4:6\n");
    Variant value;
    ASSERT_EQ(RegionValue(sheet, value.Put()), S_OK);
    ASSERT_EQ(value.Get().vt, VT_ARRAY | VT_VARIANT);
    LONG last[2] = {3, 2};
    Variant corner;
    ASSERT_EQ(SafeArrayGetElement(value.Get().parray, last, corner.Put()), S_OK);
    EXPECT_EQ(corner.Get().lVal, 6);
    LONG first[2] = {1, 2};
    ASSERT_EQ(SafeArrayGetElement(value.Get().parray, first, corner.Put()), S_OK);
    EXPECT_EQ(corner.Get().lVal, 2);

    Variant single;
    ASSERT_EQ(RegionValue(ParseSheet("Str:solo"), single.Put()), S_OK);
    ASSERT_EQ(single.Get().vt, VT_BSTR);
    EXPECT_EQ(std::wstring(single.Get().bstrVal), L"solo");
}

TEST(FailurePlan, FailsTheNamedCallsAsAsked) {
    FailurePlan plan;
    plan.Add(L"Count@2:0x80004005");
    plan.Add(L"Value:0x800A03EC:No workbook: none open");
    plan.Add(L"Range");
    EXPECT_EQ(plan.Check("Count"), nullptr);
    const Failure* second = plan.Check("Count");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->hr, E_FAIL);
    EXPECT_TRUE(second->description.empty());
    EXPECT_EQ(plan.Check("Count"), nullptr);
    const Failure* value = plan.Check("Value");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->hr, static_cast<HRESULT>(0x800A03EC));
    EXPECT_EQ(value->description, L"No workbook: none open");
    EXPECT_NE(plan.Check("Value"), nullptr);
    EXPECT_EQ(plan.Check("Range")->hr, E_FAIL);
    EXPECT_EQ(plan.Check("Rows"), nullptr);

    for (const wchar_t* bad : {L"Valeu", L"Value@0", L"Value@x", L"Value:zz", L"Value:", L""}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(bad)));
        EXPECT_THROW(plan.Add(bad), std::invalid_argument);
    }
}
