// The stand-in spreadsheet application as the end-to-end tests run it: one
// process serving one sheet, with its call log, stopped when the object goes.
#pragma once

#include "Handles.h"
#include "Harness.h"

#include <string>
#include <vector>

namespace pagora::e2e {

class StandIn {
public:
    // sheet: the sheet file's text (UTF-8, one row a line, TAB between
    // cells, each cell Kind:value); options: further command-line options.
    explicit StandIn(const std::string& sheet, const std::string& options = "");
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    // The calls received so far, one entry a line.
    std::vector<std::string> Log() const;
    // Ends the process at once, as a crash of the application would.
    void Kill();

private:
    std::string folder_, sheetPath_, logPath_;
    UniqueHandle process_;
    UniqueHandle quit_;
};

// A sample sheet of the repository, by file name.
std::string SampleSheet(const std::string& name);

} // namespace pagora::e2e
