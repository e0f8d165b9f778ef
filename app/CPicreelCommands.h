// The commands of the picreel front end: "new" builds a project file from pictures and music,
// "make" makes its videos, "preview" plays a slideshow or a transition, "profiles" lists the
// output profiles. Every error is one line on
// standard error and a non-zero exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class CCommandLineUiHandler;
class COutputProfile;
class COutputProfileGroupList;
class CProject;

class CPicreelCommands {
public:
    // Exit statuses.
    static constexpr int kOk = 0;
    static constexpr int kError = 1;
    static constexpr int kUsage = 2;
    static constexpr int kStopped = 130;

    // Runs the command named by argv[1]; returns the exit status.
    int Run(int argc, char** argv);

    // "GROUP/PROFILE": a group by its folder name (GetFileName of its folder path) or number, a profile by its number in the
    // group or its short description (any case). False with the reason when there is none.
    static bool FindProfile(const COutputProfileGroupList& groups, const std::string& name, int32_t& group,
                            int32_t& profile, std::string& error);
    // Each argument as an absolute path, folders replaced by their picture files sorted by
    // name. False with the reason for a missing path or a folder without pictures.
    static bool CollectPictures(const std::vector<std::string>& args, std::vector<std::string>& pictures,
                                std::string& error);

    // Loads a project file into the initialised project; the texts shown while loading go to
    // standard error. False with the reason when it holds no usable slideshow.
    static bool LoadProjectFile(CProject& project, CCommandLineUiHandler& ui, const std::string& file,
                                std::string& reason);
    // Removes the working and temp folders that Init made for this run when they are empty.
    static void TidyRunFolders(const std::string& working, const std::string& temp);

    // One line "picreel: message" on standard error; kError.
    static int Fail(const std::string& message);
    static std::string ProgramFolder();

private:
    int New(const std::vector<std::string>& args);
    int Make(const std::vector<std::string>& args);
    int Profiles(const std::vector<std::string>& args);
};
