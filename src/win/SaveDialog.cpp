#include "SaveDialog.h"

#include "Exceptions.h"
#include "OleUtil.h"

#include <cderr.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace pagora {

namespace {

std::wstring SystemFilter(std::wstring_view filter) {
    std::wstring result(filter);
    std::replace(result.begin(), result.end(), L'|', L'\0');
    result.append(2, L'\0');
    return result;
}

const char* DialogErrorReason(DWORD code) {
    switch (code) {
    case FNERR_BUFFERTOOSMALL:
        return ": the file name is too long";
    case FNERR_INVALIDFILENAME:
        return ": the file name is not valid";
    case CDERR_MEMALLOCFAILURE:
        return ": not enough memory";
    default:
        return "";
    }
}

// The dialog itself failed, which is no choice of the user's: the export
// must not take it for a cancel.
[[noreturn]] void RaiseDialogError(DWORD code) {
    char text[96];
    std::snprintf(text, sizeof text, "The save dialog failed (dialog error 0x%04lX%s)",
                  static_cast<unsigned long>(code), DialogErrorReason(code));
    throw Exception(text);
}

} // namespace

TSaveDialog::TSaveDialog(SaveDialogCalls calls)
    : calls_(std::move(calls)), filter_(SystemFilter(save_dialog::kFilter)) {}

bool TSaveDialog::Execute(HWND owner) {
    std::array<wchar_t, MAX_PATH> file{};
    fileName_.copy(file.data(), file.size() - 1);
    const std::wstring initialDir = AnsiToWide(initialDir_);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter_.c_str();
    ofn.nFilterIndex = filterIndex_;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = save_dialog::kTitle;
    ofn.lpstrDefExt = save_dialog::kDefaultExt;
    ofn.Flags = save_dialog::kOptions;
    if (!calls_.Show(ofn)) {
        if (const DWORD error = calls_.ExtendedError())
            RaiseDialogError(error);
        return false;
    }
    fileName_ = file.data();
    filterIndex_ = ofn.nFilterIndex;
    return true;
}

} // namespace pagora
