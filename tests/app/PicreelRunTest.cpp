#include "tests/app/PicreelRunTest.h"

#include <filesystem>

#include "editor/DataDirectory.h"
#include "model/COutputProfileGroupList.h"
#include "model/GlobalUtils.h"
#include "tests/support/MissingDependency.h"

namespace fs = std::filesystem;

std::vector<std::string> ProgramFolderProfiles() {
    std::vector<std::string> names;
    COutputProfileGroupList groups;
    groups.Load(PICREEL_PROGRAM_DIR);
    for (int32_t g = 0; g < groups.GetCount(); ++g)
        for (int32_t p = 0; p < groups.GetAt(g)->GetCount(); ++p)
            names.push_back(GetFileName(groups.GetAt(g)->m_strFolderPath) + "/" + std::to_string(p));
    return names;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

void PicreelRunTest::SetUp() {
    const std::string built = PICREEL_PROGRAM_DIR;
    for (const char* needed : {"picreel", "VelmorEncoder.so", "libxToMp2.so", "menu_pic/silent.mp2"})
        if (!fs::exists(built + needed)) SKIP_OR_FAIL_IN_CI(needed << " is not built");
    if (!ToolAvailable("ffprobe")) SKIP_OR_FAIL_IN_CI("ffprobe is missing");
    m_program = m_dir.File("program");
    fs::create_directories(m_program);
    for (const char* item : {"picreel", "VelmorEncoder.so", "libxToMp2.so", "profile", "menu_pic"})
        fs::copy(built + item, m_program + "/" + item, fs::copy_options::recursive);
    m_data = m_dir.File("data");
    m_dataEnv = std::make_unique<ScopedEnv>(DATA_DIRECTORY_VARIABLE, m_data);
}

void PicreelRunTest::ShortenSlides(const std::string& project) {
    std::string text = ReadFileBytes(project);
    ReplaceAll(text, "<SINGLE_EFFECT_TIME>3</SINGLE_EFFECT_TIME>",
               "<SINGLE_EFFECT_TIME>1</SINGLE_EFFECT_TIME>");
    ReplaceAll(text, "<TRANSITIO_EFFECT_TIME>2</TRANSITIO_EFFECT_TIME>",
               "<TRANSITIO_EFFECT_TIME>1</TRANSITIO_EFFECT_TIME>");
    WriteFileBytes(project, text);
}
