// The grid as a user works it with the keyboard and the mouse: the record
// indicator's marker and the current cell, read from what the grid draws.
#include "Driver.h"
#include "StandIn.h"

#include <gtest/gtest.h>

namespace pagora::e2e {
namespace {

constexpr char kDone[] = "Importazione da Excel eseguita.";
// Number columns, narrow enough for every column to be in view.
const std::string kSheet = "Str:A\tStr:B\tStr:C\n"
                           "I4:1\tI4:2\tI4:3\n"
                           "I4:4\tI4:5\tI4:6\n"
                           "I4:7\tI4:8\tI4:9\n";

GridMarks Marks(Driver& app) {
    return MarksOf(app.DrawnGrid());
}

std::string Copied(Driver& app) {
    app.ClickMenu(" Copia negli appunti ");
    EXPECT_EQ(app.WaitStatus("Dati copiati negli appunti."), "Dati copiati negli appunti.");
    return ClipboardText().value_or("");
}

TEST(Grid, MarkerAndCurrentCellFollowKeysClicksAndCommands) {
    auto app = Driver::Start("pagora.exe");
    {
        StandIn sheet(kSheet);
        app.ClickMenu(" Importa da Excel ");
        ASSERT_EQ(app.WaitStatus(kDone), kDone);
    }
    ASSERT_TRUE(app.Grid().indicator);
    EXPECT_EQ(Marks(app), (GridMarks{{2}, {{2, 1}}})) << "the last record, the first field";

    app.GridKey(VK_UP);
    EXPECT_EQ(Marks(app), (GridMarks{{1}, {{1, 1}}}));
    EXPECT_EQ(app.Grid().focused, 1);
    app.GridKey(VK_RIGHT);
    EXPECT_EQ(Marks(app), (GridMarks{{1}, {{1, 2}}}));
    app.GridKey(VK_TAB);
    EXPECT_EQ(Marks(app), (GridMarks{{1}, {{1, 3}}}));
    for (int i = 0; i < 3; ++i)
        app.GridKey(VK_LEFT);
    EXPECT_EQ(Marks(app), (GridMarks{{1}, {{1, 1}}})) << "Left at the first field stays";

    app.ClickCell(0, 3);
    EXPECT_EQ(Marks(app), (GridMarks{{0}, {{0, 3}}}));
    EXPECT_EQ(app.Grid().focused, 0);
    EXPECT_EQ(app.Grid().selectedColumn, 3) << "the control tells its readers the same";

    // The copy walks the table and leaves it on its last record.
    const std::string fragment = Copied(app);
    EXPECT_EQ(Marks(app), (GridMarks{{2}, {{2, 3}}}));

    // Neither the indicator nor a title dropped in front of it moves a field.
    app.DragTitle(0, 2);
    app.DragTitle(3, 0);
    EXPECT_EQ(app.Grid().columns, (std::vector<std::string>{"A", "B", "C"}));
    const auto headers = [](const std::string& text) {
        return text.substr(text.find("<th"), text.rfind("</th>") - text.find("<th"));
    };
    EXPECT_EQ(headers(Copied(app)), headers(fragment));
}

} // namespace
} // namespace pagora::e2e
