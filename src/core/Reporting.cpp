#include "Reporting.h"

#include <set>

namespace pagora {

std::string FailureLine(std::string_view prefix, const Exception& failure) {
    std::string line(prefix);
    line += failure.ClassName();
    line += ": ";
    line += failure.Message();
    return line;
}

std::string DefaultDisplayText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    return text;
}

namespace {

// The key a character would give, or '\0' when it cannot be one. Only the
// ASCII letters count, whatever the code page says about bytes above 0x7F.
char KeyOf(char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return c;
    return '\0';
}

std::string MarkKey(const std::string& caption, std::set<char>& taken) {
    std::string shown;
    bool marked = false;
    for (char c : caption) {
        char key = KeyOf(c);
        if (!marked && key != '\0' && taken.insert(key).second) {
            shown += '&';
            marked = true;
        }
        shown += c;
        if (c == '&')
            shown += '&';
    }
    return shown;
}

} // namespace

std::vector<std::string> WithAccessKeys(const std::vector<std::string>& captions) {
    std::set<char> taken;
    std::vector<std::string> shown;
    shown.reserve(captions.size());
    for (const std::string& caption : captions)
        shown.push_back(MarkKey(caption, taken));
    return shown;
}

} // namespace pagora
