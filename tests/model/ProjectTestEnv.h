// A started engine in a temporary program folder and data folder, with a scripted user interface
// and a main window whose posted messages the test reads; the user's own files live beside them. Shared fixtures: pictures, music, plain slides, profiles, a file-size limit.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/MissingDependency.h"
#include "editor/AppDirectory.h"
#include "editor/DataDirectory.h"
#include "imagelib/PixImage.h"
#include "model/CProject.h"
#include "platform/gdiplus/ImageProbe.h"
#include "platform/win/FileSystem.h"
#include "platform/win/MsgWindow.h"
#include "platform/win/ScriptedUiHandler.h"
#include "tests/support/PixPictureFile.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavFile.h"

// ASCII as UTF-16LE, with or without the byte-order mark.
inline std::string Utf16(const std::string& ascii, bool mark = false) {
    std::string wide = mark ? "\xFF\xFE" : "";
    for (char ch : ascii) (wide += ch) += '\0';
    return wide;
}

class ProjectTestEnv : public ::testing::Test {
protected:
    void SetUp() override {
        m_program = m_dir.File("program");
        m_data = m_dir.File("data");
        std::filesystem::create_directories(m_program);
        SetAppDirectoryOverride(m_program);
        m_dataEnv = std::make_unique<ScopedEnv>(DATA_DIRECTORY_VARIABLE, m_data);
        m_ui = std::make_shared<ScriptedUiHandler>();
        m_previousUi = UiHandler::Install(m_ui);
        g_Project.Clear();
        g_Project.Init(m_program);
        g_Project.SetMainWindow(&m_mainWnd);
    }

    void TearDown() override {
        g_Project.Clear();
        UiHandler::Install(m_previousUi);
        SetAppDirectoryOverride("");
        m_dataEnv.reset();
    }

    std::string ProgramFile(const std::string& name) const { return m_program + "/" + name; }
    std::string DataFile(const std::string& name) const { return m_data + "/" + name; }
    std::string UserFile(const std::string& name) const { return m_dir.File("user/" + name); }
    std::string TempFolder() const { return g_Project.m_Config.m_strWorkingFolder + "/temp"; }

    // The audio converter library in the program folder, so that music is measured.
    bool InstallAudioLibrary() {
        std::error_code ec;
        std::filesystem::copy_file(PICREEL_PROGRAM_DIR "libxToMp2.so", ProgramFile("libxToMp2.so"), ec);
        return !ec;
    }

    // A picture with a left half and a right half of two colours; false when the format cannot
    // be written here.
    static bool WritePicture(const std::string& path, DWORD width, DWORD height, DWORD type,
                             COLORREF left = RGB(255, 0, 0), COLORREF right = RGB(0, 0, 255)) {
        CreateFolder(path.substr(0, path.find_last_of('/')));
        return WritePixPicture(path, width, height, type, [&](DWORD x, DWORD) { return x < width / 2 ? left : right; });
    }

    // A user's picture the engine accepts, or "" when pictures cannot be made in this build.
    std::string MakePicture(const std::string& name, uint8_t shade = 200) const {
        const std::string path = UserFile(name);
        const bool ok = WritePicture(path, 64, 48, PIXFORMAT_BMP, RGB(shade, 0, 0), RGB(0, 0, shade));
        return ok && IsLoadableImage(path) ? path : std::string();
    }

    // 8 kHz mono 16-bit PCM of the given length.
    std::string MakeMusic(const std::string& name, uint32_t seconds = 2) const {
        WriteFileBytes(UserFile(name), ToneWav(8000, 1, 8000 * seconds, 8000, 200));
        return UserFile(name);
    }

    // A slideshow holding slides for plain files (no picture check), each with its own times.
    CSlideShow& ShowWithFiles(const std::vector<std::string>& names, int32_t display = 3, int32_t transition = 2,
                              int32_t ntsc = 1) {
        EXPECT_EQ(g_Project.AddSlideshow("raw" + std::to_string(g_Project.GetSlideshowCount())), 0);
        CSlideShow& show = *g_Project.GetCurrentSlideshow();
        for (const std::string& name : names) {
            WriteFileBytes(UserFile(name), "not a picture: " + name);
            std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(UserFile(name));
            slide->m_Settings.IS_NTSC = ntsc;
            slide->m_Settings.m_Effect.m_nSingleEffectTime = display;
            slide->m_Settings.m_Effect.m_nTransitionTime = transition;
            show.m_arrSlides.push_back(std::move(slide));
        }
        show.RecalcTiming();
        return show;
    }

    // The slides' file names, first letters only.
    static std::string Order(const CSlideShow& show) {
        std::string order;
        for (const auto& slide : show.m_arrSlides) order += slide->m_strFileName.substr(0, 1);
        return order;
    }

    // One group with one profile of the given bit rates and extension.
    static void UseProfile(const std::string& videoKbits, const std::string& audioKbits, const std::string& ext = "avi") {
        auto profile = std::make_unique<COutputProfile>();
        profile->m_VideoBitrate.m_Current.value = videoKbits;
        profile->m_AudioBitrate.m_Current.value = audioKbits;
        profile->m_strExt = ext;
        auto group = std::make_unique<COutputProfileGroup>();
        group->m_arrProfiles.push_back(std::move(profile));
        g_Project.m_ProfileGroups.m_arrGroups.clear();
        g_Project.m_ProfileGroups.m_arrGroups.push_back(std::move(group));
        g_Project.m_ProfileGroups.m_nCurrent = 0;
    }

    static std::vector<UINT> Messages(CMsgWindow& window) {
        std::vector<UINT> ids;
        for (const Msg& m : window.TakePosted()) ids.push_back(m.msg);
        return ids;
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : m_ui->Boxes()) texts.push_back(box.text);
        return texts;
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

    static bool HasTempLeftovers(const std::string& folder) {
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().filename().string().find(".tmp") != std::string::npos) return true;
        return false;
    }

    TempDir m_dir;
    std::string m_program;
    std::string m_data;
    std::unique_ptr<ScopedEnv> m_dataEnv;
    CMsgWindow m_mainWnd;
    std::shared_ptr<ScriptedUiHandler> m_ui;
    std::shared_ptr<UiHandler> m_previousUi;
};

// Holds the process's file-size limit low, so that writes fail part way (as on a full disk).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit low = m_old;
        low.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
};

#define REQUIRE_PICTURE(ok) \
    if (!(ok)) SKIP_OR_FAIL_IN_CI("pictures cannot be written or decoded in this build")
