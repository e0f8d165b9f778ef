// The program folder: where the executable lies, with its trailing '/'. The data folders,
// the run-time libraries, the log and the preference file are found there.
#pragma once

#include <string>

std::string GetAppDirectory();

// Points GetAppDirectory elsewhere (tests run from their own folder); "" restores the real one.
void SetAppDirectoryOverride(const std::string& folder);
