// The program's log: one line per message, "<time>: <message>\n", appended to "log.txt" in the
// data folder unless the settings point it elsewhere. Best effort: failures are ignored.
#pragma once

#include <string>

void WriteLog(const std::string& message);

// "" goes back to "log.txt" in the data folder.
void SetLogFilePath(const std::string& path);
std::string GetLogFilePath();
