#include "SaveDialog.h"

#include <algorithm>
#include <array>

namespace pagora {

namespace {

std::string SystemFilter(std::string_view filter) {
    std::string result(filter);
    std::replace(result.begin(), result.end(), '|', '\0');
    result.append(2, '\0');
    return result;
}

} // namespace

TSaveDialog::TSaveDialog() : filter_(SystemFilter(save_dialog::kFilter)) {}

bool TSaveDialog::Execute(HWND owner) {
    std::array<char, MAX_PATH> file{};
    fileName_.copy(file.data(), file.size() - 1);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter_.c_str();
    ofn.nFilterIndex = filterIndex_;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
    ofn.lpstrTitle = save_dialog::kTitle;
    ofn.lpstrDefExt = save_dialog::kDefaultExt;
    ofn.Flags = save_dialog::kOptions;
    if (!GetSaveFileNameA(&ofn))
        return false;
    fileName_ = file.data();
    filterIndex_ = ofn.nFilterIndex;
    return true;
}

} // namespace pagora
