#include "StringList.h"

namespace pagora {

std::string TStringList::Text() const {
    static constexpr std::string_view kLineEnd = "\r\n";
    // One allocation for the whole text: the fragment can be hundreds of MB.
    std::size_t total = 0;
    for (const std::string& item : items_)
        total += item.size() + kLineEnd.size();
    std::string text;
    text.reserve(total);
    for (const std::string& item : items_) {
        text += item;
        text += kLineEnd;
    }
    return text;
}

} // namespace pagora
