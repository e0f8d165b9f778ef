// Files and folders. Plain global functions, like the rest of the platform layer; paths are
// UTF-8 with '/' separators. On failure they return false (or an empty list) and errno tells why.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// True when path names an existing file (anything but a folder; symbolic links followed).
bool FileExists(const std::string& path);
// True when path names an existing folder (symbolic links followed).
bool FolderExists(const std::string& path);
// True when path names a plain file: not a folder, pipe, socket or device (symbolic links
// followed). Such files are the only ones worth opening for reading, as the others may block.
bool IsRegularFile(const std::string& path);

// Creates the folder and any missing parents; true when the folder exists afterwards.
bool CreateFolder(const std::string& path);

// Creates an empty file, emptying an existing one; the parent folder must exist.
bool CreateEmptyFile(const std::string& path);

// Deletes a file (or a symbolic link itself); false for folders and missing paths.
bool DeleteFile(const std::string& path);

// Moves or renames a file or a folder. An existing target is an error unless replaceExisting,
// and even then a folder only replaces an empty folder. Across file systems the move becomes
// MoveByCopy.
bool MoveFile(const std::string& from, const std::string& to, bool replaceExisting = false);

// The cross-file-system move: copies the file or folder tree (contents, permissions, times,
// symbolic links) to a hidden temporary name beside the target, renames it into place and only
// then deletes the source. Any failure removes the partial copy and leaves the source as it was,
// so there is never a half-copied target. A folder is only copied to a target that does not
// exist. When the copy is in place but the source cannot be fully deleted, the move still
// counts as done. Special files (pipes, sockets, devices) cannot be copied.
bool MoveByCopy(const std::string& from, const std::string& to, bool replaceExisting = false);

// Size in bytes (0 for a folder) and modification time of a file or folder.
bool GetFileStatus(const std::string& path, uint64_t& size, std::time_t& mtime);

struct FoundFile {
    std::string name;     // the entry's name alone
    std::string path;     // the pattern's folder part joined with the name
    bool isFolder = false;
};

// Lists the entries of a folder whose names match a wildcard, as in FindFiles("dir/*.xml"):
// the folder part is taken as it is, the name part may hold '*' and '?' (nothing else is
// special), matched without regard to case; a trailing ".*" also matches names without an
// extension, so "*.*" matches everything. "." and ".." never appear; folders only with
// includeFolders. Sorted by name; empty when the folder is missing.
std::vector<FoundFile> FindFiles(const std::string& pattern, bool includeFolders = false);
