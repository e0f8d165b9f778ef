// A fresh project engine in a temporary program folder for every test, with a scripted user
// interface and a main window whose posted messages the test reads.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "editor/AppDirectory.h"
#include "imagelib/PixImage.h"
#include "model/CProject.h"
#include "platform/win/FileSystem.h"
#include "platform/win/MsgWindow.h"
#include "platform/win/ScriptedUiHandler.h"
#include "tests/support/TempDir.h"

class ProjectTestEnv : public ::testing::Test {
protected:
    void SetUp() override {
        m_program = m_dir.Path().string();
        SetAppDirectoryOverride(m_program);
        g_Project.Clear();
        g_Project.Init(m_program);
        m_ui = std::make_shared<ScriptedUiHandler>();
        m_previousUi = UiHandler::Install(m_ui);
        g_Project.SetMainWindow(&m_mainWnd);
    }

    void TearDown() override {
        g_Project.Clear();
        UiHandler::Install(m_previousUi);
        SetAppDirectoryOverride("");
    }

    std::string TempFolder() const { return g_Project.m_Config.m_strWorkingFolder + "/temp"; }
    std::string File(const std::string& name) const { return m_dir.File(name); }

    // A picture with a left half and a right half of two colours; false when the format cannot
    // be written here.
    static bool WritePicture(const std::string& path, DWORD width, DWORD height, DWORD type,
                             COLORREF left = RGB(255, 0, 0), COLORREF right = RGB(0, 0, 255)) {
        CPixImage picture(width, height, 24);
        if (!picture.IsValid()) return false;
        CreateFolder(path.substr(0, path.find_last_of('/')));
        for (DWORD y = 0; y < height; ++y)
            for (DWORD x = 0; x < width; ++x)
                picture.SetPixelColor(static_cast<long>(x), static_cast<long>(y), x < width / 2 ? left : right);
        return picture.Save(path.c_str(), type);
    }

    // A slideshow holding slides for plain files (no picture check), each with its own times.
    CSlideShow& ShowWithFiles(const std::vector<std::string>& names, int32_t display = 3, int32_t transition = 2,
                              int32_t ntsc = 1) {
        EXPECT_EQ(g_Project.AddSlideshow("raw" + std::to_string(g_Project.GetSlideshowCount())), 0);
        CSlideShow& show = *g_Project.GetCurrentSlideshow();
        for (const std::string& name : names) {
            WriteFileBytes(File(name), "not a picture: " + name);
            std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(File(name));
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

    // One group with one profile of the given bit rates, frame rate and extension.
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

    TempDir m_dir;
    std::string m_program;
    CMsgWindow m_mainWnd;
    std::shared_ptr<ScriptedUiHandler> m_ui;
    std::shared_ptr<UiHandler> m_previousUi;
};

#define REQUIRE_PICTURE(expr) \
    if (!(expr)) GTEST_SKIP() << "this picture format cannot be written yet"
