// One music entry of a slideshow: the file the user chose, the temporary mp2 file it is
// converted into before a video is made, its length and its start within the slideshow's music.
#pragma once

#include <cstdint>
#include <string>

class CAudioItem {
public:
    // A path whose file does not exist is replaced by the program's default music. The length
    // is measured at once through the audio converter library (0 when it is not music).
    CAudioItem(const std::string& path, const std::string& name, const std::string& tempMp2);

    // Start within the slideshow's music, with its "hh:mm:ss" text.
    void SetStart(int32_t seconds);
    // Temporary file = "<folder>/<file name with extension>.mp2".
    void SetTempFolder(const std::string& folder);

    std::string m_strOriginalPath; // the music file
    std::string m_strName;         // its file name with extension
    std::string m_strTempMp2;      // the temporary mp2 file
    int32_t m_nStart = 0;          // seconds
    std::string m_strStart = "00:00:00";
    int32_t m_nDuration = 0;       // seconds
    std::string m_strDuration = "00:00:00";
};
