// Names of the per-run working folder and of the default project file; nothing is created.
#pragma once

#include <string>

// "<dataFolder>/Project_<n>" with n one above the highest number of the data folder's
// "Project_*" entries (Project_1 when there is none; gaps are not reused).
std::string CreateWorkingFolderName(const std::string& dataFolder);

// The first "<dataFolder>/project<n>.prg", n = 0, 1, ..., that cannot be opened for reading.
std::string GetFreeProjectFileName(const std::string& dataFolder);
