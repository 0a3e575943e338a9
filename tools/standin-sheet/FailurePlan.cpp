#include "FailurePlan.h"

#include "Text.h"

#include <algorithm>
#include <cwchar>
#include <optional>
#include <stdexcept>
#include <utility>

namespace pagora::standin {
namespace {

// The names the call log uses; a misspelt --fail would otherwise do nothing.
constexpr std::string_view kCalls[] = {"QueryInterface", "put_Setting276", "put_Setting244",
                                       "Range",          "CurrentRegion",  "Rows",
                                       "Columns",        "Count",          "Value"};

std::pair<std::wstring_view, std::optional<std::wstring_view>> SplitAt(std::wstring_view text,
                                                                       wchar_t at) {
    const size_t pos = text.find(at);
    if (pos == text.npos)
        return {text, std::nullopt};
    return {text.substr(0, pos), text.substr(pos + 1)};
}

unsigned long ParseNumber(std::wstring_view text, const char* what) {
    const std::wstring copy(text);
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(copy.c_str(), &end, 0);
    if (copy.empty() || *end != L'\0')
        throw std::invalid_argument(std::string("--fail: not a number for ") + what + ": " +
                                    WideToUtf8(text));
    return value;
}

} // namespace

void FailurePlan::Add(std::wstring_view option) {
    const auto [head, rest] = SplitAt(option, L':');
    const auto [name, nth] = SplitAt(head, L'@');
    Rule rule;
    rule.call = WideToUtf8(name);
    if (std::ranges::find(kCalls, rule.call) == std::end(kCalls))
        throw std::invalid_argument("--fail: no call named " + rule.call);
    if (nth) {
        rule.nth = static_cast<unsigned>(ParseNumber(*nth, "@N"));
        if (rule.nth == 0)
            throw std::invalid_argument("--fail: calls are counted from 1");
    }
    if (rest) {
        const auto [hr, description] = SplitAt(*rest, L':');
        rule.failure.hr = static_cast<HRESULT>(ParseNumber(hr, "the HRESULT"));
        rule.failure.description = description.value_or(L"");
    }
    rules_.push_back(std::move(rule));
}

const Failure* FailurePlan::Check(std::string_view call) {
    auto counter = received_.find(call);
    if (counter == received_.end())
        counter = received_.emplace(std::string(call), 0).first;
    const unsigned number = ++counter->second;
    const auto rule = std::ranges::find_if(
        rules_, [&](const Rule& r) { return r.call == call && (r.nth == 0 || r.nth == number); });
    return rule == rules_.end() ? nullptr : &rule->failure;
}

void FailurePlan::AddHang(std::wstring_view call) { hangs_.emplace_back(call.begin(), call.end()); }

bool FailurePlan::Hangs(std::string_view call) const {
    return std::find(hangs_.begin(), hangs_.end(), call) != hangs_.end();
}

} // namespace pagora::standin
