// The user's data folder: what the program writes (the log, the preference file, the
// "Project_<n>" working folders) lives there, so that the program folder is only read.
#pragma once

#include <string>

// Names the data folder in place of the default one.
constexpr const char* DATA_DIRECTORY_VARIABLE = "PICREEL_DATA_DIR";

// With a trailing '/': $PICREEL_DATA_DIR when set, else "$XDG_DATA_HOME/picreel" when that is an
// absolute path, else "$HOME/.local/share/picreel" (the home folder from the user database when
// HOME is not set, the current folder without one). Always absolute. Read anew on every call;
// nothing is created.
std::string GetDataDirectory();

// Creates the data folder with every missing parent, each readable by the user alone; false when
// it is not a folder afterwards.
bool CreateDataDirectory(const std::string& folder);
