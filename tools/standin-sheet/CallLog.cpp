#include "CallLog.h"

#include "Text.h"

#include <stdexcept>

namespace pagora::standin {

CallLog::CallLog(const std::wstring& path) {
    if (path.empty())
        return;
    file_.Reset(CreateFileW(path.c_str(), FILE_APPEND_DATA,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_)
        throw std::runtime_error("cannot open the log file " + WideToUtf8(path) + ", error " +
                                 std::to_string(GetLastError()));
}

void CallLog::Write(std::string_view line) {
    if (!file_)
        return;
    // One write per line, so a reader never sees half of one.
    const std::string text = std::string(line) + "\n";
    DWORD written = 0;
    WriteFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

} // namespace pagora::standin
