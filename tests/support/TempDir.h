// A fresh folder under the system's temporary folder, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Path of a name inside the folder, as text.
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// The shared test data folder, or "" when it is absent (tests then skip).
std::string TestDataDir();

// Writes bytes to a file, creating parent folders.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Reads a whole file; "" when it cannot be read.
std::string ReadFileBytes(const std::string& path);
