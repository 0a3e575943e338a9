// An ordered list of text lines: unsorted, duplicates kept. It holds the
// HTML fragment between the build and its output to a file or the clipboard.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pagora {

class TStringList {
public:
    void Clear() { items_.clear(); }
    void Add(std::string line) { items_.push_back(std::move(line)); }
    std::size_t Count() const { return items_.size(); }
    const std::string& operator[](std::size_t index) const { return items_[index]; }
    const std::string& Strings(std::size_t index) const { return items_[index]; }

    // Every entry followed by CR LF, the last one too: the clipboard text, and
    // byte for byte what the export writes to its file.
    std::string Text() const;

private:
    std::vector<std::string> items_;
};

} // namespace pagora
