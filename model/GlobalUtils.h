// Small helpers several subsystems share: folder removal, path pieces, file extensions and image
// types, the picture file-dialog filter and file-size text.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <string>

// Removes a folder with everything in it; TRUE when the folder itself was removed. Symbolic
// links inside are removed as links, never followed. Refuses "", "/" and a path that is itself
// a link.
BOOL DeleteFolder(const std::string& path);

// "<folder>/<name>", without doubling a '/' that ends folder.
std::string JoinPath(const std::string& folder, const std::string& name);
// The text after the last '/'; the whole path when there is none.
std::string GetFileName(const std::string& path);
// The text before the last '/'; "" when there is none.
std::string GetFolderPart(const std::string& path);
// ASCII letters in lower case; other bytes as they are.
std::string ToLowerAscii(std::string text);

// The text after the last '.' of the whole path; "" when there is none.
std::string GetFileExt(const std::string& path);

// The image library's format id for a lower-case extension; 0 when unknown.
int GetImageTypeFromExt(const std::string& ext);

// File-dialog filter: "description\0patterns\0" per row, for opening (all rows) or saving
// (the rows a picture can be saved as). The text ends with its own NUL.
std::string BuildImageFileFilter(BOOL forOpening);

// A size in bytes as "<n>KB", "<n>MB" or "<n>GB".
std::string FormatFileSize(int64_t size);
