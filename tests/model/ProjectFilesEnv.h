// A started engine in a temporary program folder, with a scripted user interface, and fixtures
// for the project-file, preference-file and work-folder tests: real pictures (BMP written by
// hand) and music (a PCM WAV written by hand).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/AppDirectory.h"
#include "model/CProject.h"
#include "platform/gdiplus/ImageProbe.h"
#include "platform/win/ScriptedUiHandler.h"
#include "tests/support/TempDir.h"

class ProjectFilesEnv : public ::testing::Test {
protected:
    void SetUp() override {
        m_program = m_dir.Path().string() + "/program";
        std::filesystem::create_directories(m_program);
        // The audio converter library measures the music, as in a real program folder.
        std::error_code ec;
        std::filesystem::copy_file(PICREEL_PROGRAM_DIR "libxToMp2.so", m_program + "/libxToMp2.so", ec);
        m_hasAudioLibrary = !ec;
        SetAppDirectoryOverride(m_program);
        m_ui = std::make_shared<ScriptedUiHandler>();
        m_previousUi = UiHandler::Install(m_ui);
        g_Project.Clear();
        g_Project.Init(m_program);
    }

    void TearDown() override {
        g_Project.Clear();
        UiHandler::Install(m_previousUi);
        SetAppDirectoryOverride("");
    }

    // A file outside the program folder (the user's pictures and music live there).
    std::string UserFile(const std::string& name) const { return m_dir.File("user/" + name); }
    std::string ProgramFile(const std::string& name) const { return m_program + "/" + name; }

    // A 24-bit BMP of two colour halves, written field by field.
    static std::string BmpBytes(int32_t width, int32_t height, uint8_t shade) {
        const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
        const uint32_t imageSize = stride * static_cast<uint32_t>(height);
        std::string b;
        auto u16 = [&b](uint32_t v) { b += static_cast<char>(v & 0xFF); b += static_cast<char>((v >> 8) & 0xFF); };
        auto u32 = [&u16](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
        b += "BM";
        u32(54 + imageSize); u16(0); u16(0); u32(54);
        u32(40); u32(static_cast<uint32_t>(width)); u32(static_cast<uint32_t>(height)); u16(1); u16(24);
        u32(0); u32(imageSize); u32(2835); u32(2835); u32(0); u32(0);
        for (int32_t y = 0; y < height; ++y) {
            std::string row;
            for (int32_t x = 0; x < width; ++x) {
                row += static_cast<char>(x < width / 2 ? shade : 0);
                row += static_cast<char>(static_cast<uint8_t>(y * 4));
                row += static_cast<char>(x < width / 2 ? 0 : shade);
            }
            row.resize(stride, '\0');
            b += row;
        }
        return b;
    }

    // One second (or more) of 8 kHz mono 16-bit PCM: a square wave.
    static std::string WavBytes(uint32_t seconds) {
        const uint32_t samples = 8000 * seconds;
        std::string b;
        auto u16 = [&b](uint32_t v) { b += static_cast<char>(v & 0xFF); b += static_cast<char>((v >> 8) & 0xFF); };
        auto u32 = [&u16](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
        b += "RIFF"; u32(36 + samples * 2); b += "WAVE";
        b += "fmt "; u32(16); u16(1); u16(1); u32(8000); u32(16000); u16(2); u16(16);
        b += "data"; u32(samples * 2);
        for (uint32_t k = 0; k < samples; ++k) u16((k / 20) % 2 ? 0x2000 : 0xE000);
        return b;
    }

    // A picture the engine accepts, or "" when pictures cannot be decoded in this build.
    std::string MakePicture(const std::string& name, uint8_t shade = 200) {
        const std::string path = UserFile(name);
        WriteFileBytes(path, BmpBytes(64, 48, shade));
        return IsLoadableImage(path) ? path : std::string();
    }

    std::string MakeMusic(const std::string& name, uint32_t seconds = 2) {
        const std::string path = UserFile(name);
        WriteFileBytes(path, WavBytes(seconds));
        return path;
    }

    // Every file below a folder with its content, for "nothing changed here" checks.
    static std::vector<std::pair<std::string, std::string>> Snapshot(const std::string& folder) {
        std::vector<std::pair<std::string, std::string>> files;
        std::error_code ec;
        for (const auto& e : std::filesystem::recursive_directory_iterator(folder, ec))
            files.emplace_back(e.path().string(), e.is_regular_file() ? ReadFileBytes(e.path().string()) : "<dir>");
        std::sort(files.begin(), files.end());
        return files;
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : m_ui->Boxes()) texts.push_back(box.text);
        return texts;
    }

    TempDir m_dir;
    std::string m_program;
    std::shared_ptr<ScriptedUiHandler> m_ui;
    std::shared_ptr<UiHandler> m_previousUi;
    bool m_hasAudioLibrary = false;
};

#define NEED_PICTURE(path) \
    if ((path).empty()) GTEST_SKIP() << "pictures cannot be decoded in this build"
