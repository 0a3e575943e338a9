#include "BenchTools.h"
#include "Clipboard.h"
#include "HtmlFragment.h"
#include "Measurements.h"
#include "StringList.h"
#include "TempFolder.h"
#include "TextFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace pagora::bench {

namespace {

// A file opened as the export opens its file; closed however the writing ends.
class OutputFile {
public:
    explicit OutputFile(const std::string& name)
        : handle_(CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (!handle_)
            RaiseInOutError(static_cast<int>(GetLastError()));
    }

    void Write(const char* bytes, std::size_t count) {
        DWORD written = 0;
        if (!WriteFile(handle_.Get(), bytes, static_cast<DWORD>(count), &written, nullptr))
            RaiseInOutError(static_cast<int>(GetLastError()));
    }

private:
    UniqueFileHandle handle_;
};

// The export's whole work, from opening the file to closing it.
double ExportOnce(TClientDataSet& table, const BenchContext& context, TStringList& lines,
                  const std::string& name) {
    TTextFile file;
    file.Bind(name);
    return Seconds([&] {
        file.Create();
        BuildHtml(table, lines, context.Clock, context.Settings);
        for (std::size_t i = 0; i < lines.Count(); ++i)
            file.WriteLine(lines[i]);
        file.Close();
    });
}

double WriteInBlocks(const std::string& text, const std::string& name) {
    return Seconds([&] {
        OutputFile file(name);
        for (std::size_t at = 0; at < text.size(); at += TTextFile::kBufferSize)
            file.Write(text.data() + at, std::min(TTextFile::kBufferSize, text.size() - at));
    });
}

// The lines' bytes, each followed by CR LF, copied into one block.
double JoinByCopy(const TStringList& lines) {
    std::unique_ptr<char[]> block;
    return Seconds([&] {
        std::size_t total = 0;
        for (std::size_t i = 0; i < lines.Count(); ++i)
            total += lines[i].size() + 2;
        block.reset(new char[total]);
        char* at = block.get();
        for (std::size_t i = 0; i < lines.Count(); ++i) {
            at = static_cast<char*>(std::memcpy(at, lines[i].data(), lines[i].size())) +
                 lines[i].size();
            *at++ = '\r';
            *at++ = '\n';
        }
    });
}

// Gives the clipboard's memory back: the measured text is no one's to keep.
void EmptyTheClipboard(HWND owner) {
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

} // namespace

void MeasureExport(TClientDataSet& table, const BenchContext& context, const SheetSize& size,
                   TempFolder& folder) {
    const std::string name = folder.File("export.html");
    Timing timing;
    std::string text;
    {
        TStringList lines; // reused from run to run, as the window reuses its list
        timing.Seconds = BestOf(size.Runs, [&] { return ExportOnce(table, context, lines, name); });
        text = lines.Text();
    }
    timing.BaselineSeconds = BestOf(size.Runs, [&] { return WriteInBlocks(text, name); });
    char note[48];
    std::snprintf(note, sizeof note, "fragment %.1f MB", Megabytes(text.size()));
    PrintRate("export", size.Label, Megabytes(text.size()), "MB/s", timing, note);
}

void MeasureCopy(TClientDataSet& table, const BenchContext& context, const SheetSize& size) {
    TStringList lines;
    std::size_t bytes = 0;
    Timing timing;
    timing.Seconds = BestOf(size.Runs, [&] {
        std::string text; // freed after the timing, as the command frees it after the clipboard
        const double seconds = Seconds([&] {
            BuildHtml(table, lines, context.Clock, context.Settings);
            text = lines.Text();
        });
        bytes = text.size();
        return seconds;
    });
    timing.BaselineSeconds = BestOf(size.Runs, [&] { return JoinByCopy(lines); });
    PrintRate("copy", size.Label, Megabytes(bytes), "MB/s", timing);
}

void MeasureClipboard(TClientDataSet& table, const BenchContext& context, const SheetSize& size,
                      HWND owner) {
    std::string text;
    {
        TStringList lines;
        BuildHtml(table, lines, context.Clock, context.Settings);
        text = lines.Text();
    }
    TClipboard clipboard;
    const double seconds = Seconds([&] { clipboard.SetPlainText(owner, text); });
    EmptyTheClipboard(owner);
    PrintSingleRate("clipboard", size.Label, Megabytes(text.size()), "MB/s", seconds,
                    "SetPlainText alone, one run");
}

} // namespace pagora::bench
