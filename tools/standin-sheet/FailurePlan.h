// Which received calls the stand-in makes fail, from its --fail options.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pagora::standin {

struct Failure {
    HRESULT hr = E_FAIL;
    // Empty: the call fails with the bare HRESULT.
    std::wstring description;
};

class FailurePlan {
public:
    // NAME[@N][:HRESULT[:DESCRIPTION]]; throws std::invalid_argument.
    void Add(std::wstring_view option);
    // Counts one received call of this name; the failure it must end in, or
    // nullptr when it is to succeed.
    const Failure* Check(std::string_view call);

private:
    struct Rule {
        std::string call;
        unsigned nth = 0; // 0: every call of that name
        Failure failure;
    };
    std::vector<Rule> rules_;
    std::map<std::string, unsigned, std::less<>> received_;
};

} // namespace pagora::standin
