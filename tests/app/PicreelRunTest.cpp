#include "tests/app/PicreelRunTest.h"

#include <cstdlib>
#include <filesystem>

#include "app/CPicreelCommands.h"
#include "editor/DataDirectory.h"
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

double FramesPerSecond(const std::string& rate) {
    return rate == "29.97" ? 30000.0 / 1001 : std::atof(rate.c_str());
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

void PicreelRunTest::NewProject(const std::string& project, const std::string& pictures, bool shorten) {
    const Outcome made = Picreel("new " + ShellQuote(project) + " " + pictures);
    ASSERT_EQ(made.status, 0) << made.err;
    if (!shorten) return;
    std::string text = ReadFileBytes(project);
    for (const auto& [from, to] : {std::pair{"<SINGLE_EFFECT_TIME>3<", "<SINGLE_EFFECT_TIME>1<"},
                                   {"<TRANSITIO_EFFECT_TIME>2<", "<TRANSITIO_EFFECT_TIME>1<"}})
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
            text.replace(at, std::string(from).size(), to);
    WriteFileBytes(project, text);
}

const COutputProfile* PicreelRunTest::Profile(const std::string& name) {
    if (m_groups.GetCount() == 0) m_groups.Load(m_program);
    int32_t g = -1, p = -1;
    std::string error;
    if (CPicreelCommands::FindProfile(m_groups, name, g, p, error)) return m_groups.GetAt(g)->GetAt(p);
    ADD_FAILURE() << error;
    return nullptr;
}
