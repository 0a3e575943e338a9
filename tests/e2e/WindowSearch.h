// Finding another process's windows and reading their texts from outside.
#pragma once

#include "Harness.h"

#include <windows.h>

#include <functional>
#include <string>

namespace pagora::e2e {

std::string ClassNameOf(HWND window);
// WM_GETTEXT travels across processes; bounded in case the owner hangs.
std::string TextOf(HWND window);
// A visible top-level window of the process that matches.
HWND FindTopLevel(DWORD processId, std::function<bool(HWND)> matches);
HWND WaitTopLevel(DWORD processId, const std::function<bool(HWND)>& matches, Timeout timeout);
// A control at any depth: a customised Explorer-style dialog nests its
// controls in a child dialog.
HWND FindControl(HWND dialog, int id);

} // namespace pagora::e2e
