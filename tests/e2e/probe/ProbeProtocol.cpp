#include "ProbeProtocol.h"

namespace pagora::e2e {
namespace {

std::string ObjectName(DWORD processId, const char* part) {
    return std::string(kProbeMessageName) + "." + std::to_string(processId) + "." + part;
}

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

Record ParseFields(std::string_view line) {
    Record fields;
    for (size_t start = 0;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(Unescape(line.substr(start, tab - start)));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

} // namespace

ProbeChannel ProbeChannel::Create(DWORD targetProcessId) {
    return Assemble(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ChannelMemory),
                           ObjectName(targetProcessId, "map").c_str()),
        CreateMutexA(nullptr, FALSE, ObjectName(targetProcessId, "lock").c_str()),
        CreateEventA(nullptr, FALSE, FALSE, ObjectName(targetProcessId, "answered").c_str()));
}

ProbeChannel ProbeChannel::OpenForThisProcess() {
    DWORD self = GetCurrentProcessId();
    return Assemble(
        OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, ObjectName(self, "map").c_str()),
        OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, ObjectName(self, "lock").c_str()),
        OpenEventA(EVENT_MODIFY_STATE, FALSE, ObjectName(self, "answered").c_str()));
}

ProbeChannel ProbeChannel::Assemble(HANDLE mapping, HANDLE mutex, HANDLE answered) {
    ProbeChannel channel;
    channel.mapping_.Reset(mapping);
    channel.mutex_.Reset(mutex);
    channel.answered_.Reset(answered);
    if (mapping && mutex && answered)
        channel.view_.Reset(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    return channel;
}

UINT ProbeMessage() {
    static const UINT message = RegisterWindowMessageA(kProbeMessageName);
    return message;
}

void AppendRecord(std::string& out, const Record& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += '\t';
        out += Escape(fields[i]);
    }
    out += '\n';
}

std::vector<Record> ParseRecords(std::string_view text) {
    std::vector<Record> records;
    while (!text.empty()) {
        size_t end = text.find('\n');
        records.push_back(ParseFields(text.substr(0, end)));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return records;
}

} // namespace pagora::e2e
