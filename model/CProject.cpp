#include "model/CProject.h"

#include <limits>

#include "editor/DataDirectory.h"
#include "model/Log.h"
#include "model/GlobalUtils.h"
#include "model/XmlNumber.h"
#include "platform/win/DynamicLibrary.h"
#include "platform/win/FileSystem.h"
#include "platform/win/Random.h"
#include "platform/win/TextConv.h"
#include "platform/win/UiHandler.h"

const float g_FrameRates[2] = {29.97f, 25.0f};

CProject g_Project;

namespace {
// The audio converter library's duration entry.
using GetFileTimeLengthEntry = int32_t (*)(const char* path);
// The stem a slideshow's name gives before any suffix.
std::string PlainStem(const CSlideShow& show) { return CSlideShow::FileNameFor(show.m_strName); }
} // namespace

CProject::CProject() { SeedRandomFromTimeOnce(); }

CProject::~CProject() = default;

int32_t CProject::Init(const std::string& programFolder) {
    m_Config.SetAppPath(programFolder, GetDataDirectory());
    m_Settings.ResetPaths(m_Config.m_strWorkingFolder);
    CreateDataDirectory(m_Config.m_strDataPath);
    LoadPreferences();
    CreateFolder(m_Config.m_strWorkingFolder);
    CreateFolder(m_Settings.m_strTempPath);
    m_Config.ResetProjectFileName();
    m_ProfileGroups.Load(m_Config.m_strAppPath);
    FollowProfileFrameRate();
    ApplySettingsToAllSlides();
    m_bModified = 0;
    return 0;
}

void CProject::Clear() {
    m_arrSlideshows.clear();
    m_nCurrent = -1;
    m_nTotalFrames = 0;
    m_fSizeMB = 0.0f;
    m_bOutputChanged = 0;
    m_bModified = 0;
    m_Settings = CProjectSettings();
    m_Settings.m_strWorkingPath.clear();
    m_Config = CAppConfig();
    m_Catalog.BuildDefaults();
    m_ProfileGroups.m_arrGroups.clear();
    m_ProfileGroups.m_nCurrent = 0;
    m_hMainWnd = nullptr;
}

// --- slideshow list -------------------------------------------------------------------------

CSlideShow* CProject::GetSlideshow(int32_t index) const {
    return index >= 0 && index < GetSlideshowCount() ? m_arrSlideshows[static_cast<size_t>(index)].get() : nullptr;
}

std::string CProject::MakeDefaultSlideshowName() const {
    for (int64_t n = GetSlideshowCount();; ++n) {
        const std::string candidate = "Slideshow_" + std::to_string(n);
        bool taken = false;
        for (const auto& show : m_arrSlideshows) taken = taken || show->m_strName == candidate;
        if (!taken) return candidate;
    }
}

int32_t CProject::AddSlideshow(const std::string& name) {
    const std::string cut = TruncateUtf8(name, MAX_SLIDESHOW_NAME_CHARS);
    m_bModified = 1;
    for (const auto& show : m_arrSlideshows)
        if (show->m_strName == cut) return 1;
    if (cut.empty()) return 1;
    if (GetSlideshowCount() >= MAX_SLIDESHOW_COUNT) {
        AppMessageBox("get to Max slideshow count " + std::to_string(MAX_SLIDESHOW_COUNT) + "!", MB_OK);
        return 1;
    }
    m_bOutputChanged = 1;
    m_arrSlideshows.push_back(std::make_unique<CSlideShow>(cut, m_Config.m_strWorkingFolder, m_Config.m_strAppPath));
    ChooseFileStem(*m_arrSlideshows.back());
    m_nCurrent = GetSlideshowCount() - 1;
    RenumberSlideshows();
    return 0;
}

int32_t CProject::DeleteSlideshow(int32_t index) {
    m_bOutputChanged = 1;
    m_bModified = 1;
    if (index < 0 || index >= GetSlideshowCount()) return 1;
    m_arrSlideshows.erase(m_arrSlideshows.begin() + index);
    if (m_nCurrent >= index && m_nCurrent != 0) --m_nCurrent;
    if (m_arrSlideshows.empty()) m_nCurrent = -1;
    RenumberSlideshows();
    return 0;
}

void CProject::DeleteAllSlideshows() {
    while (!m_arrSlideshows.empty()) DeleteSlideshow(0);
}

int32_t CProject::MoveSlideshowUp(int32_t index) {
    m_bOutputChanged = 1;
    m_bModified = 1;
    if (index < 0 || index >= GetSlideshowCount()) return 1;
    if (index == 0) return 0;
    if (m_nCurrent == index) m_nCurrent = index - 1;
    std::swap(m_arrSlideshows[static_cast<size_t>(index)], m_arrSlideshows[static_cast<size_t>(index - 1)]);
    RenumberSlideshows();
    return 0;
}

int32_t CProject::MoveSlideshowDown(int32_t index) {
    m_bOutputChanged = 1;
    m_bModified = 1;
    if (index < 0 || index >= GetSlideshowCount()) return 1;
    if (index == GetSlideshowCount() - 1) return 0;
    if (m_nCurrent == index) m_nCurrent = index + 1;
    std::swap(m_arrSlideshows[static_cast<size_t>(index)], m_arrSlideshows[static_cast<size_t>(index + 1)]);
    RenumberSlideshows();
    return 0;
}

void CProject::ChooseFileStem(CSlideShow& show) {
    const std::string plain = PlainStem(show);
    CSlideShow* holder = nullptr;
    for (const auto& other : m_arrSlideshows)
        if (other.get() != &show && other->GetFileStem() == plain) holder = other.get();
    if (holder && PlainStem(*holder) == plain) {
        show.SetFileStem(SuffixedFileStem(plain, show));
        return;
    }
    show.SetFileStem(plain);
    if (holder) holder->SetFileStem(SuffixedFileStem(PlainStem(*holder), *holder));
}

std::string CProject::SuffixedFileStem(const std::string& plain, const CSlideShow& show) const {
    for (int64_t n = 1;; ++n) {
        const std::string candidate = plain + "_" + std::to_string(n);
        const bool taken = std::any_of(m_arrSlideshows.begin(), m_arrSlideshows.end(), [&](const auto& other) {
            return other.get() != &show &&
                   (other->GetFileStem() == candidate || PlainStem(*other) == candidate);
        });
        if (!taken) return candidate;
    }
}

void CProject::RenumberSlideshows() {
    for (size_t k = 0; k < m_arrSlideshows.size(); ++k) m_arrSlideshows[k]->SetIndex(static_cast<int32_t>(k));
}

void CProject::NewSlideshowFromFiles(HWND notifyWnd) {
    if (AddSlideshow(MakeDefaultSlideshowName()) != 0) {
        AppMessageBox("Slideshow name conflict or is NULL!", MB_OK | MB_ICONQUESTION);
    } else {
        CSlideShow* show = GetCurrentSlideshow();
        show->AddDefaultMusic();
        std::vector<std::string> files;
        if (!UiHandler::Current().OpenFiles("", BuildImageFileFilter(TRUE), m_Config.FDSearchPath, files)) {
            DeleteSlideshow(m_nCurrent);
        } else {
            for (const std::string& path : files) {
                m_Config.FDSearchPath = GetFolderPart(path);
                if (show->AddSlideFile(path, m_Settings) != 0) continue;
                CheckOutputSize();
                if (IsOverSizeLimit()) {
                    show->RemoveSlideAt(show->GetSlideCount() - 1);
                    // The estimate must describe the project as it now is.
                    RecalcOutputSize();
                }
            }
            if (show->GetSlideCount() == 0) {
                DeleteSlideshow(show->GetIndex());
            } else {
                WriteLog("Add Slideshow named " + show->m_strName);
                m_bModified = 1;
            }
        }
    }
    PostMessage(notifyWnd, WM_SHOW_CURRENT_SLIDESHOW, 0, 0);
    PostMessage(notifyWnd, WM_REFRESH_PROJECT_TREE, 0, 0);
    PostMessage(m_hMainWnd, WM_PROJECT_SIZE_CHANGED, 0, 0);
    RenumberSlideshows();
}

// --- totals and estimate --------------------------------------------------------------------

int64_t CProject::GetTotalSeconds() const {
    return static_cast<int64_t>(m_nTotalFrames / static_cast<double>(GetFrameRate(m_Settings.IS_NTSC)));
}

int32_t CProject::GetTotalSlideCount() const {
    int32_t count = 0;
    for (const auto& show : m_arrSlideshows) count += show->GetSlideCount();
    return count;
}

bool CProject::RecalcOutputSize() {
    int64_t frames = 0;
    for (const auto& show : m_arrSlideshows) frames += show->GetTotalFrames();
    m_nTotalFrames = static_cast<int32_t>(std::min<int64_t>(frames, std::numeric_limits<int32_t>::max()));
    const COutputProfile* profile = m_ProfileGroups.GetCurrentProfile();
    if (!profile) return false;
    // Bit rates are read like atoi, held to 32 bits each.
    const int64_t kbits = int64_t{XmlToInt(profile->m_VideoBitrate.m_Current.value)} +
                          XmlToInt(profile->m_AudioBitrate.m_Current.value);
    const float rate = static_cast<float>(kbits) * 1.05f * (1.0f / 8192.0f);
    m_fSizeMB = static_cast<float>(GetTotalSeconds()) * rate;
    return true;
}

void CProject::CheckOutputSize() {
    if (RecalcOutputSize() && m_fSizeMB > SIZE_WARNING_MB)
        AppMessageBox("Length Is over 4000M! Please delete some Image or change Image display time in Preference Screen!",
                      MB_OK);
}

// --- settings and output --------------------------------------------------------------------

void CProject::ApplySettingsToAllSlides() {
    for (auto& show : m_arrSlideshows) {
        for (auto& slide : show->m_arrSlides) slide->m_Settings = m_Settings;
        show->RecalcTiming();
    }
    CheckOutputSize();
    m_bModified = 1;
}

bool CProject::FollowProfileFrameRate() {
    const COutputProfile* profile = m_ProfileGroups.GetCurrentProfile();
    if (!profile) return false;
    const std::string& rate = profile->m_FrameRate.m_Current.value;
    if (rate == "29.97") m_Settings.IS_NTSC = 0;
    else if (rate == "25") m_Settings.IS_NTSC = 1;
    else return false;
    return true;
}

void CProject::ApplyTvStandardToSlides() {
    for (auto& show : m_arrSlideshows) {
        for (auto& slide : show->m_arrSlides) slide->m_Settings.IS_NTSC = m_Settings.IS_NTSC;
        show->RecalcTiming();
    }
    CheckOutputSize();
    m_bModified = 1;
}

void CProject::SetSlideshowOutputNames() {
    const COutputProfile* profile = m_ProfileGroups.GetCurrentProfile();
    if (!profile) return;
    for (auto& show : m_arrSlideshows) show->SetOutputName(profile->m_strExt, m_Settings.m_strOutputPath);
}

std::string CProject::GetFirstAudioPath() const {
    if (m_arrSlideshows.empty()) return std::string();
    const CSlideShow& first = *m_arrSlideshows.front();
    return first.GetAudioCount() > 0 ? first.GetAudioOutputPath() : m_Config.m_strSilentMp2;
}

void CProject::ShareFirstAudioPath() {
    if (m_arrSlideshows.empty()) return;
    const std::string joined = m_arrSlideshows.front()->m_strMp2File;
    for (size_t k = 1; k < m_arrSlideshows.size(); ++k) m_arrSlideshows[k]->m_strMp2File = joined;
}

int32_t CProject::GetAudioFileSeconds(const std::string& path) const {
    CDynamicLibrary library;
    if (!library.Load(m_Config.m_strAppPath + "/libxToMp2.so")) return 1;
    const auto length = library.Entry<GetFileTimeLengthEntry>("GetFileTimeLength");
    if (!length) return 0;
    return length(path.c_str());
}
