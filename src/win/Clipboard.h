// The system clipboard, through which the copy command hands over its text.
#pragma once

#include "Ports.h"

namespace pagora {

class TClipboard : public ClipboardPort {
public:
    // Makes text (plus one zero byte) the clipboard's only content, as
    // CF_TEXT, owned by owner. Opening is tried once: another program holding
    // the clipboard gives Exception "Cannot open clipboard" and leaves its
    // content as it was.
    void SetPlainText(HWND owner, std::string_view text) override;
};

} // namespace pagora
