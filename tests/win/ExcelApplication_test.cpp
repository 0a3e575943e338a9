#include "ExcelApplication.h"

#include "Exceptions.h"
#include "FakeDispatch.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace pagora;

namespace {

// Class name, message and code of the OLE failure that the call raises.
struct OleFailure {
    std::string className, message;
    HRESULT code = S_OK;
    std::string source{};
};

std::optional<OleFailure> FailureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EOleException& e) {
        return OleFailure{e.ClassName(), e.Message(), e.ErrorCode, e.Source};
    } catch (const EOleSysError& e) {
        return OleFailure{e.ClassName(), e.Message(), e.ErrorCode};
    }
    return std::nullopt;
}

// A range object that answers every property get as told and notes how it
// was called.
class FakeRange : public FakeDispatch {
public:
    HRESULT answer = S_OK;
    std::function<void(EXCEPINFO&)> fillException;
    // What the last call passed.
    DISPID id = 0;
    WORD flags = 0;
    LCID lcid = 1;
    std::vector<VARIANT> args;
    UINT namedArgs = 0;

    HRESULT __stdcall Invoke(DISPID dispId, REFIID, LCID locale, WORD how, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO* exception, UINT*) override {
        id = dispId;
        flags = how;
        lcid = locale;
        args.assign(params->rgvarg, params->rgvarg + params->cArgs);
        namedArgs = params->cNamedArgs;
        if (answer == DISP_E_EXCEPTION && fillException)
            fillException(*exception);
        if (SUCCEEDED(answer)) {
            result->vt = VT_I4;
            result->lVal = 3;
        }
        return answer;
    }
};

BSTR Text(const char* text) {
    return AnsiToBstr(text).Release();
}

HRESULT WINAPI FillLater(EXCEPINFO* info) {
    info->bstrDescription = Text("Filled in later.");
    info->scode = static_cast<SCODE>(0x800A03EC);
    return S_OK;
}

class OleTest : public testing::Test {
protected:
    OleInitGuard ole;
};

const HRESULT kAppError = static_cast<HRESULT>(0x800A03EC);
const HRESULT kUnknownCode = static_cast<HRESULT>(0x8004ABCD);

} // namespace

TEST(OleText, MessageEndsAreTrimmed) {
    struct Case {
        const char* text;
        const char* trimmed;
    } const cases[] = {
        {"The system cannot find the file specified.\r\n",
         "The system cannot find the file specified"},
        {"Wait...  ", "Wait"},
        {"Tab\t", "Tab"},
        {"(a)", "(a)"},
        {"'quoted'", "'quoted'"},
        {". . .", ""},
        {"", ""},
        {"caf\xE9.", "caf\xE9"}, // a character of the upper half is no control character
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrimMessageEnd(c.text), c.trimmed);
}

TEST(OleText, SystemMessagesAndTheFallback) {
    const std::string notFound = SysErrorMessage(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(notFound.empty());
    EXPECT_NE(notFound.back(), '.');
    EXPECT_GT(static_cast<unsigned char>(notFound.back()), ' ');
    EXPECT_EQ(SysErrorMessage(static_cast<DWORD>(kUnknownCode)), "");

    EXPECT_EQ(OleErrorText(kUnknownCode), "OLE error 8004ABCD");
    EXPECT_EQ(OleErrorText(0x0000ABCD), "OLE error 0000ABCD");
    EXPECT_EQ(OleErrorText(E_FAIL), SysErrorMessage(static_cast<DWORD>(E_FAIL)));
    EXPECT_NE(OleErrorText(E_FAIL).rfind("OLE error", 0), 0u) << "the system knows E_FAIL";
}

TEST(OleText, AnsiAndWideRoundTrip) {
    const std::string text = "Qt\xE0 \xB0"
                             "C \x80"; // à, °, € in code page 1252
    EXPECT_EQ(WideToAnsi(AnsiToWide(text).c_str(), AnsiToWide(text).size()), text);
    EXPECT_EQ(BstrToAnsi(nullptr), "");
    Bstr bstr = AnsiToBstr("");
    EXPECT_NE(bstr.Get(), nullptr);
    EXPECT_EQ(SysStringLen(bstr.Get()), 0u);
}

// Characters of two, three and four bytes in UTF-8 (the last a surrogate
// pair), alone and together: each arrives whole in both directions, a cut
// falls between characters, and a description made only of them reaches the
// message. Runs under LANG=hi_IN.UTF-8, which has no 8-bit code page.
TEST(OleText, Utf8CharactersOfEveryLength) {
    if (GetACP() != CP_UTF8)
        GTEST_SKIP() << "needs the UTF-8 code page (LANG=hi_IN.UTF-8)";
    const struct {
        std::wstring wide;
        std::string ansi;
    } cases[] = {
        {L"\u00E8", "\xC3\xA8"},
        {L"\u20AC", "\xE2\x82\xAC"},
        {L"\u0915", "\xE0\xA4\x95"},
        {L"\U0001F600", "\xF0\x9F\x98\x80"},
        {L"a\u00E8\u20AC\U0001F600z", "a\xC3\xA8\xE2\x82\xAC\xF0\x9F\x98\x80z"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WideToAnsi(c.wide.data(), c.wide.size()), c.ansi);
        EXPECT_EQ(BstrToAnsi(Bstr(SysAllocString(c.wide.c_str())).Get()), c.ansi);
        EXPECT_EQ(AnsiToWide(c.ansi), c.wide);
        EXPECT_EQ(WideToAnsiExact(c.wide), c.ansi);
    }
    EXPECT_EQ(WideToAnsiExact(L"a\xD800"), std::nullopt) << "half a surrogate pair";

    const std::string mixed = "a\xE2\x82\xAC\xF0\x9F\x98\x80"; // 1 + 3 + 4 bytes
    const std::size_t cuts[] = {0, 1, 1, 1, 4, 4, 4, 4, 8, 8};
    for (std::size_t limit = 0; limit < std::size(cuts); ++limit)
        EXPECT_EQ(AnsiPrefixLength(mixed, limit), cuts[limit]) << "at most " << limit << " bytes";

    FakeRange range;
    range.answer = DISP_E_EXCEPTION;
    range.fillException = [](EXCEPINFO& e) {
        e.bstrDescription = SysAllocString(L"\u0924\u094D\u0930\u0941\u091F\u093F");
        e.scode = kAppError;
    };
    const std::optional<OleFailure> failure = FailureOf([&] { GetDispProperty(&range, 0x76); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->message, "\xE0\xA4\xA4\xE0\xA5\x8D\xE0\xA4\xB0\xE0\xA5\x81\xE0\xA4\x9F"
                                "\xE0\xA4\xBF");
}

TEST_F(OleTest, ApartmentGuardsBalance) {
    EXPECT_TRUE(ole.Succeeded());
    OleInitGuard nested;
    EXPECT_EQ(nested.Result(), S_FALSE) << "the thread's apartment exists already";
}

TEST_F(OleTest, LateBoundReadPassesOnePropertyGet) {
    FakeRange range;
    VARIANT ten;
    VariantInit(&ten);
    ten.vt = VT_I4;
    ten.lVal = 10;
    Variant result = GetDispProperty(&range, 6, &ten, 1);
    EXPECT_EQ(result.Get().lVal, 3);
    EXPECT_EQ(range.id, 6);
    EXPECT_EQ(range.flags, DISPATCH_PROPERTYGET);
    EXPECT_EQ(range.lcid, 0u);
    EXPECT_EQ(range.namedArgs, 0u);
    ASSERT_EQ(range.args.size(), 1u);
    EXPECT_EQ(range.args[0].vt, VT_I4);
    EXPECT_EQ(range.args[0].lVal, 10);

    GetDispProperty(&range, 0xF3);
    EXPECT_EQ(range.id, 0xF3);
    EXPECT_TRUE(range.args.empty());
}

TEST_F(OleTest, LateBoundFailures) {
    struct Case {
        const char* what;
        HRESULT answer;
        std::function<void(EXCEPINFO&)> fill;
        OleFailure expected;
    } const cases[] = {
        {"description trimmed",
         DISP_E_EXCEPTION,
         [](EXCEPINFO& e) {
             e.bstrDescription = Text("No workbook is open.  \r\n");
             e.bstrSource = Text("Sheet");
             e.scode = kAppError;
         },
         {"EOleException", "No workbook is open", kAppError, "Sheet"}},
        {"deferred fill-in",
         DISP_E_EXCEPTION,
         [](EXCEPINFO& e) { e.pfnDeferredFillIn = FillLater; },
         {"EOleException", "Filled in later", kAppError}},
        {"no description, a known code",
         DISP_E_EXCEPTION,
         [](EXCEPINFO& e) {
             e.bstrDescription = Text(" ... ");
             e.scode = E_FAIL;
         },
         {"EOleException", OleErrorText(E_FAIL), E_FAIL}},
        {"no description, an unknown code",
         DISP_E_EXCEPTION,
         [](EXCEPINFO& e) { e.scode = kUnknownCode; },
         {"EOleException", "OLE error 8004ABCD", kUnknownCode}},
        {"other failure",
         DISP_E_MEMBERNOTFOUND,
         {},
         {"EOleSysError", OleErrorText(DISP_E_MEMBERNOTFOUND), DISP_E_MEMBERNOTFOUND}},
        {"other failure, unknown code",
         kUnknownCode,
         {},
         {"EOleSysError", "OLE error 8004ABCD", kUnknownCode}},
    };
    for (const Case& c : cases) {
        FakeRange range;
        range.answer = c.answer;
        range.fillException = c.fill;
        std::optional<OleFailure> failure = FailureOf([&] { GetDispProperty(&range, 0x76); });
        ASSERT_TRUE(failure) << c.what;
        EXPECT_EQ(failure->className, c.expected.className) << c.what;
        EXPECT_EQ(failure->message, c.expected.message) << c.what;
        EXPECT_EQ(failure->code, c.expected.code) << c.what;
        EXPECT_EQ(failure->source, c.expected.source) << c.what;
    }
}

TEST_F(OleTest, InterfaceCallFailures) {
    EXPECT_FALSE(FailureOf([] { CheckInterfaceCall(S_OK); }));

    ComPtr<ICreateErrorInfo> create;
    ASSERT_EQ(CreateErrorInfo(create.Put()), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(L"The setting was refused. \n"));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.Put())), S_OK);
    SetErrorInfo(0, info.Get());
    std::optional<OleFailure> described = FailureOf([] { CheckInterfaceCall(kAppError); });
    ASSERT_TRUE(described);
    EXPECT_EQ(described->className, "EOleException");
    EXPECT_EQ(described->message, "The setting was refused");
    EXPECT_EQ(described->code, kAppError);

    std::optional<OleFailure> bare = FailureOf([] { CheckInterfaceCall(kUnknownCode); });
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->className, "EOleException");
    EXPECT_EQ(bare->message, "OLE error 8004ABCD") << "the error information was used up";
}

TEST_F(OleTest, NoRunningObject) {
    // StdFont's class has a programmatic identifier in every registry.
    const CLSID stdFont = {
        0x0BE35203, 0x8F91, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
    std::optional<OleFailure> failure =
        FailureOf([&] { RaiseNoRunningObject(stdFont, MK_E_UNAVAILABLE); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->className, "EOleSysError");
    EXPECT_EQ(failure->message, "Unable to retrieve a pointer to a running object registered with "
                                "OLE for StdFont/{0BE35203-8F91-11CE-9DE3-00AA004BB851}");
    EXPECT_EQ(failure->code, MK_E_UNAVAILABLE);

    // A class nobody registered: the look-up's own failure is reported.
    const CLSID nobody = {
        0x6A1F0C55, 0x2B1D, 0x4E8A, {0x9F, 0x11, 0x70, 0x3C, 0x5E, 0x21, 0x0D, 0x99}};
    CoTaskString unused;
    const HRESULT lookup = ProgIDFromCLSID(nobody, unused.Put());
    ASSERT_TRUE(FAILED(lookup));
    failure = FailureOf([&] { RaiseNoRunningObject(nobody, MK_E_UNAVAILABLE); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->className, "EOleSysError");
    EXPECT_EQ(failure->message, OleErrorText(lookup));
    EXPECT_EQ(failure->code, lookup);
}

TEST_F(OleTest, ConnectWithoutARunningInstance) {
    ComPtr<IUnknown> running;
    if (SUCCEEDED(GetActiveObject(kExcelApplicationClsid, nullptr, running.Put())))
        GTEST_SKIP() << "a spreadsheet application (or the stand-in) is running";

    TExcelApplication xlApp;
    xlApp.Disconnect(); // nothing held: nothing happens
    CoTaskString progId;
    const HRESULT lookup = ProgIDFromCLSID(kExcelApplicationClsid, progId.Put());
    std::optional<OleFailure> failure = FailureOf([&] { xlApp.Connect(); });
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->className, "EOleSysError");
    if (SUCCEEDED(lookup)) {
        EXPECT_EQ(failure->message,
                  "Unable to retrieve a pointer to a running object registered with OLE for " +
                      WideToAnsi(progId.Get(), wcslen(progId.Get())) +
                      "/{00024500-0000-0000-C000-000000000046}");
        EXPECT_EQ(failure->code, MK_E_UNAVAILABLE);
    } else {
        EXPECT_EQ(failure->message, OleErrorText(lookup));
        EXPECT_EQ(failure->code, lookup);
    }
    EXPECT_FALSE(xlApp.Connected());
}
