// Runs the picreel executable from a copy of the program folder with a data folder of its own,
// so that the runs' work folders, log and preferences stay in a temporary folder, and probes
// the videos it makes.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ScopedEnv.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"

// "GROUP/PROFILE" for every profile of the built program folder.
std::vector<std::string> ProgramFolderProfiles();

// Every occurrence of `from` in `text` replaced by `to`.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to);

class PicreelRunTest : public ::testing::Test {
protected:
    using Outcome = CommandResult;

    // Skips when picreel, its libraries or ffprobe are missing; copies the program folder and
    // points the runs (child processes of this one) at the data folder.
    void SetUp() override;

    Outcome Picreel(const std::string& args) const {
        return RunCommand(ShellQuote(m_program + "/picreel") + " " + args);
    }

    // ffprobe's values of the first stream of a kind ("v" or "a"), frames counted.
    static std::map<std::string, std::string> Probe(const std::string& file, const std::string& stream,
                                                    const std::string& entries) {
        return ProbeStream(file, stream + ":0", entries);
    }

    // Every slide of the project file shown for 1 s with a 1 s transition instead of the
    // default 3 s and 2 s.
    static void ShortenSlides(const std::string& project);

    TempDir m_dir;
    std::string m_program;
    std::string m_data;
    std::unique_ptr<ScopedEnv> m_dataEnv;
};
