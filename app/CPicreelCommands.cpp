#include "app/CPicreelCommands.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/CCommandLineUiHandler.h"
#include "app/CInterruptWatcher.h"
#include "app/CPreviewCommand.h"
#include "app/CTabBurn.h"
#include "app/CTerminalProgress.h"
#include "editor/AppDirectory.h"
#include "editor/DataDirectory.h"
#include "model/COutputProfileGroupList.h"
#include "model/CProject.h"
#include "model/GlobalUtils.h"
#include "platform/win/FileSystem.h"
#include "platform/win/MsgWindow.h"

namespace {

const char* const kUsageText =
    "usage: picreel COMMAND [ARGS]\n"
    "\n"
    "Turns pictures into slideshow videos.\n"
    "\n"
    "commands:\n"
    "  new PROJECT.prg PICTURE|FOLDER... [--music FILE...]\n"
    "                      make a project of one slideshow from pictures (and music)\n"
    "  make PROJECT.prg [--output DIR] [--profile GROUP/PROFILE]\n"
    "                      make one video file per slideshow of a project\n"
    "  preview PROJECT.prg [--slideshow N] | --transition KIND\n"
    "                      play a slideshow with its music, or one transition, in a window\n"
    "  profiles            list the output profiles\n"
    "\n"
    "Run 'picreel COMMAND --help' for the options of a command.\n"
    "\n"
    "environment:\n"
    "  PICREEL_DATA_DIR    the folder picreel writes to: its log, its preferences and the\n"
    "                      projects' working folders (default: $XDG_DATA_HOME/picreel, or\n"
    "                      ~/.local/share/picreel); the program folder is only read\n";

const char* const kNewHelp =
    "usage: picreel new PROJECT.prg PICTURE|FOLDER... [--music FILE...]\n"
    "\n"
    "Makes a new project file holding one slideshow of the pictures, in the order given; a\n"
    "folder stands for its picture files sorted by name. Without --music the slideshow plays\n"
    "the program's default music; with it, the music files given, in order. An existing\n"
    "project file is never overwritten.\n";

const char* const kMakeHelp =
    "usage: picreel make PROJECT.prg [--output DIR] [--profile GROUP/PROFILE]\n"
    "\n"
    "Makes one video file per slideshow of the project, named after the slideshow, with the\n"
    "music of the first slideshow. Progress goes to standard error; Ctrl-C stops cleanly and\n"
    "leaves no half-made video.\n"
    "\n"
    "options:\n"
    "  --output DIR               folder for the videos (default: the project's output folder)\n"
    "  --profile GROUP/PROFILE    output profile, as 'picreel profiles' lists them\n"
    "                             (default: the first profile)\n";

const char* const kProfilesHelp =
    "usage: picreel profiles\n"
    "\n"
    "Lists the output profile groups and their profiles: name (for make --profile), file\n"
    "extension, video codec, frame size, frame rate and audio codec.\n";

bool WantsHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

// The absolute, normal form of a path the user gave, without a trailing separator ("pics/" is
// the folder "pics"), so that names join onto it with one.
std::string Absolute(const std::string& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec) return path;
    full = full.lexically_normal();
    if (!full.has_filename() && full != full.root_path()) full = full.parent_path();
    return full.string();
}

bool ParseIndex(const std::string& text, int32_t& index) {
    if (text.empty() || text.size() > 6 || !std::all_of(text.begin(), text.end(), ::isdigit))
        return false;
    index = std::atoi(text.c_str());
    return true;
}

// Makes the chosen profile current and lets the project follow its frame rate.
void UseProfile(CProject& project, int32_t group, int32_t profile) {
    project.m_ProfileGroups.SetCurrent(group);
    project.m_ProfileGroups.GetCurrent()->SetCurrent(profile);
    if (project.FollowProfileFrameRate()) project.ApplyTvStandardToSlides();
}

// Removes a folder that is empty; anything else stays.
void RemoveIfEmpty(const std::string& folder) {
    if (!folder.empty())
        ::rmdir(folder.c_str());
}

std::string Join(const std::vector<std::string>& texts) {
    std::string line;
    for (const std::string& text : texts) line += (line.empty() ? "" : " ") + text;
    return line;
}

} // namespace

int CPicreelCommands::Run(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsageText, stdout);
        return kOk;
    }
    if (command == "new")
        return New(args);
    if (command == "make")
        return Make(args);
    if (command == "preview")
        return CPreviewCommand().Run(args);
    if (command == "profiles")
        return Profiles(args);
    std::fprintf(stderr, "picreel: unknown command '%s' (try picreel --help)\n", command.c_str());
    return kUsage;
}

int CPicreelCommands::Fail(const std::string& message) {
    std::fprintf(stderr, "picreel: %s\n", message.c_str());
    return kError;
}

bool CPicreelCommands::LoadProjectFile(CProject& project, CCommandLineUiHandler& ui, const std::string& file,
                                       std::string& reason) {
    project.DeleteAllSlideshows();
    project.m_Config.m_strProjectFile = file;
    ui.BeginCollecting();
    const BOOL loaded = project.LoadProject();
    const std::vector<std::string> loadTexts = ui.EndCollecting();
    if (!loaded || project.GetSlideshowCount() == 0) {
        reason = loaded ? "it holds no slideshow with a readable picture" : "it is not a project file";
        if (!loadTexts.empty())
            reason += " (" + Join(loadTexts) + ")";
        return false;
    }
    for (const std::string& text : loadTexts) std::fprintf(stderr, "%s\n", text.c_str());
    return true;
}

void CPicreelCommands::TidyRunFolders(const std::string& working, const std::string& temp) {
    RemoveIfEmpty(temp);
    RemoveIfEmpty(working + "/Output");
    RemoveIfEmpty(working);
}

std::string CPicreelCommands::ProgramFolder() {
    std::string folder = GetAppDirectory();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

bool CPicreelCommands::FindProfile(const COutputProfileGroupList& groups, const std::string& name, int32_t& group,
                                   int32_t& profile, std::string& error) {
    error = "unknown profile '" + name + "' (see picreel profiles)";
    const size_t slash = name.find('/');
    if (slash == std::string::npos)
        return false;
    const std::string groupText = name.substr(0, slash);
    const std::string profileText = name.substr(slash + 1);
    group = -1;
    for (int32_t g = 0; g < groups.GetCount() && group < 0; ++g)
        if (GetFileName(groups.GetAt(g)->m_strFolderPath) == groupText)
            group = g;
    int32_t index = 0;
    if (group < 0 && ParseIndex(groupText, index) && groups.GetAt(index))
        group = index;
    if (group < 0)
        return false;
    const COutputProfileGroup* found = groups.GetAt(group);
    profile = -1;
    if (ParseIndex(profileText, index) && found->GetAt(index))
        profile = index;
    for (int32_t p = 0; p < found->GetCount() && profile < 0; ++p)
        if (ToLowerAscii(found->GetAt(p)->m_strDescS) == ToLowerAscii(profileText))
            profile = p;
    return profile >= 0;
}

bool CPicreelCommands::CollectPictures(const std::vector<std::string>& args, std::vector<std::string>& pictures,
                                       std::string& error) {
    pictures.clear();
    for (const std::string& arg : args) {
        const std::string path = Absolute(arg);
        if (FolderExists(path)) {
            size_t found = 0;
            for (const FoundFile& file : FindFiles(JoinPath(path, "*.*"))) {
                if (file.isFolder || GetImageTypeFromExt(ToLowerAscii(GetFileExt(file.name))) == 0)
                    continue;
                pictures.push_back(file.path);
                ++found;
            }
            if (found == 0) {
                error = "no picture files in folder '" + arg + "'";
                return false;
            }
        } else if (FileExists(path)) {
            pictures.push_back(path);
        } else {
            error = "no such file or folder: '" + arg + "'";
            return false;
        }
    }
    if (pictures.empty()) {
        error = "no pictures given (see picreel new --help)";
        return false;
    }
    return true;
}

int CPicreelCommands::New(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::fputs(kNewHelp, stdout);
        return kOk;
    }
    std::string projectArg;
    std::vector<std::string> pictureArgs;
    std::vector<std::string> musicArgs;
    bool inMusic = false;
    for (const std::string& arg : args) {
        if (arg == "--music") {
            inMusic = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option '" + arg + "' (see picreel new --help)");
        } else if (projectArg.empty()) {
            projectArg = arg;
        } else {
            (inMusic ? musicArgs : pictureArgs).push_back(arg);
        }
    }
    if (projectArg.empty())
        return Fail("no project file given (see picreel new --help)");
    if (inMusic && musicArgs.empty())
        return Fail("--music needs at least one music file");
    const std::string projectFile = Absolute(projectArg);
    if (FileExists(projectFile) || FolderExists(projectFile))
        return Fail("'" + projectArg + "' already exists; choose another project file");
    if (!FolderExists(std::filesystem::path(projectFile).parent_path().string()))
        return Fail("no such folder for the project file: '" + projectArg + "'");
    std::vector<std::string> pictures;
    std::string error;
    if (!CollectPictures(pictureArgs, pictures, error))
        return Fail(error);
    std::vector<std::string> music;
    for (const std::string& arg : musicArgs) {
        const std::string path = Absolute(arg);
        if (!FileExists(path))
            return Fail("no such music file: '" + arg + "'");
        music.push_back(path);
    }

    auto ui = std::make_shared<CCommandLineUiHandler>();
    UiHandler::Install(ui);
    CProject& project = g_Project;
    project.Init(ProgramFolder());
    CMsgWindow mainWindow;
    CMsgWindow editorPage;
    project.SetMainWindow(&mainWindow);

    ui->SetOpenFiles(pictures);
    project.NewSlideshowFromFiles(&editorPage);
    CSlideShow* show = project.GetCurrentSlideshow();
    if (!show || show->GetSlideCount() == 0) {
        project.RemoveUnsavedWorkFolders();
        return Fail("none of the given files is a picture that can be read");
    }
    for (const std::string& picture : pictures) {
        const bool added = std::any_of(show->m_arrSlides.begin(), show->m_arrSlides.end(),
                                       [&](const auto& slide) { return slide->m_strOriginalFile == picture; });
        if (!added)
            std::fprintf(stderr, "picreel: skipped '%s': not a readable picture, or already in the slideshow\n",
                         picture.c_str());
    }
    if (!music.empty()) {
        while (show->GetAudioCount() > 0) show->RemoveAudioAt(0);
        ui->BeginCollecting();
        for (const std::string& path : music) {
            if (show->AddAudioFile(path, project.m_Config.m_strWorkingFolder) != 0 &&
                std::none_of(show->m_arrAudio.begin(), show->m_arrAudio.end(),
                             [&](const auto& entry) { return entry->m_strOriginalPath == path; })) {
                ui->EndCollecting();
                project.RemoveUnsavedWorkFolders();
                return Fail("'" + path + "' is not a music file that can be read");
            }
        }
        for (const std::string& text : ui->EndCollecting()) std::fprintf(stderr, "%s\n", text.c_str());
    }

    project.m_Config.m_strProjectFile = projectFile;
    project.m_bModified = 1;
    if (!project.SaveProjectSilent()) {
        project.RemoveUnsavedWorkFolders();
        return Fail("cannot write the project file '" + projectArg + "'");
    }
    project.CheckOutputSize();
    std::printf("%s: slideshow '%s' with %d picture%s and %d music file%s, about %lld seconds\n", projectFile.c_str(),
                show->m_strName.c_str(), show->GetSlideCount(), show->GetSlideCount() == 1 ? "" : "s",
                show->GetAudioCount(), show->GetAudioCount() == 1 ? "" : "s",
                static_cast<long long>(show->GetTotalSeconds()));
    project.SetMainWindow(nullptr);
    return kOk;
}

int CPicreelCommands::Make(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::fputs(kMakeHelp, stdout);
        return kOk;
    }
    std::string projectArg;
    std::string outputArg;
    std::string profileArg;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--output" || arg == "--profile") {
            if (i + 1 >= args.size())
                return Fail(arg + " needs a value (see picreel make --help)");
            (arg == "--output" ? outputArg : profileArg) = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Fail("unknown option '" + arg + "' (see picreel make --help)");
        } else if (projectArg.empty()) {
            projectArg = arg;
        } else {
            return Fail("unexpected argument '" + arg + "' (see picreel make --help)");
        }
    }
    if (projectArg.empty())
        return Fail("no project file given (see picreel make --help)");
    const std::string projectFile = Absolute(projectArg);
    if (!FileExists(projectFile))
        return Fail("no such project file: '" + projectArg + "'");
    if (::access(projectFile.c_str(), R_OK) != 0)
        return Fail("cannot read the project file '" + projectArg + "'");

    auto ui = std::make_shared<CCommandLineUiHandler>();
    UiHandler::Install(ui);
    CProject& project = g_Project;
    project.Init(ProgramFolder());
    // The working folder this run opened goes again unless something was left in it (the
    // project then works there, and its videos may be in its output folder).
    const std::string runWorking = project.m_Config.m_strWorkingFolder;
    const std::string runTemp = project.m_Settings.m_strTempPath;
    auto tidyRunFolders = [&] { TidyRunFolders(runWorking, runTemp); };
    CMsgWindow mainWindow;
    project.SetMainWindow(&mainWindow);

    if (!FolderExists(project.m_Config.m_strDataPath))
        return Fail("cannot create the data folder '" + project.m_Config.m_strDataPath + "' (set " +
                    DATA_DIRECTORY_VARIABLE + " to a folder you can write)");
    if (project.m_ProfileGroups.GetCount() == 0 || !project.m_ProfileGroups.GetCurrentProfile()) {
        tidyRunFolders();
        return Fail("no output profiles in '" + ProgramFolder() + "/profile/avoutput'");
    }
    int32_t group = project.m_ProfileGroups.m_nCurrent;
    int32_t profile = project.m_ProfileGroups.GetCurrent()->m_nCurrent;
    std::string error;
    if (!profileArg.empty() && !FindProfile(project.m_ProfileGroups, profileArg, group, profile, error)) {
        tidyRunFolders();
        return Fail(error);
    }

    std::string reason;
    if (!LoadProjectFile(project, *ui, projectFile, reason)) {
        tidyRunFolders();
        return Fail("cannot use the project file '" + projectArg + "': " + reason);
    }

    UseProfile(project, group, profile);
    if (!outputArg.empty())
        project.m_Settings.m_strOutputPath = Absolute(outputArg);

    CTabBurn page;
    if (!page.PrepareMakeVideo(error)) {
        tidyRunFolders();
        return Fail(error);
    }
    const COutputProfile* chosen = project.m_ProfileGroups.GetCurrentProfile();
    std::fprintf(stderr, "Making %d video file%s (%s/%d, %s) in %s\n", project.GetSlideshowCount(),
                 project.GetSlideshowCount() == 1 ? "" : "s",
                 GetFileName(project.m_ProfileGroups.GetCurrent()->m_strFolderPath).c_str(), profile,
                 chosen->m_strDescS.c_str(), project.m_Settings.m_strOutputPath.c_str());

    CTerminalProgress counter = CTerminalProgress::ForStderr();
    page.SetRemainingTimeCounter(&counter);
    CTabBurn::Result result;
    {
        CInterruptWatcher watcher([&page] {
            page.RequestStop();
            std::fputs("\npicreel: stopping...\n", stderr);
        });
        counter.Start("");
        page.StartMakeVideo();
        result = page.WaitForMakeVideo();
    }
    counter.Finish();
    page.SetRemainingTimeCounter(nullptr);
    tidyRunFolders();
    project.SetMainWindow(nullptr);

    switch (result) {
    case CTabBurn::Result::Done:
        AppMessageBox("Make video files successful!", MB_OK);
        for (const auto& show : project.m_arrSlideshows) std::printf("%s\n", show->m_strOutputFile.c_str());
        return kOk;
    case CTabBurn::Result::Stopped:
        std::fputs("picreel: stopped; the video being made was removed\n", stderr);
        return kStopped;
    case CTabBurn::Result::Failed:
        break;
    }
    // The cause comes first, on a line of its own; the message box's text follows it.
    if (!page.GetFailure().empty())
        std::fprintf(stderr, "picreel: %s\n", page.GetFailure().c_str());
    AppMessageBox("Make video files failed!", MB_OK);
    return kError;
}

int CPicreelCommands::Profiles(const std::vector<std::string>& args) {
    if (WantsHelp(args)) {
        std::fputs(kProfilesHelp, stdout);
        return kOk;
    }
    if (!args.empty())
        return Fail("unexpected argument '" + args.front() + "' (see picreel profiles --help)");
    COutputProfileGroupList groups;
    groups.Load(ProgramFolder());
    if (groups.GetCount() == 0)
        return Fail("no output profiles in '" + ProgramFolder() + "/profile/avoutput'");
    for (int32_t g = 0; g < groups.GetCount(); ++g) {
        const COutputProfileGroup* group = groups.GetAt(g);
        const std::string name = GetFileName(group->m_strFolderPath);
        std::printf("%s: %s\n", name.c_str(), group->m_strDesc.c_str());
        for (int32_t p = 0; p < group->GetCount(); ++p) {
            const COutputProfile* profile = group->GetAt(p);
            std::printf("  %s/%d  %-24s .%-4s video %s %s %s fps %s kb/s, audio %s %s kb/s %s Hz %s ch\n", name.c_str(), p,
                        profile->m_strDescS.c_str(), profile->m_strExt.c_str(),
                        profile->m_VideoCodec.m_Current.value.c_str(), profile->m_VideoSize.m_Current.value.c_str(),
                        profile->m_FrameRate.m_Current.value.c_str(), profile->m_VideoBitrate.m_Current.value.c_str(),
                        profile->m_AudioCodec.m_Current.value.c_str(), profile->m_AudioBitrate.m_Current.value.c_str(),
                        profile->m_AudioSampleRate.m_Current.value.c_str(),
                        profile->m_AudioChannels.m_Current.value.c_str());
        }
    }
    return kOk;
}
