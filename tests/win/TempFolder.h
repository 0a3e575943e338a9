// A fresh folder under the temporary folder for tests that write real files,
// and reading a file back whole.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pagora {

// A fresh folder under the temporary folder, removed with what it holds.
class TempFolder {
public:
    explicit TempFolder(const std::string& tag = "textfile") {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "pagora-test-" + tag + "-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
        path_ += '\\';
    }
    ~TempFolder() {
        for (const std::string& name : created_)
            DeleteFileA(name.c_str());
        RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string File(const std::string& name) {
        created_.push_back(path_ + name);
        return created_.back();
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    std::vector<std::string> created_;
};

inline std::string ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace pagora
