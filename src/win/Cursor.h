// The screen cursor: the hourglass while a command works, the normal cursor
// otherwise. A command runs inside one message and processes no others while
// the hourglass shows, so no WM_SETCURSOR comes to undo it meanwhile.
#pragma once

#include "Ports.h"

#include <utility>

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

// The hourglass for the lifetime of the guard; the normal cursor again on
// every way out, or earlier with Reset. It cannot be handed on, copied or
// moved, so nothing can drop the hourglass without the normal cursor coming
// back.
class HourGlass {
public:
    explicit HourGlass(CursorPort& cursor) : cursor_(&cursor) { cursor.SetHourGlass(); }
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;
    ~HourGlass() { Reset(); }

    void Reset() noexcept {
        if (cursor_)
            std::exchange(cursor_, nullptr)->SetDefault();
    }

private:
    CursorPort* cursor_;
};

} // namespace pagora
