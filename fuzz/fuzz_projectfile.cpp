// Loads arbitrary bytes as a project file into a freshly started engine whose program folder is a
// temporary folder, saves what was read and reads that back: our own output must always load.
// Everything the engine writes (preferences, log, work folders, covers) stays in that folder.
// The folder holds two small pictures; "%P%" in the input stands for the folder's path, so that
// seeds can name them.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/AppDirectory.h"
#include "editor/DataDirectory.h"
#include "model/CProject.h"
#include "model/GlobalUtils.h"
#include "model/XmlDoc.h"
#include "platform/win/FileSystem.h"
#include "platform/win/ScriptedUiHandler.h"

namespace {
class ProgramFolder {
public:
    ProgramFolder() {
        std::string templ = (std::filesystem::temp_directory_path() / "picreel-fuzz-XXXXXX").string();
        if (!mkdtemp(templ.data())) return;
        m_path = templ;
        CXmlDoc::WriteTextFile(m_path + "/pic.bmp", Bmp(16, 12));
        CXmlDoc::WriteTextFile(m_path + "/pic2.bmp", Bmp(5, 7));
    }
    ~ProgramFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    const std::string& Path() const { return m_path; }

private:
    // A 24-bit picture, written field by field.
    static std::string Bmp(uint32_t width, uint32_t height) {
        const uint32_t stride = (width * 3 + 3) & ~3u;
        std::string b = "BM";
        auto u16 = [&b](uint32_t v) { b += static_cast<char>(v & 0xFF); b += static_cast<char>((v >> 8) & 0xFF); };
        auto u32 = [&u16](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
        u32(54 + stride * height); u32(0); u32(54);
        u32(40); u32(width); u32(height); u16(1); u16(24); u32(0); u32(stride * height); u32(0); u32(0); u32(0); u32(0);
        for (uint32_t k = 0; k < stride * height; ++k) b += static_cast<char>(k * 7);
        return b;
    }

    std::string m_path;
};

ProgramFolder& Folder() {
    static ProgramFolder folder;
    return folder;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// "%P%" becomes the program folder, in single-byte text and in UTF-16LE (the folder is ASCII).
std::string WithProgramFolder(const std::string& text, const std::string& program) {
    std::string wide;
    for (char c : program) (wide += c) += '\0';
    return ReplaceAll(ReplaceAll(text, "%P%", program), std::string("%\0P\0%\0", 6), wide);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string program = Folder().Path();
    if (program.empty()) return 0;
    SetAppDirectoryOverride(program);
    // The data folder is the same folder, so that "%P%" names the work folders a file may use.
    setenv(DATA_DIRECTORY_VARIABLE, program.c_str(), 1);
    auto ui = std::make_shared<ScriptedUiHandler>();
    auto previous = UiHandler::Install(ui);

    g_Project.Clear();
    g_Project.Init(program);
    const std::string input = program + "/input.prg";
    CXmlDoc::WriteTextFile(input, WithProgramFolder(std::string(reinterpret_cast<const char*>(data), size), program));
    g_Project.m_Config.m_strProjectFile = input;
    g_Project.LoadProject();

    const std::string saved = program + "/saved.prg";
    g_Project.m_Config.m_strProjectFile = saved;
    g_Project.m_bModified = 1;
    if (g_Project.SaveProjectSilent()) {
        g_Project.DeleteAllSlideshows();
        if (!g_Project.LoadProject()) __builtin_trap();
    }

    // Leave the program folder as it was for the next input.
    g_Project.Clear();
    for (const FoundFile& found : FindFiles(program + "/Project_*", true)) DeleteFolder(found.path);
    DeleteFile(input);
    DeleteFile(saved);
    UiHandler::Install(previous);
    return 0;
}
