// The project engine: the one document of the program. It owns the slideshows (at most 50),
// the project's default settings, the program-folder paths and preferences, the transition
// catalogue and the output profiles, and keeps the project's frame total, size estimate and
// change flags. The user interface, the renderers and the file readers all work on g_Project.
//
// Results: 0 done, 1 refused or bad index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/AudioPreviewState.h"
#include "model/CAppConfig.h"
#include "model/COutputProfileGroupList.h"
#include "model/CProjectSettings.h"
#include "model/CSlideShow.h"
#include "model/TransitionSettingCatalog.h"
#include "platform/win/MsgWindow.h"

struct AudioJoinJob;

// Frames per second by the TV-standard flag: 0 NTSC (29.97), 1 PAL (25).
extern const float g_FrameRates[2];
// The frame rate of a TV-standard flag; any flag but 0 counts as PAL.
inline float GetFrameRate(int32_t isNtsc) { return g_FrameRates[isNtsc == 0 ? 0 : 1]; }

constexpr int32_t MAX_SLIDESHOW_COUNT = 50;
// Slideshow names are cut to this many characters (not bytes).
constexpr size_t MAX_SLIDESHOW_NAME_CHARS = 15;
// Above this estimate the user is warned; above the limit, pictures added from the file
// dialog are taken out again.
constexpr float SIZE_WARNING_MB = 4000.0f;
constexpr float SIZE_LIMIT_MB = 4500.0f;

class CProject {
public:
    CProject();
    ~CProject();
    CProject(const CProject&) = delete;
    CProject& operator=(const CProject&) = delete;

    // Start-up with the program folder and the user's data folder (GetDataDirectory, created
    // when missing): paths and a new working folder name, preferences, the working and temp
    // folders, the default project file, the output profiles (which set the TV standard), and
    // the settings handed to every slide. Clears the modified flag.
    int32_t Init(const std::string& programFolder);
    // Back to the state after construction: no slideshows, default settings, paths and
    // preferences, no profiles, no main window.
    void Clear();

    // The main window receives WM_REBUILD_PAGE_TREE when a cover is chosen and
    // WM_PROJECT_SIZE_CHANGED after the new-slideshow command.
    void SetMainWindow(HWND window) { m_hMainWnd = window; }
    HWND GetMainWindow() const { return m_hMainWnd; }

    // --- slideshow list -----------------------------------------------------------------------
    // The name is cut to 15 characters; it must be unique and not empty, and at most 50
    // slideshows exist. The new one becomes current; its files are named so that no other
    // slideshow's files bear the same names (see ChooseFileStem).
    int32_t AddSlideshow(const std::string& name);
    int32_t DeleteSlideshow(int32_t index);
    void DeleteAllSlideshows();
    int32_t MoveSlideshowUp(int32_t index);
    int32_t MoveSlideshowDown(int32_t index);
    int32_t GetSlideshowCount() const { return static_cast<int32_t>(m_arrSlideshows.size()); }
    // Null out of range.
    CSlideShow* GetSlideshow(int32_t index) const;
    CSlideShow* GetCurrentSlideshow() const { return GetSlideshow(m_nCurrent); }
    // "Slideshow_<n>" with the first n from the slideshow count up that no slideshow bears.
    std::string MakeDefaultSlideshowName() const;
    void RenumberSlideshows();
    // The "add slideshow" command: a new slideshow with the default music and the pictures
    // the user picks in the file dialog. Posts WM_SHOW_CURRENT_SLIDESHOW and
    // WM_REFRESH_PROJECT_TREE to notifyWnd and WM_PROJECT_SIZE_CHANGED to the main window.
    void NewSlideshowFromFiles(HWND notifyWnd);

    // --- totals and estimate ------------------------------------------------------------------
    int32_t GetTotalFrames() const { return m_nTotalFrames; }
    float GetEstimatedSizeMB() const { return m_fSizeMB; }
    // Whole seconds of the frame total at the project's frame rate.
    int64_t GetTotalSeconds() const;
    int32_t GetTotalSlideCount() const;
    // Recomputes the frame total and, with a current output profile, the size estimate;
    // warns when the estimate is above 4000 MB.
    void CheckOutputSize();
    bool IsOverSizeLimit() const { return m_fSizeMB > SIZE_LIMIT_MB; }

    // --- settings and output ------------------------------------------------------------------
    // Every slide gets a copy of the project settings (its own random picks); timing and
    // estimate follow.
    void ApplySettingsToAllSlides();
    // The project's TV standard follows the current profile's frame rate ("29.97" NTSC, "25"
    // PAL); false, changing nothing, for any other rate or without a current profile.
    bool FollowProfileFrameRate();
    // Every slide gets the project's TV standard; timing and estimate follow.
    void ApplyTvStandardToSlides();
    // With a current profile: every slideshow's output file in the output folder, named after
    // the slideshow with the profile's extension.
    void SetSlideshowOutputNames();
    // The joined music of slideshow 0; the silent mp2 when it has no music; "" without
    // slideshows.
    std::string GetFirstAudioPath() const;
    // Every slideshow uses slideshow 0's joined music file.
    void ShareFirstAudioPath();
    // Length of a music file in whole seconds through the audio converter library of the
    // program folder: 1 when the library cannot be loaded.
    int32_t GetAudioFileSeconds(const std::string& path) const;

    // --- audio tools (ProjectAudio.cpp) --------------------------------------------------------
    // Converts every music file of the job to its temporary mp2 file and joins them into the
    // job's file, repeated to cover the project when loop-audio is on. 0 done, 1 the converter
    // library or a file failed, 2 stopped, else the converter's own failure code. On any
    // failure the joined file is not left behind.
    int32_t ConvertAudioToMp2(AudioJoinJob* job);
    // Plays the music files one after the other (an empty list plays nothing); ignored while
    // playing or stopping. Each track is ended by a timer of the main window, whose WM_TIMER
    // the main window hands to OnAudioPreviewTimer.
    void PlayAudioPreview(const std::vector<std::unique_ptr<CAudioItem>>& list);
    void StopAudioPreview();
    // True when the timer was the music preview's (it then starts the next track).
    bool OnAudioPreviewTimer(WPARAM timerId);
    bool IsAudioPreviewPlaying() const { return m_AudioPreview.m_bPlaying != 0; }
    // -1 when a slideshow already has the new name or none has the old one, else 0. Sets the
    // modified flag in every case.
    int32_t RenameSlideshow(const std::string& oldName, const std::string& newName);

    // --- preference file ------------------------------------------------------------------------
    // 0 done, -1 failed.
    int32_t LoadPreferences();
    int32_t SavePreferences();

    // --- project file and work folders (CProjectFile.cpp, CWorkFolders.cpp) --------------------
    // Writes the project file m_Config.m_strProjectFile when there are unsaved changes; TRUE when
    // it was written (SaveProject then tells the user).
    BOOL SaveProject();
    BOOL SaveProjectSilent();
    // Adds the slideshows of the project file m_Config.m_strProjectFile to the project.
    BOOL LoadProject();
    // New: a fresh working folder with its temp and output folders.
    void PrepareNewProjectFolders();
    // Moves the temp folder to "<folder>/temp" (output "<folder>/Output"); FALSE when refused.
    BOOL SetWorkingFolder(const std::string& folder);
    // For a project that was never written: its temp folder goes, its empty work folders too.
    void RemoveUnsavedWorkFolders();

    std::vector<std::unique_ptr<CSlideShow>> m_arrSlideshows;
    CProjectSettings m_Settings;
    CAppConfig m_Config;
    TransitionSettingCatalog m_Catalog;
    int32_t m_nCurrent = -1;
    int32_t m_nTotalFrames = 0;
    float m_fSizeMB = 0.0f;
    uint8_t m_bOutputChanged = 0;
    int32_t m_bModified = 0;
    COutputProfileGroupList m_ProfileGroups;
    AudioPreviewState m_AudioPreview;

private:
    // The totals without the warning; false when there is no current profile (the estimate
    // then keeps its value).
    bool RecalcOutputSize();
    // Gives a listed slideshow the file stem of its name. Names that differ only in '/' and '\\'
    // would otherwise share every file. The plain FileNameFor form is kept unless another
    // slideshow holds it as its own plain form; then the first "<plain>_<n>" that no other
    // slideshow holds or has as its plain form. One that held the plain form only as such a
    // suffix gives it up for a new one, so that a name clashing with nothing always keeps it.
    void ChooseFileStem(CSlideShow& show);
    // The first "<plain>_<n>" that no slideshow but `show` holds or has as its plain form.
    std::string SuffixedFileStem(const std::string& plain, const CSlideShow& show) const;

    HWND m_hMainWnd = nullptr;
};

extern CProject g_Project;
