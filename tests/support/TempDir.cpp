#include "tests/support/TempDir.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <cstdlib>

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "picreel-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    m_path = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string TestDataDir() {
    std::error_code ec;
    const std::filesystem::path dir(PICREEL_TESTDATA_DIR);
    return std::filesystem::is_directory(dir, ec) ? dir.string() : std::string();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
