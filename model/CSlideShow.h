// One slideshow of the project: its slides in play order, its music entries, its cover slide
// and the paths of its intermediate and output files. One timing pass keeps the slides' start
// times and the slideshow's frame count up to date.
//
// Results: 0 done, 1 refused or bad index, unless said otherwise. Index lists may come in any
// order; indices outside the slideshow are skipped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/CAudioItem.h"
#include "model/CSlideItem.h"

class CProjectSettings;
class TransitionSetting;

class CSlideShow {
public:
    // The paths are formatted from the working folder and the name (the program folder is not
    // used): "<working>/temp/<name>.m2v", ".mp2", ".yuv", ".mpg" and "cover_<name>.bmp".
    CSlideShow(const std::string& name, const std::string& workingFolder, const std::string& programFolder);
    ~CSlideShow();
    CSlideShow(const CSlideShow&) = delete;
    CSlideShow& operator=(const CSlideShow&) = delete;

    // The name as it appears in file names: '/' and '\' become '_', so that no path built from
    // it can leave its folder.
    static std::string FileNameFor(const std::string& name);

    // What every file of this slideshow is named after: FileNameFor(name) unless the project
    // gave it another stem, because another slideshow's files already bear that one.
    const std::string& GetFileStem() const { return m_strFileStem; }
    // Names the files after `stem` from now on: the video, intermediate, joined music and cover
    // paths named after the old stem take the new one, each in its own folder, and the cover
    // is saved there. Slides and music entries keep their files.
    void SetFileStem(const std::string& stem);

    // --- slides -------------------------------------------------------------------------------
    // Appends a slide for a picture that decodes (a copy of settings: its random picks drawn
    // anew); 1 for an empty path, a picture already in the slideshow or one that does not load.
    int32_t AddSlideFile(const std::string& path, const CProjectSettings& settings);
    int32_t RemoveSlideAt(int32_t index);
    // Removes the listed slides (any order, duplicates allowed). Always 0.
    int32_t RemoveSlides(const int32_t* indices, int32_t count);
    // Moves a slide one place earlier; *outBecameFirst (when given) is set TRUE when it became
    // the first slide. The timing is not recomputed by the moves and the swap.
    int32_t MoveSlideUp(int32_t index, bool* outBecameFirst);
    int32_t MoveSlideDown(int32_t index);
    int32_t SwapSlides(int32_t i, int32_t j);
    // Moves the listed slides (indices as they are before the call) one by one, in list order,
    // to just before (before = true) or just after the slide at target; repeats are moved once.
    // Returns the target slide's final index, target when count < 1, -1 when target or an entry
    // is outside the slideshow (the entries before a bad one stay moved).
    int32_t MoveBlock(const int32_t* indices, int32_t count, int32_t target, bool before);

    // Bubble sorts by file name (byte order) or file time; equal keys keep their order.
    void SortByNameAsc();
    void SortByNameDesc();
    void SortByDateAsc();
    void SortByDateDesc();

    // Selection-wide setters over a list of slide indices.
    void SetSingleEffectType(const int32_t* indices, int32_t n, int32_t level);
    void SetEffectTime(const int32_t* indices, int32_t n, int32_t seconds);
    // Each listed slide gets its own clone of the prototype (a Random one resolves per slide).
    int32_t SetTransition(const int32_t* indices, int32_t n, const TransitionSetting* prototype);
    void SetTransitionTime(const int32_t* indices, int32_t n, int32_t seconds);

    // --- cover --------------------------------------------------------------------------------
    // Stores the index; for an existing slide also writes the cover picture, marks the output
    // changed and posts WM_REBUILD_PAGE_TREE to the main window.
    void SetCoverSlide(int32_t index);
    // The cover slide, its index clamped into the slideshow first; 1 without slides.
    int32_t GetCoverSlide(CSlideItem** outSlide);
    int32_t GetCoverIndex() const { return m_nCoverSlide; }
    bool SaveCoverBitmap();

    // --- timing -------------------------------------------------------------------------------
    // Start of every slide and the slideshow's frames: the frames of every slide (display plus
    // transition time, at the first slide's frame rate) plus one second of fade-in, less the
    // first slide's display time and the last slide's transition time. No slides: 0 frames.
    void RecalcTiming();
    int32_t GetTotalFrames() const { return m_nTotalFrames; }
    // Total frames at the first slide's frame rate; 0.0 without slides.
    double GetTotalSeconds() const;
    int32_t GetSlideCount() const { return static_cast<int32_t>(m_arrSlides.size()); }
    // Null out of range.
    CSlideItem* GetSlide(int32_t index) const;
    int32_t GetIndex() const { return m_nIndex; }
    void SetIndex(int32_t index) { m_nIndex = index; }
    void RenumberSlides();

    // --- paths --------------------------------------------------------------------------------
    // Output file = "<folder>/<name>.<extension>".
    void SetOutputName(const std::string& extension, const std::string& folder);
    // Moves the intermediate, cover, music and turned-copy paths to a new temp folder.
    void SetTempFolder(const std::string& folder);

    // --- music --------------------------------------------------------------------------------
    // Appends a music entry; its temporary file is "<working>/temp/<base>.mp2" (made unique in
    // the slideshow). 1 for an empty path or folder, a file already listed, or a file that is
    // not music (reported to the user).
    int32_t AddAudioFile(const std::string& path, const std::string& workingFolder);
    // The "add music" command: the files chosen in the music dialog.
    void AddAudioFilesDialog();
    // The program's "menu_pic/default.mp3".
    int32_t AddDefaultMusic();
    int32_t RemoveAudioAt(int32_t index);
    void MoveAudioUp(int32_t index);
    void MoveAudioDown(int32_t index);
    int32_t GetAudioCount() const { return static_cast<int32_t>(m_arrAudio.size()); }
    // Null out of range.
    CAudioItem* GetAudioAt(int32_t index) const;
    // The joined music file, or "" without music entries.
    std::string GetAudioOutputPath() const;
    // Joined file = "<folder>/<name>.<extension>"; every entry's temporary file becomes
    // "<folder>/<base>.<extension>" (made unique in the slideshow).
    void SetAudioOutputName(const std::string& extension, const std::string& folder);
    // Consecutive starts: each entry starts where the one before it ends.
    void RecalcAudioStarts();

    std::string m_strName;
    std::vector<std::unique_ptr<CSlideItem>> m_arrSlides;
    std::vector<std::unique_ptr<CAudioItem>> m_arrAudio;
    std::string m_strM2vFile;
    std::string m_strMp2File;
    std::string m_strYuvFile;
    std::string m_strOutputFile;
    int32_t m_nTotalFrames = 0;
    int32_t m_nIndex = 0;
    int32_t m_nCoverSlide = 0;
    std::string m_strCoverBmp;

private:
    std::string m_strFileStem;
    bool IsValidSlide(int32_t index) const { return index >= 0 && index < GetSlideCount(); }
    // The listed indices that name slides, each once, in list order.
    std::vector<int32_t> ValidIndices(const int32_t* indices, int32_t count) const;
    template <class Less> void BubbleSort(Less less);
    // Renames entry temporary files that another entry or the joined file already uses.
    void MakeAudioTempNamesUnique();
};
