// Many import, export and copy cycles of the sample price list in one run of
// the program: its memory, handles and window objects must stay within a
// small fixed bound, and the last output must equal the first but for the
// time stamp.
//   pagora_endurance.exe [cycles] [output folder] [steps: any of "iec"]
#include "Driver.h"
#include "StandIn.h"

#include <psapi.h>
#include <winternl.h>

#include <array>
#include <cstdio>
#include <cwctype>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>
#include <vector>

using namespace pagora::e2e;
using pagora::UniqueHandle;

namespace {

// Registry keys that Wine keeps open on its own, told apart by the end of
// their path, and how many of each one step may leave. Measured with bare
// loops that do not involve the program:
//  - every name confirmed in a save dialog keeps one handle of
//    ...\Explorer\ComDlg32\LastVisitedMRU, in 32-bit and 64-bit processes
//    alike; a cancelled dialog and a copy keep none;
//  - in a 64-bit process, every fresh attach to the running application
//    (GetActiveObject, calls, Release) keeps 3 handles of
//    ...\Software\Classes\Wow6432Node, which Wine's 64-bit OLE opens while
//    it looks up the application interface for its proxy. Measured on a host
//    that runs no 32-bit code; where Wine's 32-bit half is installed the same
//    loop keeps none, and the allowance goes unused.
// The import attaches afresh each time, so an import is one attach.
struct KeptKey {
    std::wstring_view pathEnd;
    int perExport, perImport;
};
constexpr std::array<KeptKey, 2> kWineKeeps{{
    {L"\\Explorer\\ComDlg32\\LastVisitedMRU", 1, 0},
    {L"\\Software\\Classes\\Wow6432Node", 0, sizeof(void*) == 8 ? 3 : 0},
}};

struct Usage {
    double committedMb = 0, workingSetMb = 0;
    DWORD handles = 0, gdi = 0, user = 0;
    std::array<DWORD, kWineKeeps.size()> kept{}; // of the handles, Wine's own keys
    DWORD Own() const {
        DWORD own = handles;
        for (DWORD k : kept)
            own -= k;
        return own;
    }
};

// The kernel objects the process holds, from the system's handle table
// (GetProcessHandleCount answers 0 under Wine; this table is filled).
std::vector<HANDLE> HandlesOf(DWORD processId) {
    std::vector<char> table(4 << 20);
    ULONG length = 0;
    if (NtQuerySystemInformation(SystemHandleInformation, table.data(),
                                 static_cast<ULONG>(table.size()), &length) != 0)
        return {};
    const auto* info = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(table.data());
    std::vector<HANDLE> handles;
    for (ULONG i = 0; i < info->Count; ++i)
        if (info->Handle[i].OwnerPid == processId)
            handles.push_back(
                reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(info->Handle[i].HandleValue)));
    return handles;
}

// The object's name (a registry key's full path), through a copy of the
// handle in this process; empty for unnamed objects.
std::wstring NameOf(HANDLE process, HANDLE handle) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(process, handle, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        return {};
    const UniqueHandle owned(copy);
    alignas(OBJECT_NAME_INFORMATION) char buffer[4096];
    ULONG length = 0;
    if (NtQueryObject(copy, ObjectNameInformation, buffer, sizeof buffer, &length) != 0)
        return {};
    const UNICODE_STRING& name = reinterpret_cast<OBJECT_NAME_INFORMATION*>(buffer)->Name;
    return {name.Buffer, name.Length / sizeof(wchar_t)};
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view end) {
    if (text.size() < end.size())
        return false;
    text.remove_prefix(text.size() - end.size());
    for (size_t i = 0; i < end.size(); ++i)
        if (std::towlower(text[i]) != std::towlower(end[i]))
            return false;
    return true;
}

void CountHandles(HANDLE process, DWORD processId, Usage& usage) {
    const std::vector<HANDLE> handles = HandlesOf(processId);
    usage.handles = static_cast<DWORD>(handles.size());
    for (HANDLE handle : handles) {
        const std::wstring name = NameOf(process, handle);
        for (size_t k = 0; k < kWineKeeps.size(); ++k)
            usage.kept[k] += EndsWithNoCase(name, kWineKeeps[k].pathEnd);
    }
}

Usage UsageOf(DWORD processId) {
    UniqueHandle process(OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE, FALSE, processId));
    Usage usage;
    PROCESS_MEMORY_COUNTERS memory{};
    if (GetProcessMemoryInfo(process.Get(), &memory, sizeof memory)) {
        usage.committedMb = memory.PagefileUsage / 1048576.0;
        usage.workingSetMb = memory.WorkingSetSize / 1048576.0;
    }
    CountHandles(process.Get(), processId, usage);
    usage.gdi = GetGuiResources(process.Get(), GR_GDIOBJECTS);
    usage.user = GetGuiResources(process.Get(), GR_USEROBJECTS);
    return usage;
}

void Print(const char* when, int cycle, const Usage& u) {
    std::printf("%-5s cycle %5d  committed %6.1f MB  working set %6.1f MB  handles %4lu "
                "(Wine's keys %lu + %lu)  GDI %4lu  USER %4lu\n",
                when, cycle, u.committedMb, u.workingSetMb, u.handles, u.kept[0], u.kept[1], u.gdi,
                u.user);
    std::fflush(stdout);
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WithoutStamp(std::string text) {
    const auto start = text.find("<br/><div class=\"value\">");
    return start == std::string::npos ? text
                                      : text.erase(start, text.find("</div>", start) - start);
}

void Step(Driver& app, const char* caption, const char* done) {
    app.ClickMenu(caption);
    if (app.WaitStatus(done, 60s) != done)
        throw DriverError(std::string(caption) + "ended in: " + app.StatusText());
}

// Which commands a cycle runs: i(mport), e(xport), c(opy); all by default,
// fewer to find which one holds on to something.
std::string gSteps = "iec";
bool Runs(char step) {
    return gSteps.find(step) != std::string::npos;
}

// One cycle; returns the exported file's text.
std::string Cycle(Driver& app, const std::string& file) {
    if (Runs('i'))
        Step(app, " Importa da Excel ", "Importazione da Excel eseguita.");
    if (!Runs('e'))
        return Runs('c') ? (Step(app, " Copia negli appunti ", "Dati copiati negli appunti."), "")
                         : "";
    app.ClickMenu(" Esporta in html ");
    if (!app.SaveDialogEnter(file))
        app.CloseMessageBox(kSaveDialogTitle, IDYES); // replace the last cycle's file
    if (app.WaitStatus("Salvataggio html eseguito.", 60s) != "Salvataggio html eseguito.")
        throw DriverError("export ended in: " + app.StatusText());
    const std::string text = ReadAll(file);
    Step(app, " Copia negli appunti ", "Dati copiati negli appunti.");
    if (WithoutStamp(ClipboardText().value_or("")) != WithoutStamp(text))
        throw DriverError("the clipboard differs from the file");
    return text;
}

// The program's own handles and objects stay within a fixed slack; Wine's
// own keys grow by no more than the steps taken allow.
bool WithinBounds(const Usage& first, const Usage& last, int exports, int imports) {
    for (size_t k = 0; k < kWineKeeps.size(); ++k)
        if (last.kept[k] >
            first.kept[k] + kWineKeeps[k].perExport * exports + kWineKeeps[k].perImport * imports)
            return false;
    return last.committedMb - first.committedMb <= 8.0 && last.Own() <= first.Own() + 16 &&
           last.gdi <= first.gdi + 16 && last.user <= first.user + 16;
}

} // namespace

int main(int argc, char** argv) try {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (argc > 3)
        gSteps = argv[3];
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = (argc > 2 ? std::string(argv[2]) + "\\" : std::string(temp)) +
                             "pagora-endurance-" + std::to_string(GetCurrentProcessId()) + ".html";
    StandIn sheet(SampleSheet("listino.txt"));
    auto app = Driver::Start("pagora.exe");
    const std::string first = Cycle(app, file);
    const Usage warm = UsageOf(app.ProcessId());
    Print("warm", 1, warm);
    std::string last = first;
    Usage now = warm;
    for (int cycle = 2; cycle <= cycles; ++cycle) {
        last = Cycle(app, file);
        if (cycle % 100 == 0 || cycle == cycles)
            Print("", cycle, now = UsageOf(app.ProcessId()));
    }
    DeleteFileA(file.c_str());
    const bool same = WithoutStamp(first) == WithoutStamp(last);
    const bool bounded =
        WithinBounds(warm, now, Runs('e') ? cycles - 1 : 0, Runs('i') ? cycles - 1 : 0);
    std::printf("last output equals the first but for the time stamp: %s\n", same ? "yes" : "NO");
    std::printf("growth within 8 MB and 16 handles/objects, and of Wine's own keys within "
                "what the steps taken keep: %s\n",
                bounded ? "yes" : "NO");
    if (now.gdi == 0 && now.user == 0)
        std::printf("(GDI and USER objects: this system does not report them)\n");
    app.ClickMenu(" Esci ");
    return same && bounded && app.WaitExit() ? 0 : 1;
} catch (const std::exception& e) {
    std::fprintf(stderr, "pagora_endurance: %s\n", e.what());
    return 1;
}
