// The screen cursor: the hourglass while a command works, the normal cursor
// otherwise. A command runs inside one message and processes no others while
// the hourglass shows, so no WM_SETCURSOR comes to undo it meanwhile.
#pragma once

#include "Owner.h"
#include "Ports.h"

namespace pagora {

enum class TCursor { crDefault, crHourGlass };

class TScreenCursor : public CursorPort {
public:
    void SetHourGlass() override { Set(TCursor::crHourGlass); }
    void SetDefault() override { Set(TCursor::crDefault); }
    TCursor Cursor() const { return cursor_; }

private:
    void Set(TCursor cursor);
    TCursor cursor_ = TCursor::crDefault;
};

struct SetDefaultCursor {
    void operator()(CursorPort* cursor) const { cursor->SetDefault(); }
};

// The hourglass for the lifetime of the guard; the normal cursor again on
// every way out, or earlier with Reset.
class HourGlass : public Unique<CursorPort*, SetDefaultCursor> {
public:
    explicit HourGlass(CursorPort& cursor) : Unique(&cursor) { cursor.SetHourGlass(); }
};

} // namespace pagora
