#include "StandIn.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace pagora::e2e {

namespace {

std::string ExeFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string NewFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int serial = 0;
    std::string folder = std::string(base) + "pagora-e2e-" + std::to_string(GetCurrentProcessId()) +
                         "-" + std::to_string(++serial);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

UniqueHandle StartProcess(const std::string& command) {
    std::string line = command;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        throw DriverError("cannot start: " + command);
    const UniqueHandle thread(started.hThread);
    return UniqueHandle(started.hProcess);
}

} // namespace

StandIn::StandIn(const std::string& sheet, const std::string& options)
    : folder_(NewFolder()), sheetPath_(folder_ + "sheet.txt"), logPath_(folder_ + "calls.log"),
      quit_(CreateEventA(nullptr, TRUE, FALSE, "pagora-standin-quit")) {
    WriteFile(sheetPath_, sheet);
    UniqueHandle ready(CreateEventA(nullptr, TRUE, FALSE, "pagora-standin-ready"));
    ResetEvent(ready.Get());
    ResetEvent(quit_.Get());
    process_ = StartProcess("\"" + ExeFolder() + "standin-sheet.exe\" --sheet \"" + sheetPath_ +
                            "\" --log \"" + logPath_ + "\" " + options);
    const HANDLE waits[] = {ready.Get(), process_.Get()};
    if (WaitForMultipleObjects(2, waits, FALSE, 20000) != WAIT_OBJECT_0)
        throw DriverError("the stand-in did not get ready");
}

StandIn::~StandIn() {
    if (process_) {
        SetEvent(quit_.Get());
        if (WaitForSingleObject(process_.Get(), 10000) != WAIT_OBJECT_0)
            Kill();
    }
    DeleteFileA(sheetPath_.c_str());
    DeleteFileA(logPath_.c_str());
    RemoveDirectoryA(folder_.c_str());
}

std::vector<std::string> StandIn::Log() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(logPath_));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void StandIn::Kill() {
    TerminateProcess(process_.Get(), 9);
    WaitForSingleObject(process_.Get(), 10000);
    process_.Reset();
}

std::string SampleSheet(const std::string& name) {
    return ReadFile(std::string(PAGORA_SAMPLES_DIR) + "/" + name);
}

} // namespace pagora::e2e
