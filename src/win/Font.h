// The window's font: a GDI font owned by the window that uses it.
#pragma once

#include "Owner.h"

#include <string>

namespace pagora {

using TFont = GdiObject<HFONT>;

TFont NewFont(const std::string& face, int height);

} // namespace pagora
