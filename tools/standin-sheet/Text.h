// Text conversions between the stand-in's UTF-8 files and OLE's UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace pagora::standin {

// Throws std::invalid_argument when the bytes are not valid UTF-8.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
// "0x800A03EC": how HRESULTs and dispatch identifiers appear in messages
// and in the call log.
std::string Hex32(unsigned long value);

} // namespace pagora::standin
