#include "model/CProjectFile.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "model/CCropData.h"
#include "model/CImageOverlayData.h"
#include "model/Log.h"
#include "model/CPreferenceFile.h"
#include "model/CProject.h"
#include "model/CTextOverlayData.h"
#include "model/CWorkFolders.h"
#include "model/DocumentText.h"
#include "model/XmlDoc.h"
#include "model/XmlNumber.h"
#include "platform/win/FileSystem.h"
#include "platform/win/TextConv.h"
#include "platform/win/UiHandler.h"

namespace {
// Pictures and music named by a file are only opened when they are plain files: a device or a
// pipe could block or never end.
bool IsPlainFileOrMissing(const std::string& path) {
    return IsRegularFile(path) || (!FileExists(path) && !FolderExists(path));
}

// --- writing --------------------------------------------------------------------------------

void WriteRect(CXmlDoc& xml, int32_t x, int32_t y, int32_t cx, int32_t cy) {
    xml.AddElem("x", IntToXml(x));
    xml.AddElem("y", IntToXml(y));
    xml.AddElem("cx", IntToXml(cx));
    xml.AddElem("cy", IntToXml(cy));
}

void WriteEdit(CXmlDoc& xml, const COverlayData& edit) {
    const char* name = COverlayData::GetElementName(edit.kind);
    if (!*name) return;
    switch (edit.kind) {
    case COverlayData::KIND_TEXT: {
        const auto* text = dynamic_cast<const CTextOverlayData*>(&edit);
        if (!text) return;
        xml.AddElem(name);
        xml.IntoElem();
        xml.AddElem("TextContent", text->text);
        WriteRect(xml, text->x, text->y, text->cx, text->cy);
        xml.AddElem("FontName", std::string(text->faceName, strnlen(text->faceName, sizeof text->faceName)));
        xml.AddElem("FontHeight", IntToXml(text->fontHeight));
        xml.AddElem("FontColor", IntToXml(static_cast<int32_t>(text->color)));
        xml.AddElem("FontItalic", IntToXml(text->italic != 0 ? 1 : 0));
        xml.AddElem("FontWeight", IntToXml(text->fontWeight));
        xml.OutOfElem();
        return;
    }
    case COverlayData::KIND_IMAGE: {
        const auto* image = dynamic_cast<const CImageOverlayData*>(&edit);
        if (!image) return;
        xml.AddElem(name);
        xml.IntoElem();
        xml.AddElem("ImageName", image->path);
        WriteRect(xml, image->x, image->y, image->cx, image->cy);
        xml.OutOfElem();
        return;
    }
    case COverlayData::KIND_CROP: {
        const auto* crop = dynamic_cast<const CCropData*>(&edit);
        if (!crop) return;
        xml.AddElem(name);
        xml.IntoElem();
        xml.AddElem("upleft.x", IntToXml(crop->upleft.x));
        xml.AddElem("upleft.y", IntToXml(crop->upleft.y));
        xml.AddElem("downright.x", IntToXml(crop->downright.x));
        xml.AddElem("downright.y", IntToXml(crop->downright.y));
        xml.OutOfElem();
        return;
    }
    default:
        xml.AddElem(name);
        return;
    }
}

void WritePicture(CXmlDoc& xml, const CSlideItem& slide) {
    xml.AddElem("pic");
    xml.IntoElem();
    xml.AddElem("strOriginalFile", slide.m_strOriginalFile);
    xml.AddElem("m_strTempFile", slide.m_strTempFile);
    slide.m_Settings.Save(xml);
    xml.AddElem("General");
    xml.IntoElem();
    if (slide.BrightnessPos > 0) xml.AddElem("BrightnessPos", IntToXml(slide.BrightnessPos));
    if (slide.ContrastPos > 0) xml.AddElem("ContrastPos", IntToXml(slide.ContrastPos));
    if (slide.SharpenTimes > 0) xml.AddElem("SharpenTimes", IntToXml(slide.SharpenTimes));
    if (slide.SoftenTimes > 0) xml.AddElem("SoftenTimes", IntToXml(slide.SoftenTimes));
    xml.OutOfElem();
    for (const auto& edit : slide.m_lstEdits)
        if (edit) WriteEdit(xml, *edit);
    xml.OutOfElem();
}

// --- reading --------------------------------------------------------------------------------

// The next element of that name at the current level, its text in value.
bool Next(CXmlDoc& xml, const char* name, std::string& value) {
    if (!xml.FindElem(name)) return false;
    value = xml.GetData();
    return true;
}

bool NextInt(CXmlDoc& xml, const char* name, int32_t& value) {
    std::string text;
    if (!Next(xml, name, text)) return false;
    value = XmlToInt(text);
    return true;
}

bool ReadRect(CXmlDoc& xml, int32_t& x, int32_t& y, int32_t& cx, int32_t& cy) {
    return NextInt(xml, "x", x) && NextInt(xml, "y", y) && NextInt(xml, "cx", cx) && NextInt(xml, "cy", cy);
}

// The element's children read in place; the position is back on the element afterwards.
std::unique_ptr<COverlayData> ReadEdit(CXmlDoc& xml, int32_t kind, bool& ok) {
    ok = true;
    switch (kind) {
    case COverlayData::KIND_TEXT: {
        auto text = std::make_unique<CTextOverlayData>();
        std::string face;
        int32_t height = 0, color = 0, italic = 0, weight = 0;
        xml.IntoElem();
        ok = Next(xml, "TextContent", text->text) && ReadRect(xml, text->x, text->y, text->cx, text->cy) &&
             Next(xml, "FontName", face) && NextInt(xml, "FontHeight", height) && NextInt(xml, "FontColor", color) &&
             NextInt(xml, "FontItalic", italic) && NextInt(xml, "FontWeight", weight);
        xml.OutOfElem();
        if (!ok) return nullptr;
        // The face name is a fixed 32-byte field: 31 bytes at most, cut between characters.
        face = TruncateUtf8Bytes(face, LF_FACESIZE - 1);
        LOGFONT font{};
        font.lfWeight = weight;
        font.lfHeight = height;
        font.lfItalic = italic != 0 ? 1 : 0;
        std::memcpy(font.lfFaceName, face.data(), face.size());
        text->SetFont(font, 0, 0);  // the rectangle read above stays
        text->SetColor(static_cast<COLORREF>(color));
        return text;
    }
    case COverlayData::KIND_IMAGE: {
        auto image = std::make_unique<CImageOverlayData>();
        xml.IntoElem();
        ok = Next(xml, "ImageName", image->path) && ReadRect(xml, image->x, image->y, image->cx, image->cy);
        xml.OutOfElem();
        return ok ? std::move(image) : nullptr;
    }
    case COverlayData::KIND_CROP: {
        auto crop = std::make_unique<CCropData>();
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        xml.IntoElem();
        ok = NextInt(xml, "upleft.x", left) && NextInt(xml, "upleft.y", top) && NextInt(xml, "downright.x", right) &&
             NextInt(xml, "downright.y", bottom);
        xml.OutOfElem();
        if (!ok) return nullptr;
        crop->upleft = POINT{left, top};
        crop->downright = POINT{right, bottom};
        return crop;
    }
    default:
        return std::make_unique<COverlayData>(kind);
    }
}

void ReadGeneralValue(CXmlDoc& xml, const char* name, int32_t& value) {
    // The position among the children stays between calls: each value is looked up after the
    // one read before it, so the values count only in the order they are written.
    xml.IntoElem();
    NextInt(xml, name, value);
    xml.OutOfElem();
}

bool IsTime(int32_t seconds) { return seconds >= 0 && seconds <= CPreferenceFile::MAX_SECONDS; }
} // namespace

std::string CProjectFile::BuildText(const CProject& project) {
    CXmlDoc xml;
    xml.AddElem("vuzovez");
    xml.IntoElem();
    xml.AddElem("Preference File", project.m_Config.m_strPreferenceFile);
    xml.AddElem("Working Path", project.m_Config.m_strWorkingFolder);
    xml.AddElem("Temp Path", project.m_Settings.m_strTempPath);
    xml.AddElem("OutPut Path", project.m_Settings.m_strOutputPath);
    xml.AddElem("cuteslideshows");
    xml.IntoElem();
    for (const auto& show : project.m_arrSlideshows) {
        xml.AddElem("slideshow");
        xml.IntoElem();
        xml.AddElem("name", show->m_strName);
        xml.AddElem("cover index", IntToXml(show->GetCoverIndex()));
        for (const auto& audio : show->m_arrAudio) {
            xml.AddElem("audio");
            xml.IntoElem();
            xml.AddElem("originalFileName", audio->m_strOriginalPath);
            xml.OutOfElem();
        }
        for (const auto& slide : show->m_arrSlides) WritePicture(xml, *slide);
        xml.OutOfElem();
    }
    xml.OutOfElem();
    xml.AddElem("duviMenu");
    xml.OutOfElem();
    return xml.GetDoc();
}

BOOL CProjectFile::Save(CProject& project, bool showMessage) {
    if (!project.m_bModified) return FALSE;
    const std::string& path = project.m_Config.m_strProjectFile;
    if (!CXmlDoc::WriteTextFile(path, BuildText(project))) return FALSE;
    project.m_bModified = 0;
    if (showMessage) AppMessageBox("Save to '" + path + "' Success!", MB_OK);
    return TRUE;
}

BOOL CProjectFile::Load(CProject& project) {
    std::string text;
    uint64_t fileBytes = 0;
    if (!ReadDocumentText(project.m_Config.m_strProjectFile, text, fileBytes)) return FALSE;
    CXmlDoc xml;
    if (!xml.SetDoc(text)) {
        AppMessageBox("can not set Doc!", MB_OK);
        return FALSE;
    }
    if (!xml.FindElem("vuzovez") || !xml.IntoElem()) return FALSE;
    // The preference file stays the program's own, whatever path the project names.
    if (!xml.FindElem("Preference File")) return FALSE;
    project.LoadPreferences();
    std::string working, temp, output;
    if (!Next(xml, "Working Path", working) || !Next(xml, "Temp Path", temp) || !Next(xml, "OutPut Path", output))
        return FALSE;
    CWorkFolders::TakeStoredPaths(project, working, temp, output);

    while (xml.FindElem("cuteslideshows")) {
        xml.IntoElem();
        while (xml.FindElem("slideshow")) {
            xml.IntoElem();
            const ReadResult result = ReadSlideshow(project, xml);
            if (result == ReadResult::Failed) return FALSE;
            // Every further slideshow would be refused too.
            if (result == ReadResult::NoRoom) return TRUE;
            xml.OutOfElem();
        }
        xml.OutOfElem();
    }
    return TRUE;
}

CProjectFile::ReadResult CProjectFile::ReadSlideshow(CProject& project, CXmlDoc& xml) {
    std::string name;
    if (!Next(xml, "name", name)) return ReadResult::Failed;
    if (project.AddSlideshow(name) != 0)
        return project.GetSlideshowCount() >= MAX_SLIDESHOW_COUNT ? ReadResult::NoRoom : ReadResult::Skipped;
    CSlideShow* show = project.m_arrSlideshows.back().get();
    // A slideshow left without pictures is not kept, also when reading stops inside it.
    auto fail = [&project, show]() {
        if (show->GetSlideCount() == 0) project.DeleteSlideshow(show->GetIndex());
        return ReadResult::Failed;
    };

    int32_t cover = 0;
    if (!NextInt(xml, "cover index", cover)) return fail();
    while (xml.FindElem("audio")) {
        xml.IntoElem();
        std::string path;
        if (!Next(xml, "originalFileName", path)) return fail();
        if (IsPlainFileOrMissing(path)) show->AddAudioFile(path, project.m_Config.m_strWorkingFolder);
        xml.OutOfElem();
    }
    while (xml.FindElem("pic")) {
        xml.IntoElem();
        if (ReadPicture(project, *show, xml) == ReadResult::Failed) {
            show->RecalcTiming();
            return fail();
        }
        xml.OutOfElem();
    }
    if (show->GetSlideCount() == 0) {
        project.DeleteSlideshow(show->GetIndex());
        return ReadResult::Skipped;
    }
    // The slides' own times came after they were added.
    show->RecalcTiming();
    show->SetCoverSlide(std::clamp(cover, 0, show->GetSlideCount() - 1));
    return ReadResult::Done;
}

CProjectFile::ReadResult CProjectFile::ReadPicture(CProject& project, CSlideShow& show, CXmlDoc& xml) {
    std::string original;
    if (!Next(xml, "strOriginalFile", original)) return ReadResult::Failed;
    if (!IsRegularFile(original) || show.AddSlideFile(original, project.m_Settings) != 0) return ReadResult::Skipped;
    CSlideItem& slide = *show.m_arrSlides.back();

    std::string shown;
    // The turned copy is only taken while it is there; otherwise the slide shows its original, and
    // the log says so (a temp folder emptied by hand loses the turn, not the slide).
    if (Next(xml, "m_strTempFile", shown)) {
        if (shown == original || IsRegularFile(shown))
            slide.m_strTempFile = shown;
        else
            WriteLog("Picture '" + shown + "' is missing; showing '" + original + "'");
    }

    CEffectSetting& effect = slide.m_Settings.m_Effect;
    const int32_t display = effect.m_nSingleEffectTime;
    const int32_t transition = effect.m_nTransitionTime;
    if (!slide.m_Settings.Load(xml)) return ReadResult::Failed;
    // Times outside what the timing can count keep the values the slide had.
    if (!IsTime(effect.m_nSingleEffectTime)) effect.m_nSingleEffectTime = display;
    if (!IsTime(effect.m_nTransitionTime)) effect.m_nTransitionTime = transition;

    if (xml.FindElem("General")) {
        ReadGeneralValue(xml, "BrightnessPos", slide.BrightnessPos);
        ReadGeneralValue(xml, "ContrastPos", slide.ContrastPos);
        ReadGeneralValue(xml, "SharpenTimes", slide.SharpenTimes);
        ReadGeneralValue(xml, "SoftenTimes", slide.SoftenTimes);
    }
    return ReadEdits(slide, xml) ? ReadResult::Done : ReadResult::Failed;
}

bool CProjectFile::ReadEdits(CSlideItem& slide, CXmlDoc& xml) {
    while (xml.FindElem()) {
        const int32_t kind = COverlayData::FindKindByElement(xml.GetTagName());
        if (kind < 0) continue;
        bool ok = true;
        std::unique_ptr<COverlayData> edit = ReadEdit(xml, kind, ok);
        if (!ok) return false;
        slide.AddEdit(std::move(edit), kind);
    }
    return true;
}

// --- the engine's project-file operations --------------------------------------------------

BOOL CProject::SaveProject() { return CProjectFile::Save(*this, true); }

BOOL CProject::SaveProjectSilent() { return CProjectFile::Save(*this, false); }

BOOL CProject::LoadProject() { return CProjectFile::Load(*this); }
