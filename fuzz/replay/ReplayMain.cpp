// Runs a fuzz target over files and folders named on the command line, so that ordinary builds
// keep the targets compiling and replay their corpora as tests. Missing paths are skipped.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
void RunFile(const std::filesystem::path& path, size_t& count) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    ++count;
}
} // namespace

int main(int argc, char** argv) {
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        std::filesystem::path p(argv[i]);
        if (std::filesystem::is_regular_file(p, ec)) {
            RunFile(p, count);
        } else if (std::filesystem::is_directory(p, ec)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(p, ec))
                if (e.is_regular_file()) RunFile(e.path(), count);
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return 0;
}
