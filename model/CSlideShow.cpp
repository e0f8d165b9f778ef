#include "model/CSlideShow.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>

#include "model/CProject.h"
#include "model/GlobalUtils.h"
#include "platform/gdiplus/ImageProbe.h"
#include "model/TransitionFactory.h"
#include "platform/win/MsgWindow.h"
#include "platform/win/UiHandler.h"

namespace {
std::string WithoutExtension(const std::string& fileName) {
    const size_t dot = fileName.find_last_of('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

// A file named `from` plus its extension is named `to` plus the same extension, in the same
// folder; a path not named after `from` stays as it is.
void Restem(std::string& path, const std::string& from, const std::string& to) {
    const size_t slash = path.find_last_of('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (path.compare(start, from.size(), from) == 0) path.replace(start, from.size(), to);
}

// Frames are counted in 32-bit float steps as the rule says, each step truncated toward zero;
// the count runs in 64 bits so that display times read from a file cannot overflow it.
int64_t TruncateFrames(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 9.2e18f) return std::numeric_limits<int64_t>::max();
    if (value <= -9.2e18f) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

void MarkModified() { g_Project.m_bModified = 1; }
} // namespace

CSlideShow::CSlideShow(const std::string& name, const std::string& workingFolder, const std::string&)
    : m_strName(name), m_strFileStem(FileNameFor(name)) {
    SetTempFolder(workingFolder + "/temp");
}

CSlideShow::~CSlideShow() = default;

std::string CSlideShow::FileNameFor(const std::string& name) {
    std::string safe = name;
    std::replace(safe.begin(), safe.end(), '/', '_');
    std::replace(safe.begin(), safe.end(), '\\', '_');
    return safe;
}

void CSlideShow::SetFileStem(const std::string& stem) {
    const std::string old = m_strFileStem;
    for (std::string* path : {&m_strM2vFile, &m_strMp2File, &m_strYuvFile, &m_strOutputFile})
        Restem(*path, old, stem);
    Restem(m_strCoverBmp, "cover_" + old, "cover_" + stem);
    m_strFileStem = stem;
    if (stem != old && !m_arrSlides.empty()) SaveCoverBitmap();
}

CSlideItem* CSlideShow::GetSlide(int32_t index) const {
    return IsValidSlide(index) ? m_arrSlides[static_cast<size_t>(index)].get() : nullptr;
}

std::vector<int32_t> CSlideShow::ValidIndices(const int32_t* indices, int32_t count) const {
    std::vector<int32_t> valid;
    if (!indices) return valid;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t index = indices[k];
        if (IsValidSlide(index) && std::find(valid.begin(), valid.end(), index) == valid.end()) valid.push_back(index);
    }
    return valid;
}

// --- slides ---------------------------------------------------------------------------------

int32_t CSlideShow::AddSlideFile(const std::string& path, const CProjectSettings& settings) {
    MarkModified();
    if (path.empty()) return 1;
    for (const auto& slide : m_arrSlides)
        if (slide->m_strTempFile == path) return 1;
    if (!IsLoadableImage(path)) return 1;
    std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(path);
    if (!slide) return 1;
    slide->m_Settings = settings;
    m_arrSlides.push_back(std::move(slide));
    RecalcTiming();
    if (GetSlideCount() == 1) SetCoverSlide(0);
    return 0;
}

int32_t CSlideShow::RemoveSlideAt(int32_t index) {
    if (!IsValidSlide(index)) return 1;
    MarkModified();
    m_arrSlides.erase(m_arrSlides.begin() + index);
    // The cover stays on its slide when a slide before it goes.
    if (index < m_nCoverSlide) --m_nCoverSlide;
    RecalcTiming();
    return 0;
}

int32_t CSlideShow::RemoveSlides(const int32_t* indices, int32_t count) {
    std::vector<int32_t> doomed = ValidIndices(indices, count);
    // From the back, so that each index still names the slide the caller meant.
    std::sort(doomed.begin(), doomed.end(), std::greater<int32_t>());
    const bool coverGoes = std::find(doomed.begin(), doomed.end(), m_nCoverSlide) != doomed.end();
    for (int32_t index : doomed) RemoveSlideAt(index);
    if (coverGoes && GetSlideCount() > 0) SetCoverSlide(0);
    RecalcTiming();
    return 0;
}

int32_t CSlideShow::MoveSlideUp(int32_t index, bool* outBecameFirst) {
    if (!IsValidSlide(index)) return 1;
    MarkModified();
    if (index == 0) return 0;
    if (index == 1 && outBecameFirst) *outBecameFirst = true;
    std::swap(m_arrSlides[static_cast<size_t>(index)], m_arrSlides[static_cast<size_t>(index - 1)]);
    return 0;
}

int32_t CSlideShow::MoveSlideDown(int32_t index) {
    if (!IsValidSlide(index)) return 1;
    MarkModified();
    if (index == GetSlideCount() - 1) return 0;
    std::swap(m_arrSlides[static_cast<size_t>(index)], m_arrSlides[static_cast<size_t>(index + 1)]);
    return 0;
}

int32_t CSlideShow::SwapSlides(int32_t i, int32_t j) {
    if (!IsValidSlide(i) || !IsValidSlide(j) || i == j) return 1;
    MarkModified();
    std::swap(m_arrSlides[static_cast<size_t>(i)], m_arrSlides[static_cast<size_t>(j)]);
    return 0;
}

int32_t CSlideShow::MoveBlock(const int32_t* indices, int32_t count, int32_t target, bool before) {
    MarkModified();
    if (count < 1 || !indices) {
        RecalcTiming();
        return target;
    }
    if (!IsValidSlide(target)) {
        RecalcTiming();
        return -1;
    }
    // Every index names a slide as the caller saw the list; following the slides themselves
    // keeps that true while the list changes under the moves.
    const CSlideItem* anchor = m_arrSlides[static_cast<size_t>(target)].get();
    std::vector<const CSlideItem*> seen;
    for (const auto& slide : m_arrSlides) seen.push_back(slide.get());

    auto positionOf = [this](const CSlideItem* slide) {
        for (size_t k = 0; k < m_arrSlides.size(); ++k)
            if (m_arrSlides[k].get() == slide) return k;
        return m_arrSlides.size();
    };
    std::vector<const CSlideItem*> moved;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t index = indices[k];
        // A bad entry ends the call; the moves before it stay.
        if (!IsValidSlide(index)) {
            RecalcTiming();
            return -1;
        }
        const CSlideItem* slide = seen[static_cast<size_t>(index)];
        if (slide == anchor || std::find(moved.begin(), moved.end(), slide) != moved.end()) continue;
        moved.push_back(slide);
        const size_t from = positionOf(slide);
        std::unique_ptr<CSlideItem> taken = std::move(m_arrSlides[from]);
        m_arrSlides.erase(m_arrSlides.begin() + static_cast<std::ptrdiff_t>(from));
        const size_t at = positionOf(anchor) + (before ? 0 : 1);
        m_arrSlides.insert(m_arrSlides.begin() + static_cast<std::ptrdiff_t>(at), std::move(taken));
    }
    RecalcTiming();
    return static_cast<int32_t>(positionOf(anchor));
}

template <class Less> void CSlideShow::BubbleSort(Less less) {
    RenumberSlides();
    const int32_t count = GetSlideCount();
    for (int32_t pass = 0; pass < count; ++pass)
        for (int32_t k = 0; k + 1 < count; ++k)
            if (less(*m_arrSlides[static_cast<size_t>(k + 1)], *m_arrSlides[static_cast<size_t>(k)])) SwapSlides(k, k + 1);
}

void CSlideShow::SortByNameAsc() {
    BubbleSort([](const CSlideItem& a, const CSlideItem& b) { return std::strcmp(a.m_strFileName.c_str(), b.m_strFileName.c_str()) < 0; });
}

void CSlideShow::SortByNameDesc() {
    BubbleSort([](const CSlideItem& a, const CSlideItem& b) { return std::strcmp(a.m_strFileName.c_str(), b.m_strFileName.c_str()) > 0; });
}

void CSlideShow::SortByDateAsc() {
    BubbleSort([](const CSlideItem& a, const CSlideItem& b) { return a.m_tFileTime < b.m_tFileTime; });
}

void CSlideShow::SortByDateDesc() {
    BubbleSort([](const CSlideItem& a, const CSlideItem& b) { return a.m_tFileTime > b.m_tFileTime; });
}

void CSlideShow::SetSingleEffectType(const int32_t* indices, int32_t n, int32_t level) {
    MarkModified();
    for (int32_t index : ValidIndices(indices, n))
        m_arrSlides[static_cast<size_t>(index)]->m_Settings.m_Effect.m_nSingleEffectId = PickSingleEffect(level);
}

void CSlideShow::SetEffectTime(const int32_t* indices, int32_t n, int32_t seconds) {
    MarkModified();
    for (int32_t index : ValidIndices(indices, n))
        m_arrSlides[static_cast<size_t>(index)]->m_Settings.m_Effect.m_nSingleEffectTime = seconds;
    RecalcTiming();
}

int32_t CSlideShow::SetTransition(const int32_t* indices, int32_t n, const TransitionSetting* prototype) {
    MarkModified();
    for (int32_t index : ValidIndices(indices, n))
        m_arrSlides[static_cast<size_t>(index)]->m_Settings.m_Effect.m_pTransition = CloneTransition(prototype);
    return n;
}

void CSlideShow::SetTransitionTime(const int32_t* indices, int32_t n, int32_t seconds) {
    MarkModified();
    for (int32_t index : ValidIndices(indices, n))
        m_arrSlides[static_cast<size_t>(index)]->m_Settings.m_Effect.m_nTransitionTime = seconds;
    RecalcTiming();
}

// --- cover ----------------------------------------------------------------------------------

void CSlideShow::SetCoverSlide(int32_t index) {
    m_nCoverSlide = index;
    MarkModified();
    if (!IsValidSlide(index)) return;
    SaveCoverBitmap();
    g_Project.m_bOutputChanged = 1;
    PostMessage(g_Project.GetMainWindow(), WM_REBUILD_PAGE_TREE, 0, 0);
}

int32_t CSlideShow::GetCoverSlide(CSlideItem** outSlide) {
    if (m_arrSlides.empty()) return 1;
    m_nCoverSlide = std::clamp(m_nCoverSlide, 0, GetSlideCount() - 1);
    if (outSlide) *outSlide = m_arrSlides[static_cast<size_t>(m_nCoverSlide)].get();
    return 0;
}

bool CSlideShow::SaveCoverBitmap() {
    CSlideItem* cover = nullptr;
    if (GetCoverSlide(&cover) != 0) return false;
    return cover->SaveCoverBitmap(m_strCoverBmp);
}

// --- timing ---------------------------------------------------------------------------------

void CSlideShow::RecalcTiming() {
    if (m_arrSlides.empty()) {
        m_nTotalFrames = 0;
        return;
    }
    const float rate = GetFrameRate(m_arrSlides.front()->m_Settings.IS_NTSC);
    int64_t frames = 0;
    for (const auto& slide : m_arrSlides) {
        slide->SetStart(ClampToInt32(TruncateFrames(static_cast<float>(frames) / rate)));
        const CEffectSetting& effect = slide->m_Settings.m_Effect;
        const int64_t seconds = int64_t{effect.m_nSingleEffectTime} + effect.m_nTransitionTime;
        frames = TruncateFrames(static_cast<float>(frames) + static_cast<float>(seconds) * rate);
    }
    if (frames != 0) {
        frames = TruncateFrames(static_cast<float>(frames) + rate);
        const int64_t trimmed = int64_t{m_arrSlides.back()->m_Settings.m_Effect.m_nTransitionTime} +
                                m_arrSlides.front()->m_Settings.m_Effect.m_nSingleEffectTime;
        frames = TruncateFrames(static_cast<float>(frames) - static_cast<float>(trimmed) * rate);
    }
    m_nTotalFrames = ClampToInt32(frames);
}

double CSlideShow::GetTotalSeconds() const {
    if (m_arrSlides.empty()) return 0.0;
    return m_nTotalFrames / static_cast<double>(GetFrameRate(m_arrSlides.front()->m_Settings.IS_NTSC));
}

void CSlideShow::RenumberSlides() {
    for (size_t k = 0; k < m_arrSlides.size(); ++k) m_arrSlides[k]->m_nIndex = static_cast<int32_t>(k);
}

// --- paths ----------------------------------------------------------------------------------

void CSlideShow::SetOutputName(const std::string& extension, const std::string& folder) {
    m_strOutputFile = JoinPath(folder, m_strFileStem + "." + extension);
}

void CSlideShow::SetTempFolder(const std::string& folder) {
    const std::string base = folder + "/" + m_strFileStem;
    m_strM2vFile = base + ".m2v";
    m_strMp2File = base + ".mp2";
    m_strYuvFile = base + ".yuv";
    m_strOutputFile = base + ".mpg";
    m_strCoverBmp = folder + "/cover_" + m_strFileStem + ".bmp";
    for (auto& entry : m_arrAudio) entry->SetTempFolder(folder);
    MakeAudioTempNamesUnique();
    for (auto& slide : m_arrSlides) slide->SetTempFolder(folder);
}

// --- music ----------------------------------------------------------------------------------

int32_t CSlideShow::AddAudioFile(const std::string& path, const std::string& workingFolder) {
    if (path.empty() || workingFolder.empty()) return 1;
    for (const auto& entry : m_arrAudio)
        if (entry->m_strOriginalPath == path) return 1;
    const std::string name = GetFileName(path);
    const std::string temp = workingFolder + "/temp/" + WithoutExtension(name) + ".mp2";
    auto entry = std::make_unique<CAudioItem>(path, name, temp);
    if (entry->m_nDuration <= 0) {
        AppMessageBox("file:'" + path + "' is not a legal mp3 file, so it will not be added!", MB_OK);
        RecalcAudioStarts();
        return 1;
    }
    MarkModified();
    m_arrAudio.push_back(std::move(entry));
    MakeAudioTempNamesUnique();
    RecalcAudioStarts();
    return 0;
}

void CSlideShow::AddAudioFilesDialog() {
    if (g_Project.GetSlideshowCount() < 1) return;
    MarkModified();
    std::vector<std::string> files;
    if (!UiHandler::Current().OpenFiles("", "All Support Files (*.mp3 *.mp2 *.wav)|*.mp3;*.mp2;*.wav||", "",
                                        files))
        return;
    for (const std::string& path : files) {
        const std::string ext = ToLowerAscii(GetFileExt(path));
        if (ext != "mp3" && ext != "mp2" && ext != "wav" && ext != "wma") continue;
        AddAudioFile(path, g_Project.m_Config.m_strWorkingFolder);
        MarkModified();
    }
}

int32_t CSlideShow::AddDefaultMusic() {
    return AddAudioFile(g_Project.m_Config.m_strDefaultMusic, g_Project.m_Config.m_strWorkingFolder);
}

int32_t CSlideShow::RemoveAudioAt(int32_t index) {
    if (index < 0 || index >= GetAudioCount()) return 1;
    MarkModified();
    m_arrAudio.erase(m_arrAudio.begin() + index);
    RecalcAudioStarts();
    return 0;
}

void CSlideShow::MoveAudioUp(int32_t index) {
    if (index < 1 || index >= GetAudioCount()) return;
    MarkModified();
    std::swap(m_arrAudio[static_cast<size_t>(index)], m_arrAudio[static_cast<size_t>(index - 1)]);
    RecalcAudioStarts();
}

void CSlideShow::MoveAudioDown(int32_t index) {
    if (index < 0 || index >= GetAudioCount() - 1) return;
    MarkModified();
    std::swap(m_arrAudio[static_cast<size_t>(index)], m_arrAudio[static_cast<size_t>(index + 1)]);
    RecalcAudioStarts();
}

CAudioItem* CSlideShow::GetAudioAt(int32_t index) const {
    return index >= 0 && index < GetAudioCount() ? m_arrAudio[static_cast<size_t>(index)].get() : nullptr;
}

std::string CSlideShow::GetAudioOutputPath() const { return m_arrAudio.empty() ? std::string() : m_strMp2File; }

void CSlideShow::SetAudioOutputName(const std::string& extension, const std::string& folder) {
    m_strMp2File = JoinPath(folder, m_strFileStem + "." + extension);
    for (auto& entry : m_arrAudio)
        entry->m_strTempMp2 = JoinPath(folder, WithoutExtension(entry->m_strName) + "." + extension);
    MakeAudioTempNamesUnique();
}

void CSlideShow::RecalcAudioStarts() {
    int64_t start = 0;
    for (auto& entry : m_arrAudio) {
        entry->SetStart(static_cast<int32_t>(std::min<int64_t>(start, std::numeric_limits<int32_t>::max())));
        start += std::max<int32_t>(entry->m_nDuration, 0);
    }
}

void CSlideShow::MakeAudioTempNamesUnique() {
    // Two files of the same name from different folders must not share a converted file, and
    // none may be the joined file that is written from them.
    std::set<std::string> used{m_strMp2File};
    for (auto& entry : m_arrAudio) {
        std::string path = entry->m_strTempMp2;
        if (used.count(path)) {
            const size_t slash = path.find_last_of('/');
            const size_t dot = path.find_last_of('.');
            const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
            const std::string stem = hasExt ? path.substr(0, dot) : path;
            const std::string ext = hasExt ? path.substr(dot) : std::string();
            for (int n = 1; used.count(path); ++n) path = stem + "_" + std::to_string(n) + ext;
            entry->m_strTempMp2 = path;
        }
        used.insert(path);
    }
}
