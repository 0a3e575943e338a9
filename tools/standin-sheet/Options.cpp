#include "Options.h"

#include "Text.h"

#include <stdexcept>

namespace pagora::standin {

const char kUsage[] =
    "usage: standin-sheet --sheet FILE [--log FILE] [--fail NAME[@N][:HRESULT[:DESCRIPTION]]]...\n"
    "                     [--hang NAME] [--no-progid]\n"
    "       standin-sheet --quit\n";

Options ParseOptions(const std::vector<std::wstring>& arguments) {
    Options options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& name = arguments[i];
        const auto value = [&]() -> const std::wstring& {
            if (i + 1 >= arguments.size())
                throw std::invalid_argument(WideToUtf8(name) + " needs a value");
            return arguments[++i];
        };
        if (name == L"--sheet")
            options.sheetPath = value();
        else if (name == L"--log")
            options.logPath = value();
        else if (name == L"--fail")
            options.failures.Add(value());
        else if (name == L"--hang")
            options.failures.AddHang(value());
        else if (name == L"--no-progid")
            options.registerProgId = false;
        else if (name == L"--quit")
            options.quitRunning = true;
        else
            throw std::invalid_argument("unknown option " + WideToUtf8(name));
    }
    if (options.sheetPath.empty() && !options.quitRunning)
        throw std::invalid_argument("--sheet is required");
    return options;
}

} // namespace pagora::standin
