// standin-sheet: a stand-in for the spreadsheet application, so that the
// program's import can be run and tested where the real one cannot be
// installed. README.md describes its command line, sheet format and log.
#include "ApplicationObject.h"
#include "Options.h"
#include "Registration.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <exception>

namespace pagora::standin {
namespace {

// Set by `standin-sheet --quit` or by a test: every running stand-in ends.
constexpr wchar_t kQuitEvent[] = L"pagora-standin-quit";
// Set while the stand-in is registered and answering calls.
constexpr wchar_t kReadyEvent[] = L"pagora-standin-ready";

std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    const LocalMemory<LPWSTR> raw(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!raw)
        throw std::runtime_error("cannot read the command line");
    return std::vector<std::wstring>(raw.Get() + (count > 0 ? 1 : 0), raw.Get() + count);
}

UniqueHandle NamedEvent(const wchar_t* name) {
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name));
    if (!event)
        throw std::runtime_error("cannot create an event, error " + std::to_string(GetLastError()));
    return event;
}

int QuitRunning() {
    const UniqueHandle quit(OpenEventW(EVENT_MODIFY_STATE, FALSE, kQuitEvent));
    if (!quit) {
        std::fputs("standin-sheet: no stand-in is running\n", stderr);
        return 1;
    }
    SetEvent(quit.Get());
    return 0;
}

// Registered weakly: a strong entry would hold an external reference of its
// own, and the object could never see the client's final release (see
// ApplicationObject::ReleaseConnection). The stand-in keeps the object alive
// itself, so the entry lasts as long as a strong one would.
// Revoked when the returned guard ends.
auto RegisterActive(IUnknown* object) {
    DWORD cookie = 0;
    ThrowIfFailed(RegisterActiveObject(object, CLSID_Application, ACTIVEOBJECT_WEAK, &cookie),
                  "RegisterActiveObject");
    return ScopeGuard([cookie] { RevokeActiveObject(cookie, nullptr); });
}

// The process that started this one. A stand-in outliving it (a test that
// crashed, a script's launcher killed) would go on answering every later
// client in place of the next stand-in, so it ends with it.
UniqueHandle ParentProcess() {
    const UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry))
        if (entry.th32ProcessID == self)
            return UniqueHandle(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ParentProcessID));
    return UniqueHandle();
}

// Serves the apartment's calls, which arrive as window messages, until the
// quit event is set or the parent process ends.
void Serve(HANDLE quit, HANDLE parent) {
    const HANDLE waits[] = {quit, parent};
    const DWORD count = parent ? 2 : 1;
    for (;;) {
        if (MsgWaitForMultipleObjects(count, waits, FALSE, INFINITE, QS_ALLINPUT) <
            WAIT_OBJECT_0 + count)
            return;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

int RunServer(Options& options) {
    const Sheet sheet = LoadSheet(options.sheetPath);
    CallLog log(options.logPath);
    Services services(sheet, log, options.failures);
    const OleInitGuard apartment;
    ThrowIfFailed(apartment.Result(), "CoInitializeEx");
    RegisterTypeLibrary();
    options.registerProgId ? RegisterProgId() : RemoveProgId();
    const UniqueHandle quit = NamedEvent(kQuitEvent);
    const UniqueHandle ready = NamedEvent(kReadyEvent);
    // A quit request that nobody served must not end this new instance.
    ResetEvent(quit.Get());
    const UniqueHandle parent = ParentProcess();
    const ComPtr<ApplicationObject> application(new ApplicationObject(services));
    {
        const auto registration = RegisterActive(static_cast<_Application*>(application.Get()));
        SetEvent(ready.Get());
        Serve(quit.Get(), parent.Get());
        ResetEvent(ready.Get());
        application->StopWatchingConnections();
    }
    return 0;
}

} // namespace
} // namespace pagora::standin

int main() {
    using namespace pagora::standin;
    try {
        Options options = ParseOptions(CommandLineArguments());
        return options.quitRunning ? QuitRunning() : RunServer(options);
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "standin-sheet: %s\n%s", e.what(), kUsage);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "standin-sheet: %s\n", e.what());
    }
    return 2;
}
