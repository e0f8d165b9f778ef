// Shell commands run from the tests: the outside tools (ffprobe, ffmpeg, the picreel program)
// that check what the system wrote, as a real client would.
#pragma once

#include <map>
#include <string>

struct CommandResult {
    int status = -1;  // exit status; -1 when the command could not run or was killed
    std::string out;
    std::string err;
};

// Runs a shell command line and returns its exit status and what it wrote on each stream.
CommandResult RunCommand(const std::string& command);

// A text quoted for the shell.
std::string ShellQuote(const std::string& text);

// Whether a tool answers `<tool> -version`.
bool ToolAvailable(const std::string& tool);

// ffprobe's "key=value" lines for one stream ("v:0", "a:0") of a file, frames counted; every
// entry of the stream unless `entries` names some ("codec_name,width").
std::map<std::string, std::string> ProbeStream(const std::string& file, const std::string& stream,
                                               const std::string& entries = "");
// ffprobe's "key=value" lines for the container.
std::map<std::string, std::string> ProbeFormat(const std::string& file);
