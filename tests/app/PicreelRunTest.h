// Runs the picreel executable from a copy of the program folder with a data folder of its own,
// so that the runs' work folders, log and preferences stay in a temporary folder, and probes
// the videos it makes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/COutputProfileGroupList.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"

// "GROUP/PROFILE" for every profile of the built program folder.
std::vector<std::string> ProgramFolderProfiles();

// Frames a second of a profile's rate text ("29.97" is 30000/1001).
double FramesPerSecond(const std::string& rate);

class PicreelRunTest : public ::testing::Test {
protected:
    using Outcome = CommandResult;

    // Skips when picreel, its libraries or ffprobe are missing; copies the program folder and
    // points the runs (child processes of this one) at the data folder.
    void SetUp() override;

    Outcome Picreel(const std::string& args) const {
        return RunCommand(ShellQuote(m_program + "/picreel") + " " + args);
    }

    // "picreel new" of the pictures (shell-quoted paths or folders, space-separated); with
    // `shorten`, every slide is then shown for 1 s with a 1 s transition instead of 3 s and 2 s.
    void NewProject(const std::string& project, const std::string& pictures, bool shorten = true);

    // The profile "GROUP/N" of the program folder copy; nullptr (and a failure) when there is none.
    const COutputProfile* Profile(const std::string& name);

    TempDir m_dir;
    std::string m_program;
    std::string m_data;
    std::unique_ptr<ScopedEnv> m_dataEnv;
    COutputProfileGroupList m_groups;
};
