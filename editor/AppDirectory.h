// The program folder: where the executable lies, with its trailing '/'. The program's data
// folders and the run-time libraries are found there; it is only read (see DataDirectory.h).
#pragma once

#include <string>

std::string GetAppDirectory();

// Points GetAppDirectory elsewhere (tests run from their own folder); "" restores the real one.
void SetAppDirectoryOverride(const std::string& folder);
