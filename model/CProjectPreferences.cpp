#include "model/CProject.h"

// The preference file is not kept yet: nothing is read or written, and the values in memory
// stay as they are.
int32_t CProject::LoadPreferences() { return 0; }

int32_t CProject::SavePreferences() { return 0; }
