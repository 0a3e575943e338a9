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

    // A call of this name never answers: the stand-in stops in it, as an
    // application that hangs or is killed in the middle of a call.
    void AddHang(std::wstring_view call);
    bool Hangs(std::string_view call) const;

private:
    struct Rule {
        std::string call;
        unsigned nth = 0; // 0: every call of that name
        Failure failure;
    };
    std::vector<Rule> rules_;
    std::map<std::string, unsigned, std::less<>> received_;
    std::vector<std::string> hangs_;
};

} // namespace pagora::standin
