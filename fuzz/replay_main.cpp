// Runs a fuzz target over files and folders of inputs, so that the targets
// build and replay their corpus with any compiler, without libFuzzer.
// Options (arguments starting with "-") are ignored, as libFuzzer's are
// meant for libFuzzer alone.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

void RunFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// Files of a folder in name order, so that runs are repeatable.
std::vector<fs::path> Inputs(const fs::path& arg) {
    if (!fs::is_directory(arg))
        return {arg};
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(arg))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!arg.empty() && arg[0] == '-')
            continue;
        if (!fs::exists(arg)) {
            std::fprintf(stderr, "no such input: %s\n", arg.c_str());
            return 1;
        }
        for (const fs::path& file : Inputs(arg)) {
            RunFile(file);
            ++count;
        }
    }
    if (count == 0) {
        std::fprintf(stderr, "no inputs given\n");
        return 1;
    }
    std::printf("replayed %zu inputs\n", count);
    return 0;
}
