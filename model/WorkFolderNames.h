// Names of the per-run working folder and of the default project file; nothing is created.
#pragma once

#include <string>

// "<programFolder>/Project_<n>" with n one above the highest number of the program folder's
// "Project_*" entries (Project_1 when there is none; gaps are not reused).
std::string CreateWorkingFolderName(const std::string& programFolder);

// The first "<programFolder>/project<n>.prg", n = 0, 1, ..., that cannot be opened for reading.
std::string GetFreeProjectFileName(const std::string& programFolder);
