#include "tests/support/ShellCommand.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tests/support/TempDir.h"

namespace {

std::map<std::string, std::string> ParseKeyValues(const std::string& text) {
    std::map<std::string, std::string> values;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq != std::string::npos) values.emplace(line.substr(0, eq), line.substr(eq + 1));
    }
    return values;
}

}  // namespace

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    std::string errFile = (std::filesystem::temp_directory_path() / "picreel-stderr-XXXXXX").string();
    const int fd = mkstemp(errFile.data());
    if (fd < 0) return result;
    close(fd);
    FILE* pipe = popen(("(" + command + "\n) 2>" + ShellQuote(errFile)).c_str(), "r");
    if (pipe) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
        const int raw = pclose(pipe);
        result.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    result.err = ReadFileBytes(errFile);
    std::error_code ec;
    std::filesystem::remove(errFile, ec);
    return result;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool ToolAvailable(const std::string& tool) {
    return RunCommand(tool + " -version >/dev/null").status == 0;
}

std::map<std::string, std::string> ProbeStream(const std::string& file, const std::string& stream,
                                               const std::string& entries) {
    return ParseKeyValues(RunCommand("ffprobe -v error -count_frames -select_streams " + stream +
                                     " -show_entries stream" + (entries.empty() ? "" : "=" + entries) +
                                     " -of default=noprint_wrappers=1 " + ShellQuote(file))
                              .out);
}

std::map<std::string, std::string> ProbeFormat(const std::string& file) {
    return ParseKeyValues(
        RunCommand("ffprobe -v error -show_entries format -of default=noprint_wrappers=1 " + ShellQuote(file)).out);
}
