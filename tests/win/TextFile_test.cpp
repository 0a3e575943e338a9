#include "TextFile.h"

#include "StringList.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace pagora {
namespace {

void WriteAll(TTextFile& file, const TStringList& lines) {
    for (std::size_t i = 0; i < lines.Count(); ++i)
        file.WriteLine(lines[i]);
}

// A folder that the test script prepared (see with-file-fixtures.sh), as a
// Windows path with a trailing separator; empty when the test runs without it.
std::string FixtureFolder(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? std::string(value) + '\\' : std::string();
}

TEST(TextFile, WritesTheListTextByteForByte) {
    TempFolder folder;
    TStringList lines;
    lines.Add("<tr>");
    lines.Add("");
    lines.Add("bare\nfeed and \xe8 stay as they are");
    lines.Add(std::string(300, 'x'));
    lines.Add(std::string(126, 'y')); // with CR LF it ends exactly on a block
    const std::string name = folder.File("out.html");
    TTextFile file;
    file.Bind(name);
    file.Create();
    EXPECT_TRUE(file.IsOpen());
    WriteAll(file, lines);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    const std::string text = ReadAll(name);
    EXPECT_EQ(text, lines.Text());
    std::size_t entryBytes = 0;
    for (std::size_t i = 0; i < lines.Count(); ++i)
        entryBytes += lines[i].size();
    EXPECT_EQ(text.size(), entryBytes + 2 * lines.Count());
}

TEST(TextFile, CreateCutsAnExistingFileToZero) {
    TempFolder folder;
    const std::string name = folder.File("again.html");
    TTextFile file;
    for (const char* line : {"a much longer first text", "short"}) {
        file.Bind(name);
        file.Create();
        file.WriteLine(line);
        file.Close();
    }
    EXPECT_EQ(ReadAll(name), "short\r\n");
}

// Only whole blocks of 128 bytes reach the file before the close.
TEST(TextFile, WritesInBlocksOf128Bytes) {
    TempFolder folder;
    const std::string name = folder.File("blocks.html");
    TTextFile file;
    file.Bind(name);
    file.Create();
    file.WriteLine(std::string(200, 'b'));
    EXPECT_EQ(ReadAll(name).size(), 128u); // others may read it meanwhile, not write it
    const UniqueFileHandle writer(CreateFileA(name.c_str(), GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    file.WriteLine(std::string(54, 'c'));
    EXPECT_EQ(ReadAll(name).size(), 256u);
    file.Close();
    EXPECT_EQ(ReadAll(name).size(), 258u);
}

void ExpectCreateFails(const std::string& name, int code, const char* message) {
    SCOPED_TRACE(name);
    TTextFile file;
    file.Bind(name);
    try {
        file.Create();
        ADD_FAILURE() << "created";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, code);
        EXPECT_EQ(e.Message(), message);
        EXPECT_STREQ(e.ClassName(), "EInOutError");
    }
    EXPECT_FALSE(file.IsOpen());
}

TEST(TextFile, CreateFailuresCarryTheSystemCode) {
    TempFolder folder;
    ExpectCreateFails(folder.Path() + "missing\\out.html", 3, "Invalid filename");
    ExpectCreateFails(folder.Path().substr(0, folder.Path().size() - 1), 5, "File access denied");

    const std::string held = folder.File("held.html");
    const UniqueFileHandle other(
        CreateFileA(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(other);
    ExpectCreateFails(held, 32, "I/O error 32");
}

TEST(TextFile, ImmutableFolderIsAccessDenied) {
    const std::string folder = FixtureFolder("PAGORA_TEST_LOCKED_DIR");
    if (folder.empty())
        GTEST_SKIP() << "needs tests/win/with-file-fixtures.sh";
    ExpectCreateFails(folder + "out.html", 5, "File access denied");
}

TEST(TextFile, MessagesOfTheCodes) {
    const std::pair<int, const char*> cases[] = {
        {2, "File not found"},
        {3, "Invalid filename"},
        {4, "Too many open files"},
        {5, "File access denied"},
        {100, "Read beyond end of file"},
        {101, "Disk full"},
        {106, "Invalid numeric input"},
        {112, "I/O error 112"},
        {0, "I/O error 0"},
    };
    for (const auto& [code, message] : cases)
        EXPECT_EQ(InOutErrorMessage(code), message);
}

// A full disk is reported at the line that could not be written out, the
// file keeps the leading part of the text and is released all the same.
TEST(TextFile, FullDiskKeepsALeadingPartAndReleasesTheFile) {
    const std::string folder = FixtureFolder("PAGORA_TEST_SMALL_DIR");
    if (folder.empty())
        GTEST_SKIP() << "needs tests/win/with-file-fixtures.sh";
    const std::string name = folder + "full.html";
    TStringList lines;
    for (int i = 0; i < 4000; ++i)
        lines.Add("<tr><td>" + std::to_string(i) + std::string(40, '-') + "</td></tr>");
    TTextFile file;
    file.Bind(name);
    file.Create();
    try {
        WriteAll(file, lines);
        file.Close();
        ADD_FAILURE() << "the whole text fitted";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 112);
        EXPECT_EQ(e.Message(), "I/O error 112");
    }
    EXPECT_THROW(file.Close(), EInOutError); // the rest still does not fit
    EXPECT_FALSE(file.IsOpen());
    const std::string kept = ReadAll(name);
    EXPECT_GT(kept.size(), 0u);
    EXPECT_LT(kept.size(), lines.Text().size());
    EXPECT_EQ(kept, lines.Text().substr(0, kept.size()));
    EXPECT_TRUE(DeleteFileA(name.c_str())) << GetLastError();
}

} // namespace
} // namespace pagora
