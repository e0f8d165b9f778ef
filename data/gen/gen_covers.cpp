// Puts the transition covers into the program folder, one per catalogue entry under the name the
// catalogue gives it. Each shows its transition from "menu_pic/0.jpg" into "menu_pic/1.jpg" half
// way through, rendered as a video renders it (the slideshow renderer in encode mode, 24-bit
// frames, the kind's own renderer from the renderer table) and shrunk to cover size. Random
// resolves to a kind drawn with a fixed seed, as a slide's Random transition would.
//
// Usage: gen_covers <program folder>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "editor/AppDirectory.h"
#include "imagelib/PixImage.h"
#include "model/CSlideItem.h"
#include "model/CSlideShow.h"
#include "model/TransitionFactory.h"
#include "model/TransitionSettingCatalog.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/win/Random.h"
#include "render/EncodeJob.h"
#include "render/EncoderFrameBuffers.h"
#include "render/RenderCanvas.h"
#include "render/RenderJob.h"
#include "render/SingleEffectAnimator.h"
#include "render/SlideshowRenderer.h"

namespace fs = std::filesystem;

namespace {

// Rendered at three times the cover size and shrunk by area: smooth edges, sharp enough detail.
constexpr int32_t kCoverWidth = 120;
constexpr int32_t kCoverHeight = 90;
constexpr int32_t kScale = 3;
// Ten frames a second and a two-second transition: the first slide takes kFps frames, then
// transition frame kTransitionFrames / 3 is the one shown, a third of the way in (half-way, a
// turning picture stands edge-on or shrinks to a point and shows only the background).
constexpr int32_t kFps = 10;
constexpr int32_t kTransitionSeconds = 2;
constexpr int32_t kTransitionFrames = kFps * kTransitionSeconds;
// Random resolves with this seed to a kind away from its default parameters (a horizontal
// Shutter), so its cover differs from the kinds' own.
constexpr uint32_t kSeed = 3;

// The frame entry of the render: counts the frames handed to it and fails the one to keep, which
// ends the render with that frame still in the frame bitmap.
struct FrameStop {
    static constexpr int32_t kCaught = 100; // neither 0 (go on) nor 2 (stop requested)
    static inline int64_t framesBefore = 0;

    static int32_t Encode(const uint8_t*) { return framesBefore-- > 0 ? 0 : kCaught; }
};

bool Fail(const std::string& what) {
    std::fprintf(stderr, "gen_covers: %s\n", what.c_str());
    return false;
}

// The second slide comes in by `transition`; neither slide has a single effect.
std::unique_ptr<CSlideShow> MakeShow(const fs::path& root, const TransitionSetting& transition) {
    auto show = std::make_unique<CSlideShow>("cover", root.string(), root.string());
    for (const char* picture : {"menu_pic/0.jpg", "menu_pic/1.jpg"}) {
        std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile((root / picture).string());
        if (!slide) return nullptr;
        CEffectSetting& effect = slide->m_Settings.m_Effect;
        effect.m_nSingleEffectId = SINGLE_EFFECT_NONE;
        effect.m_nSingleEffectTime = 1;
        effect.m_nTransitionTime = kTransitionSeconds;
        effect.m_pTransition = CloneTransition(&transition);
        show->m_arrSlides.push_back(std::move(slide));
    }
    show->RecalcTiming();
    return show;
}

// Renders the shown frame of the transition into a picture of the frame's size.
bool RenderShownFrame(const fs::path& root, const TransitionSetting& transition, CPixImage& picture) {
    const std::unique_ptr<CSlideShow> show = MakeShow(root, transition);
    if (!show) return Fail("cannot open the preview pictures in " + (root / "menu_pic").string());
    const int32_t w = kCoverWidth * kScale;
    const int32_t h = kCoverHeight * kScale;
    EncodeJob encode;
    encode.m_pSlideshow = show.get();
    EncoderFrameBuffers buffers;
    if (!buffers.Allocate(w, h)) return Fail("cannot allocate the frame buffers");
    RenderCanvas canvas(w, h, Gdiplus::PixelFormat24bppRGB);
    RenderJob job;
    canvas.AttachForEncode(job, &encode, &buffers, &FrameStop::Encode);
    FrameStop::framesBefore = kFps + kTransitionFrames / 3;
    if (RenderSlideshow(job, show.get(), kFps) != FrameStop::kCaught)
        return Fail("the render of kind " + std::to_string(transition.m_nKind) + " ended before its shown frame");

    Gdiplus::BitmapData rows;
    const Gdiplus::Rect whole(0, 0, w, h);
    if (canvas.Frame()->LockBits(&whole, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat24bppRGB, &rows) != Gdiplus::Ok)
        return Fail("cannot read the rendered frame");
    // Frame rows run top first; the picture's bottom first.
    const bool made = picture.CreateFromArray(static_cast<BYTE*>(rows.Scan0), static_cast<DWORD>(w),
                                              static_cast<DWORD>(h), 24, static_cast<DWORD>(rows.Stride), true);
    canvas.Frame()->UnlockBits(&rows);
    return made || Fail("cannot copy the rendered frame");
}

bool RenderCover(const fs::path& root, const TransitionSetting& transition, const fs::path& cover) {
    CPixImage frame;
    if (!RenderShownFrame(root, transition, frame)) return false;
    CPixImage small;
    if (!frame.QIShrink(kCoverWidth, kCoverHeight, &small))
        return Fail(std::string("cannot shrink the frame: ") + frame.GetLastError());
    small.SetJpegQuality(90);
    if (!small.Save(cover.c_str(), PIXFORMAT_JPG))
        return Fail("cannot write " + cover.string() + ": " + small.GetLastError());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_covers <program folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    // Random's kind, and anything a renderer draws by chance, comes out the same on every run.
    SRand(kSeed);
    // The catalogue names its covers inside the program folder.
    SetAppDirectoryOverride((root / "").string());
    const TransitionSettingCatalog catalog;
    std::error_code ec;
    fs::create_directories(root / "EffectCover", ec);

    bool ok = true;
    for (int32_t i = 0; i < catalog.GetCount(); ++i) {
        const TransitionSetting* prototype = catalog.GetAt(i);
        ok = (prototype ? RenderCover(root, *prototype, catalog.GetCoverPath(i))
                        : Fail("no prototype at catalogue entry " + std::to_string(i))) &&
             ok;
    }
    return ok ? 0 : 1;
}
