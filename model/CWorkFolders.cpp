#include "model/CWorkFolders.h"

#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include "model/CProject.h"
#include "model/GlobalUtils.h"
#include "model/Log.h"
#include "platform/win/FileSystem.h"

namespace fs = std::filesystem;

namespace {
// The folder a normalized path lies in: "/" for a name in the root, "" for a bare name.
std::string ParentOf(const std::string& normalized) {
    return normalized.find_last_of('/') == 0 ? std::string("/") : GetFolderPart(normalized);
}

bool IsLink(const std::string& path) {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(path, ec));
}

// Where a path leads, links resolved as far as the path exists; "" when that cannot be told.
std::string Resolved(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(fs::path(path), ec);
    return ec ? std::string() : CWorkFolders::Normalize(p.string());
}

bool StartsWithFolder(const std::string& path, const std::string& folder) {
    if (path.empty() || folder.empty()) return false;
    if (folder == "/") return path.size() > 1 && path[0] == '/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// A folder of that name inside some folder other than the root, by the text of the path.
bool HasNameAndNonRootParent(const std::string& path, const std::string& name) {
    const std::string normalized = CWorkFolders::Normalize(path);
    const std::string parent = ParentOf(normalized);
    return GetFileName(normalized) == name && !parent.empty() && parent != "/";
}

// Removes a folder only when it is empty.
void RemoveEmptyFolder(const std::string& path) {
    if (!path.empty() && !IsLink(path)) ::rmdir(path.c_str());
}
} // namespace

std::string CWorkFolders::Normalize(const std::string& path) {
    if (path.empty()) return path;
    std::string text = fs::path(path).lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

bool CWorkFolders::IsOwnWorkingFolder(const std::string& path, const std::string& dataFolder) {
    if (path.empty() || dataFolder.empty()) return false;
    const std::string normalized = Normalize(path);
    if (ParentOf(normalized) != Normalize(dataFolder)) return false;
    const std::string leaf = GetFileName(normalized);
    const std::string prefix = "Project_";
    if (leaf.size() <= prefix.size() || leaf.compare(0, prefix.size(), prefix) != 0) return false;
    for (size_t k = prefix.size(); k < leaf.size(); ++k)
        if (leaf[k] < '0' || leaf[k] > '9') return false;
    return true;
}

bool CWorkFolders::IsDeletableTempFolder(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    return HasNameAndNonRootParent(path, "temp") && !IsLink(Normalize(path));
}

bool CWorkFolders::IsInside(const std::string& path, const std::string& folder) {
    if (StartsWithFolder(Normalize(path), Normalize(folder))) return true;
    const std::string resolvedPath = Resolved(path);
    const std::string resolvedFolder = Resolved(folder);
    return StartsWithFolder(resolvedPath, resolvedFolder);
}

void CWorkFolders::PrepareNew(CProject& project) {
    project.m_Config.ResetWorkingFolder();
    project.m_Settings.ResetPaths(project.m_Config.m_strWorkingFolder);
    CreateFolder(project.m_Config.m_strWorkingFolder);
    CreateFolder(project.m_Settings.m_strTempPath);
    CreateFolder(project.m_Settings.m_strOutputPath);
}

BOOL CWorkFolders::MoveTemp(CProject& project, const std::string& folder) {
    if (folder.empty()) return FALSE;
    const std::string base = Normalize(folder);
    const std::string newTemp = JoinPath(base, "temp");
    const std::string oldTemp = project.m_Settings.m_strTempPath;
    if (Normalize(newTemp) == Normalize(oldTemp)) return TRUE;
    // Moving a folder's entries into a folder inside it would chase its own tail.
    if (!oldTemp.empty() && IsInside(newTemp, oldTemp)) return FALSE;
    if (!CreateFolder(newTemp)) return FALSE;

    // The same folder under another name (a link) has nothing to move; only a folder of our
    // own is emptied and deleted.
    const bool sameFolder = !oldTemp.empty() && Resolved(newTemp) == Resolved(oldTemp);
    if (!sameFolder && IsDeletableTempFolder(oldTemp) && FolderExists(oldTemp)) {
        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(oldTemp, ec), end; !ec && it != end; it.increment(ec))
            names.push_back(it->path().filename().string());
        bool allMoved = !ec;
        for (const std::string& name : names)
            if (!MoveFile(JoinPath(oldTemp, name), JoinPath(newTemp, name))) allMoved = false;
        // Whatever could not be moved stays where it was, with its folder.
        if (allMoved) DeleteFolder(oldTemp);
        else WriteLog("Some files stay in the old temp folder " + oldTemp);
    }

    project.m_Settings.ResetPaths(base);
    for (auto& show : project.m_arrSlideshows) show->SetTempFolder(project.m_Settings.m_strTempPath);
    return TRUE;
}

void CWorkFolders::RemoveUnsaved(CProject& project) {
    uint64_t size = 0;
    std::time_t mtime = 0;
    if (GetFileStatus(project.m_Config.m_strProjectFile, size, mtime)) return;
    const std::string& temp = project.m_Settings.m_strTempPath;
    if (IsDeletableTempFolder(temp)) DeleteFolder(temp);
    const std::string& output = project.m_Settings.m_strOutputPath;
    if (HasNameAndNonRootParent(output, "Output")) RemoveEmptyFolder(Normalize(output));
    const std::string& working = project.m_Config.m_strWorkingFolder;
    if (IsOwnWorkingFolder(working, project.m_Config.m_strDataPath)) RemoveEmptyFolder(working);
}

bool CWorkFolders::TakeStoredPaths(CProject& project, const std::string& working, const std::string& temp,
                                   const std::string& output) {
    bool allTaken = true;
    if (IsOwnWorkingFolder(working, project.m_Config.m_strDataPath)) project.m_Config.m_strWorkingFolder = working;
    else allTaken = false;
    const std::string base = Normalize(project.m_Config.m_strWorkingFolder);
    if (Normalize(temp) == JoinPath(base, "temp")) project.m_Settings.m_strTempPath = temp;
    else allTaken = false;
    if (Normalize(output) == JoinPath(base, "Output")) project.m_Settings.m_strOutputPath = output;
    else allTaken = false;
    return allTaken;
}

// --- the engine's work-folder operations ---------------------------------------------------

void CProject::PrepareNewProjectFolders() { CWorkFolders::PrepareNew(*this); }

BOOL CProject::SetWorkingFolder(const std::string& folder) { return CWorkFolders::MoveTemp(*this, folder); }

void CProject::RemoveUnsavedWorkFolders() { CWorkFolders::RemoveUnsaved(*this); }
