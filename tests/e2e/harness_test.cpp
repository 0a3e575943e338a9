// The harness proved against fake_target.exe, which has the same kinds of
// windows as pagora: if these pass, a failing pagora_*_test is about pagora.
#include "Driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace pagora::e2e {
namespace {

using ::testing::ElementsAre;

constexpr char kFake[] = "fake_target.exe";
constexpr char kImported[] = "Importazione da Excel eseguita.";

std::string TempPath(const std::string& name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return folder + std::to_string(GetCurrentProcessId()) + "_" + name;
}

std::optional<std::string> FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class Harness : public ::testing::Test {
protected:
    Driver app = Driver::Start(kFake);
};

TEST_F(Harness, ReadsTheMenuBarTheStatusLineAndTheWindow) {
    std::vector<MenuItem> menu = app.Menu();
    ASSERT_EQ(menu.size(), 4u);
    EXPECT_EQ(menu[0].text, " &Importa da Excel ");
    EXPECT_EQ(menu[1].text, " &Copia negli appunti ");
    EXPECT_EQ(menu[2].text, " &Esporta in html ");
    EXPECT_EQ(menu[3].text, " E&sci ");
    EXPECT_EQ(menu[0].id, 101);
    EXPECT_EQ(menu[3].id, 104);
    EXPECT_TRUE(std::all_of(menu.begin(), menu.end(), [](auto& item) { return item.enabled; }));

    EXPECT_EQ(app.StatusText(), "Pronto");

    WindowInfo window = app.Window();
    EXPECT_EQ(window.caption, "pagora fake");
    EXPECT_EQ(window.rect.right - window.rect.left, 640);
    EXPECT_EQ(window.rect.bottom - window.rect.top, 480);
    EXPECT_GT(window.desktop.cx, 0);
    EXPECT_GT(window.desktop.cy, 0);
    EXPECT_NE(window.cursor, Cursor::Wait);
}

TEST_F(Harness, WaitsThroughABusyCommandAndReadsTheGrid) {
    GridView empty = app.Grid();
    EXPECT_THAT(empty.columns, ElementsAre("Nome", "Codice", "Importo"));
    EXPECT_EQ(empty.itemCount, 0);
    EXPECT_EQ(empty.focused, -1);

    app.ClickMenu(" Importa da Excel "); // the caption without its & mark
    EXPECT_EQ(app.WaitStatus(kImported), kImported);
    EXPECT_EQ(app.Window().cursor, Cursor::Wait);

    GridView grid = app.Grid();
    EXPECT_EQ(grid.itemCount, 3);
    EXPECT_EQ(grid.focused, 1);
    ASSERT_EQ(grid.rows.size(), 3u);
    EXPECT_THAT(grid.rows[0], ElementsAre("Rossi & figli", "1", "10,50"));
    EXPECT_THAT(grid.rows[1], ElementsAre("riga\tcon tab\ne a capo", "2", "C:\\dati"));
    EXPECT_THAT(grid.rows[2], ElementsAre("", "3", "-7"));

    GridView some = app.Grid({2, 0});
    ASSERT_EQ(some.rows.size(), 2u);
    EXPECT_EQ(some.rows[0][1], "3");
    EXPECT_EQ(some.rows[1][1], "1");
    EXPECT_THROW(app.Grid({3}), DriverError);
}

TEST_F(Harness, WaitStatusGivesUpWithTheLastTextSeen) {
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(app.WaitStatus("never", 300ms), "Pronto");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_EQ(app.WaitStatus([](const std::string& text) { return text.size() == 6; }), "Pronto");
}

TEST_F(Harness, RefusesMenuItemsThatDoNotExist) {
    EXPECT_THROW(app.ClickMenu("Importa"), DriverError);
    EXPECT_THROW(app.ClickMenu(4), DriverError);
    EXPECT_THROW(app.ClickMenu(-1), DriverError);
    EXPECT_EQ(app.StatusText(), "Pronto");
}

TEST_F(Harness, EntersAPathIntoTheSaveDialog) {
    std::string path = TempPath("harness.html");
    DeleteFileA(path.c_str());
    app.ClickMenu(2);
    ASSERT_NE(app.FindDialog(), nullptr);
    EXPECT_TRUE(app.SaveDialogEnter(path));
    EXPECT_EQ(app.WaitStatus("Esportato in " + path), "Esportato in " + path);
    EXPECT_EQ(FileText(path), "<table></table>");
    EXPECT_EQ(app.FindDialog(kSaveDialogTitle, 0ms), nullptr);

    // The same path again: the dialog asks before replacing the file.
    app.ClickMenu(2);
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(app.SaveDialogEnter(path));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    // Wine's wording follows the user's language; that it is the prompt and
    // not the disabled dialog behind it is what matters here.
    std::optional<std::string> question = app.FindMessageBox(kSaveDialogTitle);
    ASSERT_TRUE(question);
    EXPECT_NE(*question, "");
    EXPECT_TRUE(app.CloseMessageBox(kSaveDialogTitle, IDYES));
    EXPECT_EQ(app.WaitStatus("Esportato in " + path), "Esportato in " + path);
    DeleteFileA(path.c_str());
}

TEST_F(Harness, CancelsTheSaveDialog) {
    EXPECT_FALSE(app.SaveDialogCancel(kSaveDialogTitle, 200ms)); // none open yet
    app.ClickMenu(" &Esporta in html ");
    EXPECT_TRUE(app.SaveDialogCancel());
    EXPECT_EQ(app.WaitStatus("Esportazione annullata."), "Esportazione annullata.");
}

TEST_F(Harness, ReadsAndClosesAMessageBoxAndStillProbesMeanwhile) {
    app.ClickMenu(" Copia negli appunti ");
    EXPECT_EQ(app.FindMessageBox(), "Nessun dato da copiare.");
    // The message box runs its own loop on the program's thread; the probe
    // must answer from inside it.
    EXPECT_EQ(app.StatusText(), "Pronto");
    EXPECT_THROW(app.ClickMenu(0), DriverError); // the box disables the window
    EXPECT_TRUE(app.CloseMessageBox());
    EXPECT_EQ(app.FindMessageBox(kMessageBoxCaption, 0ms), std::nullopt);
    EXPECT_FALSE(app.CloseMessageBox(kMessageBoxCaption, IDOK, 0ms));
}

TEST_F(Harness, ReadsTheClipboardAnotherProgramFilled) {
    app.ClickMenu(0);
    app.WaitStatus(kImported);
    ClearClipboard();
    EXPECT_EQ(ClipboardText(), std::nullopt);
    app.ClickMenu(1);
    EXPECT_EQ(app.WaitStatus("Copiato negli appunti."), "Copiato negli appunti.");
    EXPECT_EQ(ClipboardText(), "Codice\tNome\tImporto\r\n1\tRossi & figli\t10,50\r\n");
    std::vector<UINT> formats = ClipboardFormats();
    EXPECT_NE(std::find(formats.begin(), formats.end(), CF_TEXT), formats.end());
    EXPECT_EQ(app.Window().cursor, Cursor::Arrow);
}

TEST_F(Harness, EndsTheProgramThroughItsMenuAClosingOrAKill) {
    app.ClickMenu(" Esci ");
    EXPECT_TRUE(app.WaitExit());
    EXPECT_EQ(app.ExitCode(), 0u);
    EXPECT_THROW(app.StatusText(), DriverError);

    Driver closed = Driver::Start(kFake);
    EXPECT_EQ(closed.ExitCode(), std::nullopt);
    EXPECT_TRUE(closed.Close());
    EXPECT_EQ(closed.ExitCode(), 0u);

    Driver killed = Driver::Start(kFake);
    killed.Kill();
    EXPECT_EQ(killed.ExitCode(), 1u);
}

TEST(HarnessStart, DrivesTwoProgramsAtOnceWithoutMixingThem) {
    Driver first = Driver::Start(kFake);
    Driver second = Driver::Start(kFake, {.mainCaption = "pagora fake"});
    ASSERT_NE(first.ProcessId(), second.ProcessId());
    first.ClickMenu(0);
    EXPECT_EQ(first.WaitStatus(kImported), kImported);
    EXPECT_EQ(second.StatusText(), "Pronto");
    EXPECT_EQ(second.Grid().itemCount, 0);
}

TEST(HarnessStart, ReportsAProgramThatCannotStartOrShowsNoWindow) {
    EXPECT_THROW(Driver::Start("no_such_program.exe"), DriverError);
    EXPECT_THROW(Driver::Start(kFake, {.mainCaption = "another caption", .timeout = 1s}),
                 DriverError);
}

} // namespace
} // namespace pagora::e2e
