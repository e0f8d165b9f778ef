#include "tests/app/PicreelRunTest.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

void PicreelRunTest::SetUp() {
    const std::string built = PICREEL_PROGRAM_DIR;
    for (const char* needed : {"picreel", "VelmorEncoder.so", "libxToMp2.so", "menu_pic/silent.mp2"})
        if (!fs::exists(built + needed)) GTEST_SKIP() << needed << " is not built";
    if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffprobe is missing";
    m_program = m_dir.File("program");
    fs::create_directories(m_program);
    for (const char* item : {"picreel", "VelmorEncoder.so", "libxToMp2.so", "profile", "menu_pic"})
        fs::copy(built + item, m_program + "/" + item, fs::copy_options::recursive);
}

PicreelRunTest::Outcome PicreelRunTest::RunShell(const std::string& command) const {
    const std::string out = m_dir.File("stdout.txt");
    const std::string err = m_dir.File("stderr.txt");
    Outcome outcome;
    const int raw = std::system((command + " >" + ShellQuote(out) + " 2>" + ShellQuote(err)).c_str());
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadFileBytes(out);
    outcome.err = ReadFileBytes(err);
    return outcome;
}

std::map<std::string, std::string> PicreelRunTest::Probe(const std::string& file, const std::string& stream,
                                                         const std::string& entries) const {
    const Outcome probe = RunShell("ffprobe -v error -count_frames -select_streams " + stream +
                                   ":0 -show_entries stream=" + entries + " -of default=noprint_wrappers=1 " +
                                   ShellQuote(file));
    std::map<std::string, std::string> values;
    size_t start = 0;
    while (start < probe.out.size()) {
        const size_t end = probe.out.find('\n', start);
        const std::string line = probe.out.substr(start, end - start);
        const size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return values;
}

void PicreelRunTest::ShortenSlides(const std::string& project) {
    std::string text = ReadFileBytes(project);
    ReplaceAll(text, "<SINGLE_EFFECT_TIME>3</SINGLE_EFFECT_TIME>",
               "<SINGLE_EFFECT_TIME>1</SINGLE_EFFECT_TIME>");
    ReplaceAll(text, "<TRANSITIO_EFFECT_TIME>2</TRANSITIO_EFFECT_TIME>",
               "<TRANSITIO_EFFECT_TIME>1</TRANSITIO_EFFECT_TIME>");
    WriteFileBytes(project, text);
}
