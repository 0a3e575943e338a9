// What the served objects share: the sheet, the call log and the failure
// plan, plus the two ways a call reports an injected failure.
#pragma once

#include "CallLog.h"
#include "FailurePlan.h"
#include "Sheet.h"

#include <string>
#include <string_view>

namespace pagora::standin {

class Services {
public:
    Services(const Sheet& sheet, CallLog& log, FailurePlan& failures)
        : sheet_(sheet), log_(log), failures_(failures) {}
    Services(const Services&) = delete;
    Services& operator=(const Services&) = delete;

    const Sheet& SheetServed() const { return sheet_; }
    // Logs one received call as "call arguments", then " failed 0x..." when
    // it is to fail or else " answer"; returns that failure or nullptr.
    const Failure* Receive(std::string_view call, std::string_view arguments,
                           std::string_view answer = {});
    // Logs a line that is no call of the client's.
    void Note(std::string_view line) { log_.Write(line); }

private:
    const Sheet& sheet_;
    CallLog& log_;
    FailurePlan& failures_;
};

// A vtable call's failure: the description, if any, is left with
// SetErrorInfo for the caller's thread.
HRESULT FailThroughErrorInfo(const Failure& failure, REFIID iid);
// A late-bound call's failure: with a description it is an exception
// (DISP_E_EXCEPTION with the EXCEPINFO filled), else the bare HRESULT.
HRESULT FailThroughExcepInfo(const Failure& failure, EXCEPINFO* exception);

// An argument as the call log shows it: a string as its text, a 32-bit
// integer as its number, anything else as Kind:value.
std::string DescribeArgument(const VARIANT& argument);

} // namespace pagora::standin
