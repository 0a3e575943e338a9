// What the driver and the probe inside the target agree on: the window
// message that carries a request, the shared memory that holds it and its
// answer, and the text form of answers (records of tab-separated fields).
//
// The driver writes a request under the channel's mutex and posts the probe
// message to the target's main window with the request's id; the probe's
// message hook sees it in the target's own queue, answers under the same
// mutex and signals the answer event. Ids let either side drop a message or
// an answer that belongs to a request the driver has already given up on.
#pragma once

#include "Handles.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace pagora::e2e {

inline constexpr char kProbeMessageName[] = "pagora.probe";
inline constexpr DWORD kRequestCapacity = 4096;
inline constexpr DWORD kAnswerCapacity = 4u << 20;
inline constexpr DWORD kChannelLockMs = 5000;

struct ChannelMemory {
    LONG requestId;
    LONG answerId;
    DWORD answerSize;
    char request[kRequestCapacity];
    char answer[kAnswerCapacity];
};

class ProbeChannel {
public:
    // The driver creates the channel of one target process; names carry the
    // target's process id because several tests drive programs in parallel.
    static ProbeChannel Create(DWORD targetProcessId);
    // The probe opens the channel of its own process; an empty channel when
    // no driver made one.
    static ProbeChannel OpenForThisProcess();

    explicit operator bool() const { return static_cast<bool>(view_); }
    ChannelMemory& Memory() const { return *static_cast<ChannelMemory*>(view_.Get()); }
    HANDLE Mutex() const { return mutex_.Get(); }
    HANDLE AnswerEvent() const { return answered_.Get(); }

private:
    static ProbeChannel Assemble(HANDLE mapping, HANDLE mutex, HANDLE answered);

    UniqueHandle mapping_;
    UniqueHandle mutex_;
    UniqueHandle answered_;
    MappedView view_;
};

UINT ProbeMessage();

using Record = std::vector<std::string>;

// Fields may hold any text (cells can contain tabs and line breaks), so
// backslash, tab, CR and LF travel escaped.
void AppendRecord(std::string& out, const Record& fields);
std::vector<Record> ParseRecords(std::string_view text);

} // namespace pagora::e2e
