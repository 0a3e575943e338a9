#include "GridPicture.h"

#include "Owner.h"

#include <commctrl.h>

#include <algorithm>

namespace pagora::e2e {
namespace {

// A 32-bit top-down bitmap with a device context to paint it.
class Canvas {
public:
    Canvas(int width, int height)
        : width_(std::max(1, width)), height_(std::max(1, height)),
          dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<const DWORD*>(bits);
        selected_ = SelectInto(dc_.Get(), bitmap_.Get());
    }
    HDC Dc() const { return dc_.Get(); }

    // How many of the pixels inside `area` have the colour, as a share.
    double Share(const RECT& area, COLORREF colour) const {
        const RECT r = Clipped(area);
        const long total = static_cast<long>(r.right - r.left) * (r.bottom - r.top);
        return total > 0 ? static_cast<double>(Count(r, colour)) / total : 0.0;
    }
    bool Any(const RECT& area, COLORREF colour) const { return Count(Clipped(area), colour) > 0; }

private:
    RECT Clipped(const RECT& area) const {
        return {std::max(0L, area.left), std::max(0L, area.top),
                std::min(static_cast<LONG>(width_), area.right),
                std::min(static_cast<LONG>(height_), area.bottom)};
    }
    long Count(const RECT& r, COLORREF colour) const {
        if (!bits_)
            return 0;
        GdiFlush();
        // The bitmap keeps blue in its lowest byte, a COLORREF red.
        const DWORD pixel =
            (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
        long count = 0;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x)
                count += (bits_[y * width_ + x] & 0xFFFFFF) == pixel;
        return count;
    }

    int width_, height_;
    MemoryDC dc_;
    GdiObject<HBITMAP> bitmap_;
    Selection selected_;
    const DWORD* bits_ = nullptr;
};

std::vector<RECT> ColumnSpans(HWND list) {
    HWND header = ListView_GetHeader(list);
    std::vector<RECT> spans(std::max(0, Header_GetItemCount(header)));
    for (std::size_t i = 0; i < spans.size(); ++i) {
        Header_GetItemRect(header, static_cast<int>(i), &spans[i]);
        MapWindowPoints(header, list, reinterpret_cast<POINT*>(&spans[i]), 2);
    }
    return spans;
}

// The cell without the grid lines around it.
RECT Inside(const RECT& column, const RECT& row) {
    return {column.left + 1, row.top + 1, column.right - 1, row.bottom - 1};
}

DrawnRow ReadRow(const Canvas& canvas, const std::vector<RECT>& columns, int row, RECT bounds) {
    DrawnRow drawn{row, bounds, false, {}};
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const RECT cell = Inside(columns[c], bounds);
        if (c == 0)
            drawn.marker = canvas.Any(cell, GetSysColor(COLOR_WINDOWTEXT));
        if (canvas.Share(cell, GetSysColor(COLOR_HIGHLIGHT)) > 0.5)
            drawn.highlighted.push_back(static_cast<int>(c));
    }
    return drawn;
}

} // namespace

GridPicture PictureOf(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    const Canvas canvas(client.right, client.bottom);
    SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()),
                 PRF_CLIENT | PRF_ERASEBKGND);
    GridPicture picture{ColumnSpans(list), {}};
    const int items = ListView_GetItemCount(list);
    const int last =
        std::min(items, ListView_GetTopIndex(list) + ListView_GetCountPerPage(list) + 1);
    for (int row = ListView_GetTopIndex(list); row >= 0 && row < last; ++row) {
        RECT bounds{};
        if (!ListView_GetItemRect(list, row, &bounds, LVIR_BOUNDS) || bounds.top >= client.bottom)
            break;
        picture.rows.push_back(ReadRow(canvas, picture.columns, row, bounds));
    }
    return picture;
}

} // namespace pagora::e2e
