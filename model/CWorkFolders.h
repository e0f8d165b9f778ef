// The project's work folders: the per-run working folder "Project_<n>" under the data folder,
// its "temp" folder (edited pictures, mp2 and intermediate files) and its default "Output"
// folder. Decides which folders the program may treat as its own: only those are ever emptied
// or removed, and only those are taken from a project file.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

class CProject;

class CWorkFolders {
public:
    // New project: a fresh working folder name; temp and output below it; all three created.
    static void PrepareNew(CProject& project);

    // Moves the temp folder to "<folder>/temp". Every entry of the old temp folder moves along
    // (across file systems by copy, then delete); the old folder is deleted only when all of
    // them moved. Refuses an empty folder, a new temp folder inside the old one and a folder
    // that cannot be created. The same folder (also through a link) moves nothing.
    static BOOL MoveTemp(CProject& project, const std::string& folder);

    // When the project file does not exist: deletes the temp folder with its contents, then
    // removes the output and working folders if they are empty.
    static void RemoveUnsaved(CProject& project);

    // The paths a project file names, taken only when they are the program's own work folders:
    // a working folder "<data folder>/Project_<n>" and its "temp" and "Output" folders.
    // Anything else leaves the current path in place. False when something was not taken.
    static bool TakeStoredPaths(CProject& project, const std::string& working, const std::string& temp,
                                const std::string& output);

    // The path without "." and ".." steps, doubled or trailing '/'.
    static std::string Normalize(const std::string& path);
    // "<dataFolder>/Project_<digits>".
    static bool IsOwnWorkingFolder(const std::string& path, const std::string& dataFolder);
    // A folder that may be deleted with its contents as a temp folder: an absolute path named
    // "temp" below some folder other than the root, and not a symbolic link.
    static bool IsDeletableTempFolder(const std::string& path);
    // True when path lies strictly inside folder, by the text of the paths or where they lead.
    static bool IsInside(const std::string& path, const std::string& folder);
};
