// The export's output file: text written line by line through a 128-byte
// buffer, each line followed by CR LF. Every operation reports a failure of
// the system as EInOutError with the system's error code.
#pragma once

#include "Exceptions.h"
#include "Owner.h"

#include <windows.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace pagora {

// The message of an EInOutError for a system error code.
std::string InOutErrorMessage(int code);
[[noreturn]] void RaiseInOutError(int code);

// The name as the ANSI file functions take it. A name with a character the
// code page lacks is refused as the system refuses a name it cannot use
// (EInOutError 123): a look-alike would be another file.
std::string AnsiFileName(std::wstring_view name);

class TTextFile {
public:
    static constexpr std::size_t kBufferSize = 128;

    TTextFile() = default;
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    // Names the file; leaves it closed with an empty buffer (an open file is
    // released first, without writing its buffer).
    void Bind(std::string name);
    const std::string& Name() const { return name_; }

    // Opens the named file for writing as a new empty file, cutting an
    // existing one to zero length; others may read it meanwhile, not write.
    void Create();

    // The entry's bytes as they are, then CR LF. The buffer goes to the file
    // each time it fills up, so a failure is raised at the line during which
    // the disk refused a block.
    void WriteLine(std::string_view entry);

    // Writes what is left in the buffer and releases the file. The handle is
    // released even when that last write fails; the failure is then raised.
    // Closing a file that is not open does nothing.
    void Close();

    bool IsOpen() const { return static_cast<bool>(handle_); }

private:
    void Append(std::string_view bytes);
    void Flush();
    void Release() noexcept;

    std::string name_;
    UniqueFileHandle handle_;
    std::array<char, kBufferSize> buffer_{};
    std::size_t used_ = 0;
};

} // namespace pagora
