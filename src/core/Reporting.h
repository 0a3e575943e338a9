// The texts through which the program reports: the failure line a command
// writes on the status line, the text of the default error box, and the
// access keys of the menu bar. Pure functions, so the rules are tested
// without a window.
#pragma once

#include "Exceptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace pagora {

// prefix + class name + ": " + message, exactly: nothing is trimmed or added,
// line breaks stay, an empty message leaves the line ending in ": ".
std::string FailureLine(std::string_view prefix, const Exception& failure);

// The message with a full stop appended when it is not empty and its last
// byte (unsigned) is above '.'; otherwise unchanged.
std::string DefaultDisplayText(std::string_view message);

// Marks an access key in each caption, in order: the first character whose
// upper case is a digit or A-Z and which no earlier caption has taken gets
// a '&' in front of it. A literal '&' in a caption is doubled so that it
// shows as itself. A caption without a free character gets no key.
std::vector<std::string> WithAccessKeys(const std::vector<std::string>& captions);

} // namespace pagora
