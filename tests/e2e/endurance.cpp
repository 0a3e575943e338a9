// Many import, export and copy cycles of the sample price list in one run of
// the program: its memory, handles and window objects must stay within a
// small fixed bound, and the last output must equal the first but for the
// time stamp.
//   pagora_endurance.exe [cycles] [output folder] [steps: any of "iec"]
#include "Driver.h"
#include "StandIn.h"

#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

using namespace pagora::e2e;
using pagora::UniqueHandle;

namespace {

struct Usage {
    double committedMb = 0, workingSetMb = 0;
    DWORD handles = 0, gdi = 0, user = 0;
};

// The kernel objects the process holds, from the system's handle table
// (GetProcessHandleCount answers 0 under Wine; this table is filled).
DWORD HandlesOf(DWORD processId) {
    struct Entry {
        ULONG pid;
        UCHAR type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll"), "NtQuerySystemInformation")));
    std::vector<char> table(4 << 20);
    ULONG length = 0;
    if (!query || query(16 /* SystemHandleInformation */, table.data(), table.size(), &length) != 0)
        return 0;
    const ULONG count = *reinterpret_cast<const ULONG*>(table.data());
    const auto* entries = reinterpret_cast<const Entry*>(table.data() + sizeof(void*));
    DWORD mine = 0;
    for (ULONG i = 0; i < count; ++i)
        mine += entries[i].pid == processId;
    return mine;
}

Usage UsageOf(DWORD processId) {
    UniqueHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    Usage usage;
    PROCESS_MEMORY_COUNTERS memory{};
    if (GetProcessMemoryInfo(process.Get(), &memory, sizeof memory)) {
        usage.committedMb = memory.PagefileUsage / 1048576.0;
        usage.workingSetMb = memory.WorkingSetSize / 1048576.0;
    }
    usage.handles = HandlesOf(processId);
    usage.gdi = GetGuiResources(process.Get(), GR_GDIOBJECTS);
    usage.user = GetGuiResources(process.Get(), GR_USEROBJECTS);
    return usage;
}

void Print(const char* when, int cycle, const Usage& u) {
    std::printf("%-5s cycle %5d  committed %6.1f MB  working set %6.1f MB  handles %4lu  "
                "GDI %4lu  USER %4lu\n",
                when, cycle, u.committedMb, u.workingSetMb, u.handles, u.gdi, u.user);
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

// Wine's save dialog keeps one kernel handle for every name confirmed in it
// (a bare GetSaveFileNameA loop shows the same), so each export after the
// first measurement is allowed one handle of its own.
bool WithinBounds(const Usage& first, const Usage& last, int exports) {
    return last.committedMb - first.committedMb <= 8.0 &&
           last.handles <= first.handles + 16 + exports && last.gdi <= first.gdi + 16 &&
           last.user <= first.user + 16;
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
    const bool bounded = WithinBounds(warm, now, Runs('e') ? cycles - 1 : 0);
    std::printf("last output equals the first but for the time stamp: %s\n", same ? "yes" : "NO");
    std::printf("growth within 8 MB and 16 handles/objects (plus one handle per export that "
                "Wine's save dialog keeps): %s\n",
                bounded ? "yes" : "NO");
    if (now.gdi == 0 && now.user == 0)
        std::printf("(GDI and USER objects: this system does not report them)\n");
    app.ClickMenu(" Esci ");
    return same && bounded && app.WaitExit() ? 0 : 1;
} catch (const std::exception& e) {
    std::fprintf(stderr, "pagora_endurance: %s\n", e.what());
    return 1;
}
