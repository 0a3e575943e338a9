#include "Stdpas.h"

#include "Exceptions.h"
#include "FakeDispatch.h"
#include "SafeArrayFixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace pagora;
using namespace pagora::test;

namespace {

// An object to put into Dispatch and Unknown values; reference counting only.
class Dummy : public FakeDispatch {};

VARIANT ObjectValue(VARTYPE kind, IDispatch* object) {
    VARIANT v;
    VariantInit(&v);
    v.vt = kind;
    v.pdispVal = object;
    return v;
}

FormatSettings Settings(char decimal) {
    FormatSettings settings;
    settings.DecimalSeparator = decimal;
    return settings;
}

// Runs the call and gives the class name and message of what it raised.
std::string Failure(const std::function<void()>& call) {
    try {
        call();
    } catch (const Exception& e) {
        return std::string(e.ClassName()) + ": " + e.Message();
    }
    return "no failure";
}

const std::string kBadIndex = "EVariantBadIndexError: Variant or safe array index out of bounds";
const std::string kInvalidArg = "EVariantInvalidArgError: Invalid argument";

} // namespace

TEST(Stdpas, PresenceOfValues) {
    Dummy object;
    struct Case {
        Cell cell;
        bool present;
    } const cases[] = {
        {Empty(), false}, {Null(), false},     {Str(""), true}, {I4(0), true},
        {R8(0), true},    {Bool(false), true}, {Err(), true},   {Int(VT_UI1, 0), true},
    };
    for (const Case& c : cases) {
        Variant v = MakeValue(c.cell);
        EXPECT_EQ(VarHasValue(v.Get()), c.present) << "kind " << c.cell.Kind;
        VARIANT ref = RefTo(v.Get());
        VARIANT refRef = RefTo(ref);
        EXPECT_EQ(VarHasValue(refRef), c.present) << "through references, kind " << c.cell.Kind;
    }
    EXPECT_FALSE(VarHasValue(ObjectValue(VT_DISPATCH, nullptr)));
    EXPECT_FALSE(VarHasValue(ObjectValue(VT_UNKNOWN, nullptr)));
    EXPECT_TRUE(VarHasValue(ObjectValue(VT_DISPATCH, &object)));
    EXPECT_TRUE(VarHasValue(ObjectValue(VT_UNKNOWN, &object)));

    VARIANT dangling;
    VariantInit(&dangling);
    dangling.vt = VT_VARIANT | VT_BYREF;
    dangling.pvarVal = nullptr;
    EXPECT_FALSE(VarHasValue(dangling)) << "a reference to nothing is no value";
}

TEST(Stdpas, TextOfNumbersAndStrings) {
    struct Case {
        Cell cell;
        char decimal;
        const char* text;
    } const cases[] = {
        {Empty(), '.', ""},
        {Null(), '.', ""},
        {Int(VT_I1, -128), '.', "-128"},
        {Int(VT_UI1, 255), '.', "255"},
        {Int(VT_I2, -32768), '.', "-32768"},
        {Int(VT_UI2, 65535), '.', "65535"},
        {I4(-2147483647 - 1), '.', "-2147483648"},
        {Int(VT_UI4, 4294967295LL), '.', "4294967295"},
        {Int(VT_I8, -9223372036854775807LL - 1), '.', "-9223372036854775808"},
        {Int(VT_I4, 1234567), '.', "1234567"}, // no grouping
        {R8(2026), '.', "2026"},
        {R8(1.5), ',', "1,5"},
        {R8(-0.25), '.', "-0.25"},
        {R4(0.1f), '.', "0.100000001490116"}, // a Single keeps its stored digits
        {R4(2.5f), ',', "2,5"},
        {Str("Qty"), '.', "Qty"},
        {Str(""), '.', ""},
        {Str("caf\xE9"), '.', "caf\xE9"}, // back into the ANSI code page
    };
    for (const Case& c : cases) {
        Variant v = MakeValue(c.cell);
        EXPECT_EQ(VarAsText(v.Get(), Settings(c.decimal)), c.text) << "kind " << c.cell.Kind;
    }
}

TEST(Stdpas, TextOfPlatformConversions) {
    const char d = LocaleDecimal();
    const bool italian = GetUserDefaultLCID() == 0x0410;
    const FormatSettings settings = Settings(d);
    EXPECT_EQ(VarAsText(MakeValue(Cy(3.25)).Get(), settings), std::string("3") + d + "25");
    EXPECT_EQ(VarAsText(MakeValue(Bool(true)).Get(), settings), "True");
    EXPECT_EQ(VarAsText(MakeValue(Bool(false)).Get(), settings), "False");
    EXPECT_EQ(VarAsText(MakeValue(Date(45001.0)).Get(), settings),
              italian ? "16/3/2023" : "3/16/2023");
    // Kinds without a rule of their own go through the platform's conversion.
    EXPECT_EQ(VarAsText(MakeValue(Int(VT_INT, -7)).Get(), settings), "-7");
}

TEST(Stdpas, ReferencesGiveTheTextOfWhatTheyReferTo) {
    const FormatSettings settings = Settings(',');
    LONG number = 42;
    double real = 1.5;
    Bstr text = AnsiToBstr("word");
    VARIANT byRef;
    VariantInit(&byRef);
    byRef.vt = VT_I4 | VT_BYREF;
    byRef.plVal = &number;
    EXPECT_EQ(VarAsText(byRef, settings), "42");
    byRef.vt = VT_R8 | VT_BYREF;
    byRef.pdblVal = &real;
    EXPECT_EQ(VarAsText(byRef, settings), "1,5");
    byRef.vt = VT_BSTR | VT_BYREF;
    BSTR raw = text.Get();
    byRef.pbstrVal = &raw;
    EXPECT_EQ(VarAsText(byRef, settings), "word");

    Variant inner = MakeValue(R8(2.5));
    VARIANT ref = RefTo(inner.Get());
    VARIANT refRef = RefTo(ref);
    EXPECT_EQ(VarAsText(refRef, settings), "2,5");
}

TEST(Stdpas, TextFailures) {
    const FormatSettings settings;
    const std::string errorCast =
        "EVariantTypeCastError: Could not convert variant of type (Error) into type (String)";
    Variant error = MakeValue(Err());
    EXPECT_EQ(Failure([&] { VarAsText(error.Get(), settings); }), errorCast);
    VARIANT ref = RefTo(error.Get());
    EXPECT_EQ(Failure([&] { VarAsText(ref, settings); }), errorCast);

    SCODE code = 0;
    VARIANT errorByRef;
    VariantInit(&errorByRef);
    errorByRef.vt = VT_ERROR | VT_BYREF;
    errorByRef.pscode = &code;
    EXPECT_EQ(Failure([&] { VarAsText(errorByRef, settings); }),
              "EVariantTypeCastError: Could not convert variant of type (ByRef Error) into type "
              "(String)");
}

TEST(Stdpas, KindNames) {
    struct Case {
        VARTYPE kind;
        const char* name;
    } const cases[] = {
        {0, "Empty"},
        {1, "Null"},
        {8, "OleStr"},
        {10, "Error"},
        {11, "Boolean"},
        {12, "Variant"},
        {13, "Unknown"},
        {14, "Decimal"},
        {15, "$000F"},
        {16, "ShortInt"},
        {19, "LongWord"},
        {20, "Int64"},
        {21, "$0015"},
        {0x48, "$0048"},
        {256, "String"},
        {257, "Any"},
        {0x0FFF, "$0FFF"},
        {0x2003, "Array Integer"},
        {0x400C, "ByRef Variant"},
        {0x6008, "ByRef Array OleStr"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VarTypeAsText(c.kind), c.name);
}

TEST(Stdpas, ResultCodesRaiseTheirClasses) {
    struct Case {
        HRESULT code;
        const char* failure;
    } const cases[] = {
        {E_NOTIMPL, "EVariantNotImplError: Operation not supported"},
        {E_UNEXPECTED, "EVariantUnexpectedError: Unexpected variant error"},
        {DISP_E_TYPEMISMATCH, "EVariantTypeCastError: Invalid variant type conversion"},
        {DISP_E_BADVARTYPE, "EVariantBadVarTypeError: Invalid variant type"},
        {DISP_E_EXCEPTION, "EVariantInvalidOpError: Invalid variant operation"},
        {DISP_E_OVERFLOW, "EVariantOverflowError: Variant overflow"},
        {DISP_E_BADINDEX, kBadIndex.c_str()},
        {DISP_E_ARRAYISLOCKED, "EVariantArrayLockedError: Variant or safe array is locked"},
        {E_OUTOFMEMORY, "EVariantOutOfMemoryError: Out of memory"},
        {E_INVALIDARG, kInvalidArg.c_str()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Failure([&] { RaiseVariantError(c.code); }), c.failure);

    const std::string generic = Failure([] { RaiseVariantError(E_FAIL); });
    EXPECT_EQ(generic, "EVariantError: Invalid variant operation ($80004005)\n" +
                           SysErrorMessage(static_cast<DWORD>(E_FAIL)));
    EXPECT_NE(generic.back(), '\n') << "the system knows a text for E_FAIL";
    EXPECT_EQ(Failure([] { RaiseVariantError(static_cast<HRESULT>(0x8004ABCD)); }),
              "EVariantError: Invalid variant operation ($8004ABCD)\n");
}

TEST(Stdpas, ElementsComeByRowThenColumn) {
    Variant region = MakeRegion({{Str("a"), Str("b")}, {I4(1), I4(2)}, {I4(3), Str("x")}});
    const FormatSettings settings;
    EXPECT_EQ(VarAsText(VarArrayGet(region.Get(), 1, 2).Get(), settings), "b");
    EXPECT_EQ(VarAsText(VarArrayGet(region.Get(), 3, 1).Get(), settings), "3");
    Variant copy = VarArrayGet(region.Get(), 3, 2);
    EXPECT_EQ(copy.Get().vt, VT_BSTR);
    EXPECT_NE(copy.Get().bstrVal, nullptr);

    VARIANT ref = RefTo(region.Get());
    EXPECT_EQ(VarArrayGet(ref, 2, 2).Get().lVal, 2) << "a reference to the array is followed";
    VARIANT arrayByRef;
    VariantInit(&arrayByRef);
    arrayByRef.vt = VT_ARRAY | VT_VARIANT | VT_BYREF;
    arrayByRef.pparray = &region.Get().parray;
    EXPECT_EQ(VarArrayGet(arrayByRef, 2, 1).Get().lVal, 1);
}

TEST(Stdpas, ElementReadChecks) {
    Variant region = MakeRegion({{I4(1), I4(2), I4(3)}, {I4(4), I4(5), I4(6)}});
    Variant single = MakeValue(Str("A1"));
    Variant line = MakeArray(VT_VARIANT, {{3, 1}});
    Variant cube = MakeArray(VT_VARIANT, {{2, 1}, {2, 1}, {2, 1}});
    struct Case {
        const VARIANT* value;
        int row, column;
        const std::string& failure;
    } const cases[] = {
        {&single.Get(), 1, 1, kInvalidArg}, {&line.Get(), 1, 1, kBadIndex},
        {&cube.Get(), 1, 1, kBadIndex},     {&region.Get(), 0, 1, kBadIndex},
        {&region.Get(), 3, 1, kBadIndex},   {&region.Get(), 1, 0, kBadIndex},
        {&region.Get(), 1, 4, kBadIndex},   {&region.Get(), -1, -1, kBadIndex},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Failure([&] { VarArrayGet(*c.value, c.row, c.column); }), c.failure)
            << c.row << "," << c.column;
}

TEST(Stdpas, ArraysOfOtherElementTypes) {
    Variant numbers = MakeArray(VT_I4, {{2, 0}, {2, 5}});
    LONG at[2] = {1, 6};
    LONG seven = 7;
    ASSERT_EQ(SafeArrayPutElement(numbers.Get().parray, at, &seven), S_OK);
    Variant element = VarArrayGet(numbers.Get(), 1, 6);
    EXPECT_EQ(element.Get().vt, VT_I4);
    EXPECT_EQ(element.Get().lVal, 7);
    EXPECT_EQ(Failure([&] { VarArrayGet(numbers.Get(), 1, 1); }), kBadIndex)
        << "bounds are the array's own";

    Variant texts = MakeArray(VT_BSTR, {{1, 1}, {1, 1}});
    LONG first[2] = {1, 1};
    Bstr word = AnsiToBstr("Qty");
    ASSERT_EQ(SafeArrayPutElement(texts.Get().parray, first, word.Get()), S_OK);
    EXPECT_EQ(VarAsText(VarArrayGet(texts.Get(), 1, 1).Get(), FormatSettings()), "Qty");

    Variant reals = MakeArray(VT_R8, {{1, 1}, {1, 1}});
    double half = 0.5;
    ASSERT_EQ(SafeArrayPutElement(reals.Get().parray, first, &half), S_OK);
    EXPECT_EQ(VarAsText(VarArrayGet(reals.Get(), 1, 1).Get(), Settings(',')), "0,5");
}

// The texts a load learns must be the platform's own, value for value.
TEST(Stdpas, LearntTextsAreThePlatformsTexts) {
    const FormatSettings settings = Settings(LocaleDecimal());
    PlatformTexts learnt;
    std::vector<Variant> values;
    for (LONGLONG cy : {15000LL, -15000LL, 0LL, 1LL, -1LL, 500LL, 123456789LL, -10000LL, 990000LL,
                        9223372036854775807LL, -9223372036854775807LL - 1}) {
        Variant& v = values.emplace_back();
        v.Get().vt = VT_CY;
        v.Get().cyVal.int64 = cy;
    }
    for (double date : {45001.0, 45000.5, 0.25, 1.0, -2.5})
        values.push_back(MakeValue(Date(date)));
    values.push_back(MakeValue(Bool(true)));
    values.push_back(MakeValue(Bool(false)));
    for (int round = 0; round < 2; ++round) // the second round comes from what was learnt
        for (const Variant& v : values)
            EXPECT_EQ(VarAsText(v.Get(), settings, &learnt), VarAsText(v.Get(), settings))
                << "kind " << v.Get().vt << ", round " << round;
}
