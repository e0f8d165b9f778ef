// The preference file "referenceFile.xml" in the data folder: the user's preferences, the
// project's default TV standard and times, and the transition catalogue ("EFFECT_SETS").
// Values are used only from a file of version "3.0.6" written for this data folder.
#pragma once

#include <cstdint>

class CProject;
class CXmlDoc;

class CPreferenceFile {
public:
    // Writes the file from the project's values (through a temporary file that replaces the
    // old one only when complete), then draws the project's random defaults anew. 0 or -1.
    static int32_t Save(CProject& project);

    // Reads the file into the project and rewrites it complete. A missing file is written from
    // the current values. A file that exists but cannot be read, cannot be parsed or lost text
    // in its UTF-16 conversion gives -1 and is left as it is. 0 or -1.
    static int32_t Load(CProject& project);

    // Longest display or transition time, in seconds, taken from the file.
    static constexpr int32_t MAX_SECONDS = 3600;

private:
    // The values in order; false at the first missing or unusable one (what came before stays).
    static bool ReadValues(CProject& project, CXmlDoc& xml);
};
