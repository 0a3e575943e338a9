// The export and copy commands run in-process on the real window, with the
// real file system and fakes for the dialog, the clipboard and the cursor;
// the import's connection failure against a desktop without the spreadsheet
// application.
#include "FrameFakes.h"
#include "GridFill.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace pagora {
namespace {

enum : UINT { cmImporta = 1, cmCopia, cmEsporta }; // the menu's command ids

struct CommandHarness : WindowHarness {
    void Click(UINT command) { SendMessageA(Handle(), WM_COMMAND, command, 0); }
    std::string Status() { return TfExpoTestAccess::Status(*form).SimpleText(); }
    void FillPriceList() {
        FillTable(Table(), {{"Codice", TFieldType::ftString}, {"Qta", TFieldType::ftInteger}},
                  {{"A<1>&\"x\"", "3"}, {"riga\ndue", ""}, {"A<1>&\"x\"", "3"}});
    }
};

const std::vector<std::string> kPriceListFragment = {
    R"(<tr><td class="row1" width="100%"><span class="gen"><table>)",
    R"(<th class="header">Codice</th>)",
    R"(<th class="header">Qta</th>)",
    R"(<tr><td><span class="gen">A<1>&"x"</span></td><td><span class="gen">3</span></td></tr>)",
    "<tr><td><span class=\"gen\">riga\ndue</span></td><td><span class=\"gen\"></span></td></tr>",
    R"(<tr><td><span class="gen">A<1>&"x"</span></td><td><span class="gen">3</span></td></tr>)",
    "</table>",
    R"(<br/><div class="value">15/03/2026 10:30</div>)",
    "</span></td></tr>",
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

TEST(Commands, ClosedTableHasNothingToSaveOrCopy) {
    CommandHarness w;
    w.dialog.fileName = "C:\\never.html";
    w.Click(cmEsporta);
    EXPECT_EQ(w.Status(), "Nessun dato da salvare.");
    w.Click(cmCopia);
    EXPECT_EQ(w.Status(), "Nessun dato da copiare.");
    EXPECT_EQ(w.dialog.executed, 0);
    EXPECT_TRUE(w.cursor.calls.empty());
    EXPECT_EQ(w.clipboard.text, "");
}

TEST(Commands, ExportAndCopyGiveTheSameBytes) {
    CommandHarness w;
    TempFolder folder("commands");
    TfExpoTestAccess::MutableSettings(*w.form).DateSeparator = '/';
    TfExpoTestAccess::MutableSettings(*w.form).TimeSeparator = ':';
    w.FillPriceList();
    w.dialog.fileName = folder.File("listino.html");

    w.Click(cmEsporta);
    EXPECT_EQ(w.Status(), "Salvataggio html eseguito.");
    EXPECT_EQ(w.dialog.initialDir, "");
    EXPECT_EQ(ReadAll(w.dialog.fileName), Joined(kPriceListFragment));

    w.Click(cmCopia);
    EXPECT_EQ(w.Status(), "Dati copiati negli appunti.");
    EXPECT_EQ(w.clipboard.text, ReadAll(w.dialog.fileName));
    EXPECT_EQ(w.cursor.calls,
              (std::vector<std::string>{"hourglass", "default", "hourglass", "default"}));

    // The second dialog opens in the folder of the first file.
    w.Click(cmEsporta);
    EXPECT_EQ(w.dialog.initialDir, folder.Path());
}

TEST(Commands, CancelledDialogChangesNothing) {
    CommandHarness w;
    w.FillPriceList();
    w.Click(cmEsporta);
    EXPECT_EQ(w.Status(), "Salvataggio html annullato.");
    EXPECT_EQ(w.dialog.executed, 1);
    EXPECT_TRUE(w.cursor.calls.empty());
    w.Click(cmEsporta);
    EXPECT_EQ(w.dialog.initialDir, ""); // nothing was remembered
}

TEST(Commands, ExportFailureIsReportedAndTheFolderRemembered) {
    CommandHarness w;
    TempFolder folder("commands");
    w.FillPriceList();
    const struct {
        std::string file, status;
    } cases[] = {
        {folder.Path().substr(0, folder.Path().size() - 1),
         "Salvataggio html fallito. EInOutError: File access denied"},
        {folder.Path() + "missing\\out.html",
         "Salvataggio html fallito. EInOutError: Invalid filename"},
    };
    for (const auto& c : cases) {
        w.cursor.calls.clear();
        w.dialog.fileName = c.file;
        w.Click(cmEsporta);
        EXPECT_EQ(w.Status(), c.status);
        EXPECT_EQ(w.cursor.calls, (std::vector<std::string>{"hourglass", "default"}));
        w.Click(cmCopia); // any later command works as before
        EXPECT_EQ(w.Status(), "Dati copiati negli appunti.");
    }
    // The next dialog opens where the last confirmed name pointed.
    w.dialog.fileName.clear();
    w.Click(cmEsporta);
    EXPECT_EQ(w.dialog.initialDir, folder.Path() + "missing\\");
}

// A name with a character the code page lacks is refused as the system
// refuses a name, never saved under a look-alike; a dialog that fails is
// reported as a failure, not as a cancel.
TEST(Commands, ExportRefusesANameBeyondTheCodePageAndReportsAFailingDialog) {
    CommandHarness w;
    TempFolder folder("commands");
    w.FillPriceList();
    const std::string lookAlike = folder.File("Caffa.html");
    std::ofstream(lookAlike, std::ios::binary) << "prima";
    // UTF-8 lacks only half a surrogate pair; code page 1252 lacks ā.
    const std::wstring lacking = GetACP() == CP_UTF8 ? std::wstring(1, wchar_t(0xD800)) : L"\u0101";
    w.dialog.typedName = AnsiToWide(folder.Path()) + L"Caff" + lacking + L".html";
    w.Click(cmEsporta);
    EXPECT_EQ(w.Status(), "Salvataggio html fallito. EInOutError: I/O error 123");
    EXPECT_EQ(w.cursor.calls, (std::vector<std::string>{"hourglass", "default"}));
    EXPECT_EQ(ReadAll(lookAlike), "prima");
    EXPECT_EQ(GetFileAttributesW(w.dialog.typedName.c_str()), INVALID_FILE_ATTRIBUTES);

    w.cursor.calls.clear();
    w.dialog.fail = true;
    w.Click(cmEsporta);
    EXPECT_EQ(w.dialog.initialDir, folder.Path()) << "the folder of the refused name";
    EXPECT_EQ(w.Status(), "Salvataggio html fallito. Exception: The save dialog failed "
                          "(dialog error 0x3003)");
    EXPECT_TRUE(w.cursor.calls.empty());
}

TEST(Commands, RefusedClipboardKeepsTheBuiltLines) {
    CommandHarness w;
    w.FillPriceList();
    w.clipboard.text = "earlier";
    w.clipboard.refuse = true;
    w.Click(cmCopia);
    EXPECT_EQ(w.Status(), "Copia negli appunti fallita. Exception: Cannot open clipboard");
    EXPECT_EQ(w.clipboard.text, "earlier");
    EXPECT_EQ(w.cursor.calls, (std::vector<std::string>{"hourglass", "default"}));
    EXPECT_EQ(TfExpoTestAccess::HtmlLines(*w.form)->Count(), kPriceListFragment.size());
}

// Nothing registers the spreadsheet application while these tests run.
TEST(Commands, ImportWithoutTheApplicationReportsTheConnection) {
    CommandHarness w;
    w.FillPriceList();
    w.Click(cmImporta);
    EXPECT_EQ(w.Status().rfind("Importazione da Excel fallita. EOleSysError: ", 0), 0u)
        << w.Status();
    EXPECT_TRUE(w.cursor.calls.empty());
    EXPECT_TRUE(w.box.shown.empty());
    EXPECT_EQ(w.Table().RecordCount(), 3u); // the previous table stays
}

} // namespace
} // namespace pagora
