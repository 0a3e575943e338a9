// Runs the stand-in exe and talks to it from here the way the program does:
// GetActiveObject, _Application through its vtable, ranges late-bound. The
// interface is the program's own declaration, not the stand-in's generated
// header, so the two layouts are checked against each other.
#include "ComSupport.h"
#include "ExcelAutomation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace pagora::standin;
using pagora::ComPtr;
using pagora::CoTaskString;
using pagora::ExcepInfo;
using pagora::OleInitGuard;
using pagora::UniqueHandle;
using pagora::Variant;

namespace {

// The program's own declaration of the interface: the stand-in must answer
// the very table the program calls through.
using ClientApplication = pagora::ExcelApplicationIntf;
using pagora::kExcelApplicationClsid;
using pagora::kExcelApplicationIid;

constexpr DISPID kValue = 0x06, kCount = 0x76, kColumns = 0xF1, kCurrentRegion = 0xF3,
                 kRows = 0x102;

std::wstring Widen(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring NewLogPath() {
    wchar_t folder[MAX_PATH], file[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"sts", 0, file);
    return file;
}

// One stand-in process for the life of the object: started with a sample
// sheet and the given options, ready once it has registered, and stopped
// through its quit event (or killed, should it not answer).
class StandIn {
public:
    explicit StandIn(const char* sample, const std::wstring& options = L"")
        : log_(NewLogPath()), ready_(CreateEventW(nullptr, TRUE, FALSE, L"pagora-standin-ready")),
          quit_(CreateEventW(nullptr, TRUE, FALSE, L"pagora-standin-quit")) {
        // A stand-in left over would answer in place of this one.
        ComPtr<IUnknown> stale;
        if (SUCCEEDED(GetActiveObject(kExcelApplicationClsid, nullptr, stale.Put())))
            throw std::runtime_error("another stand-in is already running");
        ResetEvent(ready_.Get());
        std::wstring command = L"\"" + ExeFolder() + L"standin-sheet.exe\" --sheet \"" +
                               Widen(STANDIN_SAMPLES_DIR) + L"/" + Widen(sample) + L"\" --log \"" +
                               log_ + L"\" " + options;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &started))
            throw std::runtime_error("cannot start the stand-in");
        process_.Reset(started.hProcess);
        const UniqueHandle thread(started.hThread);
        const HANDLE waits[] = {ready_.Get(), process_.Get()};
        if (WaitForMultipleObjects(2, waits, FALSE, 30000) != WAIT_OBJECT_0)
            throw std::runtime_error("the stand-in did not get ready");
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    ~StandIn() {
        SetEvent(quit_.Get());
        if (WaitForSingleObject(process_.Get(), 15000) != WAIT_OBJECT_0)
            TerminateProcess(process_.Get(), 1);
        DeleteFileW(log_.c_str());
    }

    std::vector<std::string> LogLines() const {
        std::ifstream file{std::filesystem::path(log_)};
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

private:
    std::wstring log_;
    UniqueHandle ready_, quit_, process_;
};

class Client {
public:
    Client() {
        ComPtr<IUnknown> running;
        hr_ = GetActiveObject(kExcelApplicationClsid, nullptr, running.Put());
        if (SUCCEEDED(hr_))
            hr_ =
                running->QueryInterface(kExcelApplicationIid, reinterpret_cast<void**>(app_.Put()));
    }

    HRESULT Connected() const { return hr_; }
    ClientApplication* App() const { return app_.Get(); }

    HRESULT RangeA1(ComPtr<IDispatch>& range) const {
        Variant a1;
        VARIANT& cell = *a1.Put();
        cell.vt = VT_BSTR;
        cell.bstrVal = WideToBstr(L"A1").Release();
        return app_->lpVtbl->Range(app_.Get(), cell, cell, range.Put());
    }

private:
    HRESULT hr_ = E_FAIL;
    ComPtr<ClientApplication> app_;
};

struct Answer {
    HRESULT hr = E_FAIL;
    Variant value;
    ExcepInfo exception;
    const VARIANT* operator->() const { return &value.Get(); }
};

void Get(IDispatch* object, DISPID member, std::optional<LONG> argument, Answer& answer) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I4;
    arg.lVal = argument.value_or(0);
    DISPPARAMS params{argument ? &arg : nullptr, nullptr, argument ? 1u : 0u, 0};
    answer.hr = object->Invoke(member, IID_NULL, 0, DISPATCH_PROPERTYGET, &params,
                               answer.value.Put(), answer.exception.Put(), nullptr);
}

// Range("A1","A1").CurrentRegion, then the given property of that region
// (none: the region itself).
void ReadRegion(const Client& client, std::optional<DISPID> then, std::optional<LONG> argument,
                Answer& answer) {
    ComPtr<IDispatch> cell;
    answer.hr = client.RangeA1(cell);
    if (FAILED(answer.hr))
        return;
    Get(cell.Get(), kCurrentRegion, std::nullopt, answer);
    if (FAILED(answer.hr) || !then)
        return;
    IDispatch* found = answer->pdispVal;
    found->AddRef();
    ComPtr<IDispatch> region(found);
    Get(region.Get(), *then, argument, answer);
}

LONG ReadCount(const Client& client, DISPID rowsOrColumns) {
    Answer part, count;
    ReadRegion(client, rowsOrColumns, std::nullopt, part);
    EXPECT_EQ(part.hr, S_OK);
    if (FAILED(part.hr))
        return -1;
    Get(part->pdispVal, kCount, std::nullopt, count);
    EXPECT_EQ(count.hr, S_OK);
    EXPECT_EQ(count->vt, VT_I4);
    return count->lVal;
}

Variant Element(SAFEARRAY* array, LONG row, LONG column) {
    Variant element;
    LONG index[2] = {row, column};
    EXPECT_EQ(SafeArrayGetElement(array, index, element.Put()), S_OK);
    return element;
}

// The program's import, as the client makes it: both settings off, the three
// reads, both settings on, release.
struct Import {
    LONG rows = -1, columns = -1;
    Answer value;
};

void RunImport(std::optional<LONG> valueArgument, Import& result) {
    Client client;
    ASSERT_EQ(client.Connected(), S_OK);
    ClientApplication* app = client.App();
    EXPECT_EQ(app->lpVtbl->PutPlainSetting(app, VARIANT_FALSE), S_OK);
    EXPECT_EQ(app->lpVtbl->PutLocaleBoundSetting(app, 0x0410, VARIANT_FALSE), S_OK);
    result.rows = ReadCount(client, kRows);
    result.columns = ReadCount(client, kColumns);
    ReadRegion(client, kValue, valueArgument, result.value);
    EXPECT_EQ(app->lpVtbl->PutLocaleBoundSetting(app, 0x0410, VARIANT_TRUE), S_OK);
    EXPECT_EQ(app->lpVtbl->PutPlainSetting(app, VARIANT_TRUE), S_OK);
}

std::vector<std::string> ImportLog(const char* value) {
    return {"put_Setting276 0",
            "put_Setting244 lcid=0x0410 0",
            "Range A1 A1",
            "CurrentRegion",
            "Rows",
            "Count 3",
            "Range A1 A1",
            "CurrentRegion",
            "Columns",
            "Count 2",
            "Range A1 A1",
            "CurrentRegion",
            value,
            "put_Setting244 lcid=0x0410 -1",
            "put_Setting276 -1",
            "Release"};
}

std::wstring Text(const VARIANT& value) {
    return value.vt == VT_BSTR ? value.bstrVal : L"(not a string)";
}

bool LogHas(const StandIn& standIn, const std::string& line) {
    const auto lines = standIn.LogLines();
    return std::ranges::find(lines, line) != lines.end();
}

} // namespace

TEST(StandIn, ServesTwoImportsInARowAndLogsEveryCall) {
    const OleInitGuard apartment;
    const StandIn standIn("small.txt");
    Import first, second;
    RunImport(10, first);
    RunImport(std::nullopt, second);

    EXPECT_EQ(first.rows, 3);
    EXPECT_EQ(first.columns, 2);
    ASSERT_EQ(first.value.hr, S_OK);
    ASSERT_EQ(first.value->vt, VT_ARRAY | VT_VARIANT);
    SAFEARRAY* array = first.value->parray;
    ASSERT_EQ(SafeArrayGetDim(array), 2u);
    LONG bound = 0;
    EXPECT_TRUE(SafeArrayGetLBound(array, 1, &bound) == S_OK && bound == 1);
    EXPECT_TRUE(SafeArrayGetUBound(array, 1, &bound) == S_OK && bound == 3);
    EXPECT_TRUE(SafeArrayGetLBound(array, 2, &bound) == S_OK && bound == 1);
    EXPECT_TRUE(SafeArrayGetUBound(array, 2, &bound) == S_OK && bound == 2);
    EXPECT_EQ(Text(Element(array, 1, 2).Get()), L"Qt\u00e0");
    EXPECT_EQ(Text(Element(array, 3, 1).Get()), L"Pera");
    EXPECT_EQ(Element(array, 2, 2).Get().vt, VT_I4);
    EXPECT_EQ(Element(array, 3, 2).Get().dblVal, 2.5);
    ASSERT_EQ(second.value.hr, S_OK);
    EXPECT_EQ(second.value->vt, VT_ARRAY | VT_VARIANT);

    // Wine asks for the interface twice on the first attach, and answers the
    // second attach from its cache.
    std::vector<std::string> expected = {"QueryInterface _Application",
                                         "QueryInterface _Application"};
    std::ranges::copy(ImportLog("Value 10"), std::back_inserter(expected));
    std::ranges::copy(ImportLog("Value (none)"), std::back_inserter(expected));
    EXPECT_EQ(standIn.LogLines(), expected);
}

TEST(StandIn, OneCellRegionAnswersItsSingleValue) {
    const OleInitGuard apartment;
    for (const auto& [sample, vt] :
         {std::pair{"one-cell.txt", VT_BSTR}, std::pair{"empty.txt", VT_EMPTY}}) {
        SCOPED_TRACE(sample);
        const StandIn standIn(sample);
        Import import;
        RunImport(10, import);
        EXPECT_EQ(import.rows, 1);
        EXPECT_EQ(import.columns, 1);
        EXPECT_EQ(import.value.hr, S_OK);
        EXPECT_EQ(import.value->vt, vt);
    }
}

TEST(StandIn, EveryCellKindCrossesTheProcessBoundary) {
    const OleInitGuard apartment;
    const StandIn standIn("all-kinds.txt");
    Import import;
    RunImport(10, import);
    ASSERT_EQ(import.value->vt, VT_ARRAY | VT_VARIANT);
    const VARTYPE kinds[] = {VT_EMPTY, VT_NULL, VT_I1, VT_UI1, VT_I2,   VT_UI2,  VT_I4,   VT_UI4,
                             VT_I8,    VT_R4,   VT_R8, VT_CY,  VT_DATE, VT_BSTR, VT_BOOL, VT_ERROR};
    for (LONG column = 1; column <= LONG(std::size(kinds)); ++column)
        EXPECT_EQ(Element(import.value->parray, 2, column).Get().vt, kinds[column - 1])
            << "column " << column;
    EXPECT_EQ(Element(import.value->parray, 2, 9).Get().llVal, 9007199254740993LL);
    EXPECT_EQ(Element(import.value->parray, 2, 12).Get().cyVal.int64, 12345678LL);
    EXPECT_EQ(Text(Element(import.value->parray, 2, 14).Get()), L"riga uno\nriga due\tcon tab");
    EXPECT_EQ(Element(import.value->parray, 2, 16).Get().scode, static_cast<SCODE>(0x800A07FA));
}

TEST(StandIn, PriceListKeepsAccentsAndTypes) {
    const OleInitGuard apartment;
    const StandIn standIn("listino.txt");
    Import import;
    RunImport(10, import);
    EXPECT_EQ(import.rows, 21);
    EXPECT_EQ(import.columns, 6);
    ASSERT_EQ(import.value->vt, VT_ARRAY | VT_VARIANT);
    SAFEARRAY* array = import.value->parray;
    EXPECT_EQ(Text(Element(array, 1, 4).Get()), L"Quantit\u00e0");
    EXPECT_EQ(Text(Element(array, 2, 2).Get()), L"Caff\u00e8 in grani 1 kg");
    EXPECT_EQ(Element(array, 2, 3).Get().cyVal.int64, 189000);
    EXPECT_EQ(Element(array, 2, 5).Get().date, 45352.0); // 2024-03-01
    EXPECT_EQ(Element(array, 5, 6).Get().boolVal, VARIANT_FALSE);
}

struct FailureCase {
    const wchar_t* option;
    const char* logLine;
    // Makes the calls up to the failing one; returns the client's answer.
    void (*call)(const Client& client, Answer& answer);
    HRESULT hr;
    SCODE scode; // with DISP_E_EXCEPTION
    const wchar_t* description;
};

const FailureCase kFailures[] = {
    {L"--fail \"Value:0x800A03EC:No workbook open\"", "Value 10 failed 0x800A03EC",
     [](const Client& c, Answer& a) { ReadRegion(c, kValue, 10, a); }, DISP_E_EXCEPTION,
     static_cast<SCODE>(0x800A03EC), L"No workbook open"},
    {L"--fail Count@2:0x80004005", "Count failed 0x80004005",
     [](const Client& c, Answer& a) {
         EXPECT_EQ(ReadCount(c, kRows), 3);
         Answer columns;
         ReadRegion(c, kColumns, std::nullopt, columns);
         Get(columns->pdispVal, kCount, std::nullopt, a);
     },
     E_FAIL, 0, nullptr},
    {L"--fail \"put_Setting244@2:0x800A01A8:Non disponibile\"",
     "put_Setting244 lcid=0x0410 -1 failed 0x800A01A8",
     [](const Client& c, Answer& a) {
         EXPECT_EQ(c.App()->lpVtbl->PutLocaleBoundSetting(c.App(), 0x0410, VARIANT_FALSE), S_OK);
         a.hr = c.App()->lpVtbl->PutLocaleBoundSetting(c.App(), 0x0410, VARIANT_TRUE);
     },
     static_cast<HRESULT>(0x800A01A8), 0, nullptr},
    {L"--fail Range", "Range A1 A1 failed 0x80004005",
     [](const Client& c, Answer& a) {
         ComPtr<IDispatch> range;
         a.hr = c.RangeA1(range);
     },
     E_FAIL, 0, nullptr},
};

TEST(StandIn, InjectedFailuresReachTheClient) {
    const OleInitGuard apartment;
    for (const FailureCase& failure : kFailures) {
        SCOPED_TRACE(failure.logLine);
        const StandIn standIn("small.txt", failure.option);
        {
            const Client client;
            ASSERT_EQ(client.Connected(), S_OK);
            Answer answer;
            failure.call(client, answer);
            EXPECT_EQ(answer.hr, failure.hr);
            if (failure.description) {
                EXPECT_EQ(answer.exception.Get().scode, failure.scode);
                EXPECT_EQ(std::wstring(answer.exception.Get().bstrDescription),
                          failure.description);
            }
        }
        EXPECT_TRUE(LogHas(standIn, failure.logLine));
    }
}

TEST(StandIn, RefusedInterfaceAndProgIdRegistration) {
    const OleInitGuard apartment;
    {
        const StandIn standIn("small.txt", L"--fail QueryInterface:0x80004002 --no-progid");
        EXPECT_EQ(Client().Connected(), E_NOINTERFACE);
        CoTaskString progId;
        EXPECT_EQ(ProgIDFromCLSID(kExcelApplicationClsid, progId.Put()), REGDB_E_CLASSNOTREG);
    }
    // Registered again by the next start, as every other test expects.
    const StandIn standIn("small.txt");
    CoTaskString progId;
    ASSERT_EQ(ProgIDFromCLSID(kExcelApplicationClsid, progId.Put()), S_OK);
    EXPECT_EQ(std::wstring(progId.Get()), L"Excel.Application");
}
