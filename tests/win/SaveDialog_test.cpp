// The save dialog's own logic, with the system's dialog replaced through its
// seam: what it asks the system for, what it keeps, and a failing dialog told
// apart from a cancel. (Wine's real dialog crashes on an overlong name.)
#include "SaveDialog.h"

#include "Exceptions.h"

#include <cderr.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pagora {
namespace {

// What the dialog was given when it opened.
struct Shown {
    std::wstring title, defaultExt, initialDir, file, firstFilter;
    DWORD filterIndex, flags;
};

struct FakeSystem {
    std::vector<Shown> shown;
    BOOL answer = TRUE;
    std::wstring typed;    // written into the file buffer when confirmed
    DWORD typedFilter = 2; // the filter the user picks
    DWORD error = 0;

    SaveDialogCalls Calls() {
        return {[this](OPENFILENAMEW& ofn) {
                    shown.push_back({ofn.lpstrTitle, ofn.lpstrDefExt,
                                     ofn.lpstrInitialDir ? ofn.lpstrInitialDir : L"(none)",
                                     ofn.lpstrFile, ofn.lpstrFilter, ofn.nFilterIndex, ofn.Flags});
                    if (answer) {
                        typed.copy(ofn.lpstrFile, ofn.nMaxFile - 1);
                        ofn.lpstrFile[typed.size()] = L'\0';
                        ofn.nFilterIndex = typedFilter;
                    }
                    return answer;
                },
                [this] { return error; }};
    }
};

TEST(SaveDialog, ShowsItsSettingsAndKeepsTheNameAsTyped) {
    FakeSystem system;
    TSaveDialog dialog(system.Calls());
    system.typed = L"C:\\Dati\\Caff\u0101.html"; // a name beyond code page 1252
    ASSERT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.FileName(), system.typed);

    dialog.SetInitialDir("C:\\Dati\\");
    system.answer = FALSE; // cancelled: nothing changes
    EXPECT_FALSE(dialog.Execute(nullptr));
    EXPECT_EQ(dialog.FileName(), system.typed);

    ASSERT_EQ(system.shown.size(), 2u);
    const Shown& first = system.shown[0];
    EXPECT_EQ(first.title, L"Salva html");
    EXPECT_EQ(first.defaultExt, L"html");
    EXPECT_EQ(first.firstFilter, L"Documento web (*.html)");
    EXPECT_EQ(first.flags, save_dialog::kOptions);
    EXPECT_EQ(first.initialDir, L"(none)");
    EXPECT_EQ(first.file, L"");
    EXPECT_EQ(first.filterIndex, 1u);
    // The next dialog starts with the name and the filter chosen last.
    const Shown& second = system.shown[1];
    EXPECT_EQ(second.initialDir, L"C:\\Dati\\");
    EXPECT_EQ(second.file, system.typed);
    EXPECT_EQ(second.filterIndex, 2u);
}

TEST(SaveDialog, AFailingDialogIsNoCancel) {
    FakeSystem system;
    TSaveDialog dialog(system.Calls());
    system.answer = FALSE;
    system.error = FNERR_BUFFERTOOSMALL;
    try {
        dialog.Execute(nullptr);
        ADD_FAILURE() << "a failing dialog must raise";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.ClassName(), "Exception");
        EXPECT_EQ(e.Message(),
                  "The save dialog failed (dialog error 0x3003: the file name is too long)");
    }
    system.error = CDERR_INITIALIZATION;
    EXPECT_THROW(dialog.Execute(nullptr), Exception);
    EXPECT_EQ(dialog.FileName(), L"");
}

} // namespace
} // namespace pagora
