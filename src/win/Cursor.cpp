#include "Cursor.h"

namespace pagora {

void TScreenCursor::Set(TCursor cursor) {
    cursor_ = cursor;
    // Shown at once: the command goes on without returning to the loop.
    SetCursor(LoadCursorA(nullptr, cursor == TCursor::crHourGlass ? IDC_WAIT : IDC_ARROW));
}

} // namespace pagora
