// The window at start, the export through the real save dialog and the copy
// to the real clipboard, as a user meets them.
#include "Driver.h"
#include "StandIn.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace pagora::e2e {
namespace {

constexpr char kExport[] = " Esporta in html ";
constexpr char kCopy[] = " Copia negli appunti ";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A folder of the test's own, emptied of what the test wrote.
struct Folder {
    std::string path;
    std::wstring widePath; // the same folder, for names beyond the code page
    std::vector<std::string> files;
    Folder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        wchar_t wideBase[MAX_PATH];
        GetTempPathW(MAX_PATH, wideBase);
        const std::string own = "pagora-export-" + std::to_string(GetCurrentProcessId()) + "\\";
        path = base + own;
        widePath = wideBase + std::wstring(own.begin(), own.end()); // digits only
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~Folder() {
        for (const auto& file : files)
            DeleteFileA(file.c_str());
        RemoveDirectoryA(path.c_str());
    }
    std::string File(const std::string& name) { return files.emplace_back(path + name); }
};

// The fragment without its time stamp, which differs across a minute.
std::string WithoutStamp(std::string text) {
    const auto start = text.find("<br/><div class=\"value\">");
    const auto end = text.find("</div>", start);
    return start == std::string::npos ? text : text.erase(start, end - start);
}

Driver StartWithPriceList() {
    auto app = Driver::Start("pagora.exe");
    StandIn sheet(SampleSheet("listino.txt"));
    app.ClickMenu(" Importa da Excel ");
    EXPECT_EQ(app.WaitStatus("Importazione da Excel eseguita."), "Importazione da Excel eseguita.");
    return app;
}

TEST(Window, StartsCentredEmptyWithItsFourCommands) {
    auto app = Driver::Start("pagora.exe");
    const WindowInfo window = app.Window();
    EXPECT_EQ(window.caption, "pagora");
    EXPECT_EQ(window.rect.right - window.rect.left, 353);
    EXPECT_EQ(window.rect.bottom - window.rect.top, 274);
    EXPECT_EQ(window.rect.left, (window.desktop.cx - 353) / 2);
    EXPECT_EQ(window.rect.top, (window.desktop.cy - 274) / 2);
    std::vector<std::string> captions;
    for (const auto& item : app.Menu())
        captions.push_back(item.text);
    EXPECT_EQ(captions, (std::vector<std::string>{" &Importa da Excel ", " &Copia negli appunti ",
                                                  " &Esporta in html ", " E&sci "}));
    EXPECT_EQ(app.StatusText(), "");
    EXPECT_EQ(app.Grid().columns.size(), 0u);
    EXPECT_FALSE(app.Grid().indicator) << "the empty grid has no column at all";
    app.ClickMenu(" Esci ");
    EXPECT_TRUE(app.WaitExit());
    EXPECT_EQ(app.ExitCode(), 0u);
}

std::string CopiedFragment(Driver& app) {
    app.ClickMenu(kCopy);
    EXPECT_EQ(app.WaitStatus("Dati copiati negli appunti."), "Dati copiati negli appunti.");
    return ClipboardText().value_or("");
}

TEST(Export, DraggedColumnComesFirstUntilTheNextImport) {
    // Number columns, narrow enough for all three titles to be in view.
    const std::string sheet = "Str:A\tStr:B\tStr:C\nI4:1\tI4:2\tI4:3\n";
    auto app = Driver::Start("pagora.exe");
    {
        StandIn first(sheet);
        app.ClickMenu(" Importa da Excel ");
        ASSERT_EQ(app.WaitStatus("Importazione da Excel eseguita."),
                  "Importazione da Excel eseguita.");
    }
    app.DragTitle(3, 1); // the indicator is column 0
    EXPECT_EQ(app.Grid().columns, (std::vector<std::string>{"C", "A", "B"}));
    const std::string body = "<th class=\"header\">C</th>\r\n<th class=\"header\">A</th>\r\n"
                             "<th class=\"header\">B</th>\r\n<tr><td><span class=\"gen\">3</span>";
    EXPECT_NE(CopiedFragment(app).find(body), std::string::npos);

    StandIn again(sheet);
    app.ClickMenu(" Importa da Excel ");
    ASSERT_EQ(app.WaitStatus("Importazione da Excel eseguita."), "Importazione da Excel eseguita.");
    EXPECT_EQ(app.Grid().columns, (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_NE(
        CopiedFragment(app).find("<th class=\"header\">A</th>\r\n<th class=\"header\">B</th>"),
        std::string::npos);
}

TEST(Export, NothingToSaveOrCopyBeforeAnImport) {
    auto app = Driver::Start("pagora.exe");
    app.ClickMenu(kExport);
    EXPECT_EQ(app.WaitStatus("Nessun dato da salvare."), "Nessun dato da salvare.");
    EXPECT_EQ(app.FindDialog(kSaveDialogTitle, 500ms), nullptr);
    app.ClickMenu(kCopy);
    EXPECT_EQ(app.WaitStatus("Nessun dato da copiare."), "Nessun dato da copiare.");
}

TEST(Export, SavesAndCopiesTheSameFragment) {
    Folder folder;
    auto app = StartWithPriceList();

    app.ClickMenu(kExport);
    ASSERT_NE(app.FindDialog(), nullptr);
    EXPECT_EQ(app.StatusText(), "Preparazione salvataggio html...");
    EXPECT_TRUE(app.SaveDialogCancel());
    EXPECT_EQ(app.WaitStatus("Salvataggio html annullato."), "Salvataggio html annullato.");

    const std::string first = folder.File("listino.html");
    app.ClickMenu(kExport);
    ASSERT_TRUE(app.SaveDialogEnter(first));
    EXPECT_EQ(app.WaitStatus("Salvataggio html eseguito."), "Salvataggio html eseguito.");
    const std::string saved = ReadAll(first);
    EXPECT_EQ(saved.rfind("<tr><td class=\"row1\" width=\"100%\"><span class=\"gen\"><table>\r\n"
                          "<th class=\"header\">Codice</th>\r\n",
                          0),
              0u);
    EXPECT_NE(saved.find("<tr><td><span class=\"gen\">CAF-001</span></td><td><span "
                         "class=\"gen\">Caff\xE8 in grani 1 kg</span></td><td><span "
                         "class=\"gen\">18,9</span></td>"),
              std::string::npos);
    EXPECT_EQ(saved.substr(saved.size() - 19), "</span></td></tr>\r\n");

    app.ClickMenu(kCopy);
    EXPECT_EQ(app.WaitStatus("Dati copiati negli appunti."), "Dati copiati negli appunti.");
    EXPECT_EQ(WithoutStamp(ClipboardText().value_or("")), WithoutStamp(saved));

    // A bare name lands in the folder the dialog opened in: the first file's.
    const std::string second = folder.File("secondo.html");
    app.ClickMenu(kExport);
    ASSERT_TRUE(app.SaveDialogEnter("secondo.html"));
    EXPECT_EQ(app.WaitStatus("Salvataggio html eseguito."), "Salvataggio html eseguito.");
    EXPECT_EQ(WithoutStamp(ReadAll(second)), WithoutStamp(saved));
}

TEST(Export, FileHeldByAnotherProgramIsReportedAndKept) {
    Folder folder;
    const std::string held = folder.File("aperto.html");
    std::ofstream(held, std::ios::binary) << "contenuto di prima";
    UniqueFileHandle other(
        CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other);
    auto app = StartWithPriceList();
    app.ClickMenu(kExport);
    EXPECT_FALSE(app.SaveDialogEnter(held)); // the dialog asks before it takes an existing file
    EXPECT_TRUE(app.CloseMessageBox(kSaveDialogTitle, IDYES));
    EXPECT_EQ(app.WaitStatus([](const std::string& s) { return s.find("fallito") != s.npos; }),
              "Salvataggio html fallito. EInOutError: I/O error 32");
    EXPECT_EQ(app.Window().cursor, Cursor::Arrow);
    other.Reset();
    EXPECT_EQ(ReadAll(held), "contenuto di prima");
    app.ClickMenu(kCopy);
    EXPECT_EQ(app.WaitStatus("Dati copiati negli appunti."), "Dati copiati negli appunti.");
}

// "Caffā.html" (ā is not in code page 1252) beside "Caffa.html": the wide
// dialog asks no replace question, since no such file exists, and the export
// refuses the name instead of writing the look-alike. "Caffè.html" is saved.
TEST(Export, NameBeyondTheCodePageIsRefusedAndTheLookAlikeKept) {
    Folder folder;
    const std::string lookAlike = folder.File("Caffa.html");
    std::ofstream(lookAlike, std::ios::binary) << "contenuto di prima";
    const std::wstring typed = folder.widePath + L"Caff\u0101.html";
    auto app = StartWithPriceList();
    app.ClickMenu(kExport);
    ASSERT_TRUE(app.SaveDialogEnter(typed));
    EXPECT_EQ(app.WaitStatus([](const std::string& s) { return s.find("fallito") != s.npos; }),
              "Salvataggio html fallito. EInOutError: I/O error 123");
    EXPECT_EQ(app.Window().cursor, Cursor::Arrow);
    EXPECT_EQ(ReadAll(lookAlike), "contenuto di prima");
    EXPECT_EQ(GetFileAttributesW(typed.c_str()), INVALID_FILE_ATTRIBUTES);

    const std::string held = folder.File("Caff\xE8.html");
    app.ClickMenu(kExport);
    ASSERT_TRUE(app.SaveDialogEnter(folder.widePath + L"Caff\u00E8.html"));
    EXPECT_EQ(app.WaitStatus("Salvataggio html eseguito."), "Salvataggio html eseguito.");
    EXPECT_EQ(WithoutStamp(ReadAll(held)), WithoutStamp(CopiedFragment(app)));
    EXPECT_EQ(ReadAll(lookAlike), "contenuto di prima");
}

// Under a UTF-8 code page (LANG=hi_IN.UTF-8) characters of two, three and
// four bytes, in the column names too, reach the grid, the clipboard and the
// file whole; a file name in such characters is saved.
TEST(Utf8CodePage, ImportCopyAndExportKeepEveryCharacter) {
    if (GetACP() != CP_UTF8)
        GTEST_SKIP() << "needs the UTF-8 code page (LANG=hi_IN.UTF-8)";
    Folder folder;
    auto app = Driver::Start("pagora.exe");
    {
        StandIn sheet("Str:€\tStr:कीमत\tStr:😀\tStr:Disponibile\n"
                      "Str:Caffè\tStr:मूल्य ₹\tStr:😀 ok\tBool:true\n");
        app.ClickMenu(" Importa da Excel ");
        ASSERT_EQ(app.WaitStatus("Importazione da Excel eseguita."),
                  "Importazione da Excel eseguita.");
    }
    const GridView grid = app.Grid();
    EXPECT_EQ(grid.columns, (std::vector<std::string>{"€", "कीमत", "😀", "Disponibile"}));
    ASSERT_EQ(grid.rows.size(), 1u);
    EXPECT_EQ(grid.rows[0], (std::vector<std::string>{"Caffè", "मूल्य ₹", "😀 ok", "True"}));

    const std::string copied = CopiedFragment(app);
    EXPECT_NE(copied.find("<th class=\"header\">€</th>\r\n<th class=\"header\">कीमत</th>\r\n"
                          "<th class=\"header\">😀</th>\r\n"),
              std::string::npos);
    EXPECT_NE(copied.find("<tr><td><span class=\"gen\">Caffè</span></td><td><span "
                          "class=\"gen\">मूल्य ₹</span></td><td><span class=\"gen\">😀 ok</span>"),
              std::string::npos);

    const std::string file = folder.File("मूल्य.html");
    app.ClickMenu(kExport);
    ASSERT_TRUE(app.SaveDialogEnter(file));
    EXPECT_EQ(app.WaitStatus("Salvataggio html eseguito."), "Salvataggio html eseguito.");
    EXPECT_EQ(WithoutStamp(ReadAll(file)), WithoutStamp(copied));
}

} // namespace
} // namespace pagora::e2e
