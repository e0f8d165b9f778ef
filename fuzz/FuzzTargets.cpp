// Every fuzz target, picked by the name the build gives (PICREEL_FUZZ_TARGET): each executable
// fuzz_<name> runs the function of that name on every input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "editor/AppDirectory.h"
#include "editor/DataDirectory.h"
#include "imagelib/PixImage.h"
#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixExifInfo.h"
#include "imagelib/codecs/PixImageBMP.h"
#include "imagelib/codecs/PixImageGIF.h"
#include "imagelib/codecs/PixImageICO.h"
#include "imagelib/codecs/PixImageJ2K.h"
#include "imagelib/codecs/PixImageJPG.h"
#include "imagelib/codecs/PixImagePCX.h"
#include "imagelib/codecs/PixImagePNG.h"
#include "imagelib/codecs/PixImageTGA.h"
#include "imagelib/codecs/PixImageTIF.h"
#include "imagelib/codecs/PixImageWBMP.h"
#include "imagelib/codecs/PixImageWMF.h"
#include "model/CProject.h"
#include "model/GlobalUtils.h"
#include "model/XmlDoc.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/FileSystem.h"
#include "platform/win/ScriptedUiHandler.h"
#include "platform/win/TextConv.h"

namespace {

// Larger inputs are skipped: the streams count in 32 bits and a round should stay quick. The
// pixel cap keeps a few header bytes from asking for gigabytes.
constexpr size_t kMaxInputBytes = size_t{1} << 24;
constexpr uint64_t kMaxPixels = uint64_t{1} << 22;

BYTE* Bytes(const uint8_t* data) { return const_cast<BYTE*>(data); }

CPixMemFile Input(const uint8_t* data, size_t size) { return CPixMemFile(Bytes(data), static_cast<DWORD>(size)); }

// True when the input is within kMaxInputBytes and its picture small enough to decode whole: a
// PNG's size from its IHDR, any other from the decoder's size-only request.
bool SmallEnough(const uint8_t* data, size_t size, DWORD type) {
    if (size > kMaxInputBytes) return false;
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    auto be32 = [data](size_t at) {
        return (uint64_t{data[at]} << 24) | (data[at + 1] << 16) | (data[at + 2] << 8) | data[at + 3];
    };
    if (size >= 24 && std::memcmp(data, png, 8) == 0) return be32(16) * be32(20) <= kMaxPixels;
    CPixImage probe;
    probe.SetEscape(-1);
    if (!probe.Decode(Bytes(data), static_cast<DWORD>(size), type)) return true;
    return uint64_t{probe.GetWidth()} * probe.GetHeight() <= kMaxPixels;
}

// Decodes the bytes with the codec and, when that succeeds, writes the picture back to memory.
template <class Image> bool DecodeAndEncode(Image& img, const uint8_t* data, size_t size) {
    CPixMemFile in = Input(data, size);
    if (!img.Decode(&in)) return false;
    CPixMemFile out;
    out.Open();
    img.Encode(&out);
    return true;
}

// The first frames (up to kFrames, as many as the file has), each written back.
template <class Image, DWORD kType, long kFrames = 1> void Codec(const uint8_t* data, size_t size) {
    if (!SmallEnough(data, size, kType)) return;
    for (long frame = 0; frame < kFrames; ++frame) {
        Image img;
        img.SetFrame(frame);
        if (!DecodeAndEncode(img, data, size) || img.GetNumFrames() <= frame + 1) return;
    }
}

// The dispatch finds the format (type 0) of arbitrary bytes, as a load of an unknown file does.
void Detect(const uint8_t* data, size_t size) {
    if (!SmallEnough(data, size, PIXFORMAT_UNKNOWN)) return;
    CPixImage img;
    img.Decode(Bytes(data), static_cast<DWORD>(size), PIXFORMAT_UNKNOWN);
}

// Width times height a packed DIB's header claims.
uint64_t ClaimedPixels(const uint8_t* d, size_t size) {
    auto le = [d](size_t at, int n) {
        uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | d[at + i];
        return v;
    };
    if (size >= 8 && le(0, 4) == 12) return le(4, 2) * le(6, 2);
    if (size < 12) return 0;
    const int64_t w = static_cast<int32_t>(le(4, 4)), h = static_cast<int32_t>(le(8, 4));
    return static_cast<uint64_t>(std::llabs(w)) * static_cast<uint64_t>(std::llabs(h));
}

// Reads a packed DIB from global memory, copies the picture out to a new block and reads that
// back: the copy must give the same block.
void DibHandle(const uint8_t* data, size_t size) {
    if (size > kMaxInputBytes || ClaimedPixels(data, size) > kMaxPixels) return;
    HGLOBAL in = GlobalAlloc(GHND, size);
    if (size) std::memcpy(GlobalLock(in), data, size), GlobalUnlock(in);
    CPixImage img;
    if (img.CreateFromHANDLE(in)) {
        HANDLE out = img.CopyToHandle();
        CPixImage again;
        if (!out || !again.CreateFromHANDLE(out) || again.GetSize() != img.GetSize() ||
            std::memcmp(again.GetDIB(), img.GetDIB(), static_cast<size_t>(img.GetSize())) != 0)
            std::abort();
        GlobalFree(out);
    }
    GlobalFree(in);
}

// A GIF written back, alone and as a two-frame animation. True-colour pictures become tiles of
// 255 pixels, each with its own code tables, which takes seconds under the sanitizers: they
// stay smaller.
void GifBack(CPixImageGIF& img) {
    const uint64_t pixels = uint64_t{img.GetWidth()} * img.GetHeight();
    if (!img.IsValid() || pixels > (img.GetBpp() > 8 ? uint64_t{1} << 17 : uint64_t{1} << 20)) return;
    CPixMemFile out;
    out.Open();
    img.Encode(&out);
    if (img.GetBpp() > 8) return;
    CPixImage* frames[] = {&img, &img};
    CPixMemFile pages;
    pages.Open();
    CPixImageGIF anim;
    anim.Encode(&pages, frames, 2, true);
}

// The first and the last frame of a GIF, each written back.
void Gif(const uint8_t* data, size_t size) {
    if (!SmallEnough(data, size, PIXFORMAT_GIF)) return;
    CPixImageGIF img;
    CPixMemFile in = Input(data, size);
    if (!img.Decode(&in)) return;
    GifBack(img);
    if (img.GetNumFrames() <= 1) return;
    CPixImageGIF last;
    last.SetFrame(img.GetNumFrames() - 1);
    CPixMemFile again = Input(data, size);
    if (last.Decode(&again)) GifBack(last);
}

// JPEG 2000 files and code streams, PGX, PNM and Sun raster files (each frame of a
// multi-component file, up to a few), written back as the format they were.
void J2k(const uint8_t* data, size_t size) {
    if (!SmallEnough(data, size, PIXFORMAT_PNM)) return;
    for (long frame = 0; frame < 3; ++frame) {
        CPixImageJ2K img;
        img.SetFrame(frame);
        CPixMemFile in = Input(data, size);
        if (!img.Decode(&in)) return;
        CPixMemFile out;
        out.Open();
        img.Encode(&out, img.GetType());
        if (img.GetNumFrames() <= frame + 1) return;
    }
}

// The EXIF section reader alone, keeping everything for a rewrite; then the picture, saved again
// with its EXIF block in front of the new data.
void Jpeg(const uint8_t* data, size_t size) {
    using Exif = CPixImageJPG::CPixExifInfo;
    if (size > kMaxInputBytes) return;
    Exif reader;
    CPixMemFile in = Input(data, size);
    if (reader.DecodeExif(&in, Exif::kReadExif | Exif::kReadAll)) {
        CPixMemFile out;
        out.Open();
        reader.EncodeExif(&out);
    }
    if (!SmallEnough(data, size, PIXFORMAT_JPG)) return;
    CPixImageJPG img;
    if (size > 0) img.SetJpegScale(static_cast<BYTE>(data[size - 1] & 3)); // also exercise scaling
    DecodeAndEncode(img, data, size);
}

// Placeable and enhanced metafiles played at a forced small size, then at their own size when
// that is small (a header can ask for 4000 x 4000).
void Wmf(const uint8_t* data, size_t size) {
    if (size > kMaxInputBytes) return;
    CPixImageWMF small, own, probe;
    CPixMemFile in = Input(data, size), again = Input(data, size), probing = Input(data, size);
    small.Decode(&in, 64, 64);
    probe.SetEscape(-1);
    if (probe.Decode(&probing) && uint64_t{probe.GetWidth()} * probe.GetHeight() <= kMaxPixels)
        own.Decode(&again, 0, 0);
}

// A document (after the readers' UTF-16 rule), walked depth first, read and edited: every edit
// must keep the text parseable.
void XmlDoc(const uint8_t* data, size_t size) {
    CXmlDoc doc;
    if (!doc.SetDoc(DecodeTextBytes(std::string(reinterpret_cast<const char*>(data), size)))) return;
    for (int steps = 1; steps <= 1000; ++steps) {
        if (doc.FindElem()) {
            doc.GetData();
            doc.GetTagName();
            doc.GetAttrib("NAME");
            if ((steps & 7) == 0) doc.SetAttrib("NAME", "v<&>\"'");
            if ((steps & 15) == 0) doc.AddChildElem("added child", "x&y");
            doc.IntoElem();
        } else if (!doc.OutOfElem()) {
            break;
        }
    }
    CXmlDoc again;
    if (!again.SetDoc(doc.GetDoc())) __builtin_trap();
}

// The engine's program folder for project files: a temporary folder holding two small pictures.
class ProgramFolder {
public:
    ProgramFolder() {
        std::string templ = (std::filesystem::temp_directory_path() / "picreel-fuzz-XXXXXX").string();
        if (!mkdtemp(templ.data())) return;
        m_path = templ;
        CPixImage(16, 12, 24).Save((m_path + "/pic.bmp").c_str(), PIXFORMAT_BMP);
        CPixImage(5, 7, 24).Save((m_path + "/pic2.bmp").c_str(), PIXFORMAT_BMP);
    }
    ~ProgramFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    std::string m_path;
};

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Loads the bytes as a project file into a freshly started engine, saves what was read and reads
// that back: our own output must always load. "%P%" in the input (single-byte or UTF-16LE) stands
// for the program folder, which is also the data folder, so that seeds can name its pictures and
// work folders; everything the engine writes stays there and goes again after each input.
void ProjectFile(const uint8_t* data, size_t size) {
    static ProgramFolder folder;
    const std::string program = folder.m_path;
    if (program.empty()) return;
    SetAppDirectoryOverride(program);
    setenv(DATA_DIRECTORY_VARIABLE, program.c_str(), 1);
    auto previous = UiHandler::Install(std::make_shared<ScriptedUiHandler>());
    std::string wide;
    for (char c : program) (wide += c) += '\0';
    const std::string text(reinterpret_cast<const char*>(data), size);

    g_Project.Clear();
    g_Project.Init(program);
    const std::string input = program + "/input.prg", saved = program + "/saved.prg";
    CXmlDoc::WriteTextFile(input, ReplaceAll(ReplaceAll(text, "%P%", program), std::string("%\0P\0%\0", 6), wide));
    g_Project.m_Config.m_strProjectFile = input;
    g_Project.LoadProject();
    g_Project.m_Config.m_strProjectFile = saved;
    g_Project.m_bModified = 1;
    if (g_Project.SaveProjectSilent()) {
        g_Project.DeleteAllSlideshows();
        if (!g_Project.LoadProject()) __builtin_trap();
    }

    g_Project.Clear();
    for (const FoundFile& found : FindFiles(program + "/Project_*", true)) DeleteFolder(found.path);
    DeleteFile(input);
    DeleteFile(saved);
    UiHandler::Install(previous);
}

using Target = void (*)(const uint8_t*, size_t);
const std::map<std::string_view, Target> kTargets = {
    {"bmp", Codec<CPixImageBMP, PIXFORMAT_BMP>},
    {"detect", Detect},
    {"dibhandle", DibHandle},
    {"gif", Gif},
    {"ico", Codec<CPixImageICO, PIXFORMAT_ICO>},
    {"j2k", J2k},
    {"jpeg", Jpeg},
    {"pcx", Codec<CPixImagePCX, PIXFORMAT_PCX>},
    {"png", Codec<CPixImagePNG, PIXFORMAT_PNG>},
    {"projectfile", ProjectFile},
    {"tga", Codec<CPixImageTGA, PIXFORMAT_TGA>},
    {"tiff", Codec<CPixImageTIF, PIXFORMAT_TIF, 4>},
    {"wbmp", Codec<CPixImageWBMP, PIXFORMAT_WBMP>},
    {"wmf", Wmf},
    {"xmldoc", XmlDoc},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Target target = kTargets.at(PICREEL_FUZZ_TARGET);
    target(data, size);
    return 0;
}
