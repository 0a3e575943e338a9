// The clipboard as another program sees it. Opening it waits (bounded) while
// someone else holds it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace pagora::e2e {

std::optional<std::string> ClipboardText();
std::vector<UINT> ClipboardFormats();
void ClearClipboard();

} // namespace pagora::e2e
