// Runs the picreel executable from a copy of the program folder, so that the runs' work
// folders, log and preferences stay in a temporary folder, and probes the videos it makes.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/support/TempDir.h"

// A text quoted for the shell.
std::string ShellQuote(const std::string& text);

// Every occurrence of `from` in `text` replaced by `to`.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to);

class PicreelRunTest : public ::testing::Test {
protected:
    struct Outcome {
        int status = -1;
        std::string out;
        std::string err;
    };

    // Skips when picreel, its libraries or ffprobe are missing; copies the program folder.
    void SetUp() override;

    // A shell command line: its exit status and what it wrote.
    Outcome RunShell(const std::string& command) const;
    Outcome Picreel(const std::string& args) const {
        return RunShell(ShellQuote(m_program + "/picreel") + " " + args);
    }

    // ffprobe's values of the first stream of a kind ("v" or "a"), frames counted.
    std::map<std::string, std::string> Probe(const std::string& file, const std::string& stream,
                                             const std::string& entries) const;

    // Every slide of the project file shown for 1 s with a 1 s transition instead of the
    // default 3 s and 2 s.
    static void ShortenSlides(const std::string& project);

    TempDir m_dir;
    std::string m_program;
};
