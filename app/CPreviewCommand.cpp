#include "app/CPreviewCommand.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/CCommandLineUiHandler.h"
#include "app/CInterruptWatcher.h"
#include "app/CPicreelCommands.h"
#include "model/CEffectSetting.h"
#include "model/CProject.h"
#include "model/EffectNames.h"
#include "model/TransitionFactory.h"
#include "platform/media/PreviewSurface.h"
#include "platform/media/PreviewWindow.h"
#include "platform/win/FileSystem.h"
#include "platform/win/MsgWindow.h"
#include "render/PreviewThreads.h"
#include "render/RenderControl.h"
#include "render/SlideshowPreviewJob.h"
#include "render/TransitionPreviewJob.h"

namespace {

const char* const kHelp =
    "usage: picreel preview PROJECT.prg [--slideshow N] [--size WxH] [--headless]\n"
    "       picreel preview --transition KIND [--param1 V] [--param2 V] [--pal] [--wide]\n"
    "                       [PICTURE PICTURE] [--headless]\n"
    "\n"
    "Plays a slideshow of a project in a window, from the first slide's fade-in to the last\n"
    "slide, with the music of the project's first slideshow; or plays one transition between two\n"
    "pictures (by default the program's two sample pictures). Esc, closing the window or Ctrl-C\n"
    "stops it. With no display, or with --headless, the frames are rendered at the same pace and\n"
    "nothing is shown. Exit status: 0 when the preview played to its end, 130 when stopped, 1 on\n"
    "an error.\n"
    "\n"
    "options:\n"
    "  --slideshow N     the slideshow to play, counted from 0 (default 0)\n"
    "  --size WxH        frame size of a slideshow preview (default 720x480)\n"
    "  --transition KIND a transition kind by number (0-18) or name: Alpha, Accordion, Blinds,\n"
    "                    Circle, Clock, Cube fly, Diagonal sweep, Door, Flip, Fly, Polygon,\n"
    "                    Rotate in, Shutter, Spin, Sweep, Twist, Wipe, Zoom, Random\n"
    "  --param1 V, --param2 V\n"
    "                    the kind's first and second parameter, as a project file holds\n"
    "                    them, 0 to 1000 (default: the kind's defaults)\n"
    "  --pal             25 frames a second (default 30)\n"
    "  --wide            a 16:9 transition preview (default 4:3)\n"
    "  --headless        show nothing, even with a display\n";

constexpr int32_t kMaxParam = 1000;
constexpr uint32_t kLoopWaitMs = 10;

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

bool ParseNumber(const std::string& text, int32_t top, int32_t& value) {
    if (text.empty() || text.size() > 6 || !std::all_of(text.begin(), text.end(), ::isdigit)) return false;
    value = std::atoi(text.c_str());
    return value <= top;
}

std::string KindKey(const std::string& text) {
    std::string key;
    for (const char c : text)
        if (c != ' ' && c != '-' && c != '_')
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

// Plays a started preview: serves the window (if any) and the main window until the preview ends
// by itself (`ended`) or the user stops it.
class PreviewLoop {
public:
    PreviewLoop(CProject& project, CPreviewSurface& surface, bool headless, const std::string& title)
        : m_project(project), m_surface(surface) {
        m_main.SetHandler([this](UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
            if (msg == WM_TIMER) m_project.OnAudioPreviewTimer(wParam);
            if (msg == WM_PREVIEW_ENDED && CRenderControl::Instance().IsCurrentPreviewMessage(wParam)) {
                m_project.StopAudioPreview();
                m_ended = true;
            }
            return 0;
        });
        m_project.SetMainWindow(&m_main);
        if (!headless) m_window = CPreviewWindow::Create(title, surface.Width(), surface.Height());
        if (m_window)
            m_surface.SetListener(
                [](uint64_t, CPreviewSurface::Clock::time_point) { CPreviewWindow::Wake(); });
    }
    ~PreviewLoop() {
        CRenderControl::Instance().StopRender();
        m_project.StopAudioPreview();
        m_surface.SetListener(nullptr);
        m_project.SetMainWindow(nullptr);
    }

    // Runs until the end; `finished` tells whether the preview has ended by itself. 0 or 130.
    int Play(const std::function<bool()>& finished) {
        std::atomic<bool> interrupted{false};
        CInterruptWatcher watcher([this, &interrupted] {
            interrupted = true;
            m_main.Wake();
            CPreviewWindow::Wake();
        });
        for (;;) {
            bool open = true;
            if (m_window) {
                open = m_window->ServeEvents(m_surface, kLoopWaitMs);
                m_main.PumpPending();
            } else {
                m_main.PumpOne(kLoopWaitMs);
            }
            if (!open || interrupted) {
                CRenderControl::Instance().StopRender();
                m_project.StopAudioPreview();
                return CPicreelCommands::kStopped;
            }
            if (finished()) return CPicreelCommands::kOk;
        }
    }

    bool Ended() const { return m_ended; }

private:
    CProject& m_project;
    CPreviewSurface& m_surface;
    CMsgWindow m_main;
    std::unique_ptr<CPreviewWindow> m_window;
    bool m_ended = false;
};

} // namespace

int32_t CPreviewCommand::FindKind(const std::string& text) {
    int32_t number = 0;
    if (ParseNumber(text, TRANSITION_KIND_COUNT - 1, number)) return number;
    const std::string key = KindKey(text);
    if (key.empty()) return -1;
    for (int32_t kind = 0; kind < TRANSITION_KIND_COUNT; ++kind)
        if (KindKey(g_TransitionNames[kind]) == key) return kind;
    return -1;
}

bool CPreviewCommand::ParseSize(const std::string& text, int32_t& width, int32_t& height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    constexpr int32_t kMin = 16;
    constexpr int32_t kMax = 4096;
    return ParseNumber(text.substr(0, x), kMax, width) && ParseNumber(text.substr(x + 1), kMax, height) &&
           width >= kMin && height >= kMin;
}

bool CPreviewCommand::Parse(const std::vector<std::string>& args, Options& o, std::string& error) {
    std::vector<std::string> plain;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--slideshow" || arg == "--size" || arg == "--transition" ||
                                arg == "--param1" || arg == "--param2";
        if (takesValue && i + 1 >= args.size()) {
            error = arg + " needs a value (see picreel preview --help)";
            return false;
        }
        if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--pal") {
            o.pal = true;
        } else if (arg == "--wide") {
            o.wide = true;
        } else if (arg == "--slideshow") {
            if (!ParseNumber(args[++i], 1000, o.slideshow)) {
                error = "bad slideshow number '" + args[i] + "'";
                return false;
            }
        } else if (arg == "--size") {
            if (!ParseSize(args[++i], o.width, o.height)) {
                error = "bad size '" + args[i] + "' (WxH, each 16 to 4096)";
                return false;
            }
        } else if (arg == "--transition") {
            o.transition = true;
            o.kind = FindKind(args[++i]);
            if (o.kind < 0) {
                error = "unknown transition kind '" + args[i] + "' (see picreel preview --help)";
                return false;
            }
        } else if (arg == "--param1" || arg == "--param2") {
            int32_t& value = arg == "--param1" ? o.param1 : o.param2;
            if (!ParseNumber(args[++i], kMaxParam, value)) {
                error = "bad value '" + args[i] + "' for " + arg;
                return false;
            }
            (arg == "--param1" ? o.hasParam1 : o.hasParam2) = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + arg + "' (see picreel preview --help)";
            return false;
        } else {
            plain.push_back(arg);
        }
    }
    if (o.transition) {
        if (!plain.empty() && plain.size() != 2) {
            error = "a transition preview takes two pictures or none";
            return false;
        }
        o.pictures = plain;
        return true;
    }
    if (plain.size() != 1) {
        error = plain.empty() ? "no project file given (see picreel preview --help)"
                              : "unexpected argument '" + plain[1] + "' (see picreel preview --help)";
        return false;
    }
    o.project = plain.front();
    return true;
}

int CPreviewCommand::Run(const std::vector<std::string>& args) {
    if (std::any_of(args.begin(), args.end(),
                    [](const std::string& a) { return a == "--help" || a == "-h"; })) {
        std::fputs(kHelp, stdout);
        return CPicreelCommands::kOk;
    }
    Options options;
    std::string error;
    if (!Parse(args, options, error)) return CPicreelCommands::Fail(error);
    return options.transition ? PlayTransition(options) : PlaySlideshow(options);
}

int CPreviewCommand::PlaySlideshow(const Options& o) {
    const std::string projectFile = Absolute(o.project);
    if (!FileExists(projectFile)) return CPicreelCommands::Fail("no such project file: '" + o.project + "'");
    if (::access(projectFile.c_str(), R_OK) != 0)
        return CPicreelCommands::Fail("cannot read the project file '" + o.project + "'");
    auto ui = std::make_shared<CCommandLineUiHandler>();
    UiHandler::Install(ui);
    CProject& project = g_Project;
    project.Init(CPicreelCommands::ProgramFolder());
    const std::string runWorking = project.m_Config.m_strWorkingFolder;
    const std::string runTemp = project.m_Settings.m_strTempPath;
    std::string reason;
    if (!CPicreelCommands::LoadProjectFile(project, *ui, projectFile, reason)) {
        CPicreelCommands::TidyRunFolders(runWorking, runTemp);
        return CPicreelCommands::Fail("cannot use the project file '" + o.project + "': " + reason);
    }
    CSlideShow* show = project.GetSlideshow(o.slideshow);
    if (!show) {
        CPicreelCommands::TidyRunFolders(runWorking, runTemp);
        return CPicreelCommands::Fail("the project has no slideshow " + std::to_string(o.slideshow) +
                                      " (it has " + std::to_string(project.GetSlideshowCount()) + ")");
    }
    CPreviewSurface surface(o.width, o.height);
    int status = CPicreelCommands::kOk;
    {
        PreviewLoop loop(project, surface, o.headless, "picreel preview - " + show->m_strName);
        SlideshowPreviewJob job;
        job.m_bPal = project.m_Settings.IS_NTSC != 0 ? 1 : 0;
        job.m_pSlideshow = show;
        job.m_pPreviewSurface = &surface;
        job.m_nWidth = o.width;
        job.m_nHeight = o.height;
        if (CRenderControl::Instance().StartSlideshowPreview(&job) != 0) {
            status = CPicreelCommands::Fail("cannot start the preview");
        } else {
            status = loop.Play([&loop] { return loop.Ended(); });
        }
    }
    CPicreelCommands::TidyRunFolders(runWorking, runTemp);
    return status;
}

int CPreviewCommand::PlayTransition(const Options& o) {
    std::vector<std::string> pictures = o.pictures;
    if (pictures.empty()) {
        const std::string folder = CPicreelCommands::ProgramFolder() + "/menu_pic/";
        pictures = {folder + "0.jpg", folder + "1.jpg"};
    }
    for (std::string& picture : pictures) {
        if (!FileExists(picture)) return CPicreelCommands::Fail("no such picture: '" + picture + "'");
        picture = Absolute(picture);
    }
    std::unique_ptr<TransitionSetting> transition = MakeTransition(o.kind, false);
    // Random stands for a drawn kind with drawn parameters, as a slide's would be.
    if (o.kind == TRANSITION_RANDOM) transition = CloneTransition(transition.get());
    if (o.hasParam1) transition->m_nParam1 = o.param1;
    if (o.hasParam2) transition->m_nParam2 = o.param2;

    const CEffectSetting defaults;
    TransitionPreviewJob job;
    job.m_bPal = o.pal ? 1 : 0;
    job.m_nAspect = o.wide ? 1 : 0;
    job.m_strFirstPicture = pictures[0];
    job.m_strSecondPicture = pictures[1];
    job.m_nSingleEffectId = SINGLE_EFFECT_NONE;
    job.m_nSlideSeconds = defaults.m_nSingleEffectTime;
    job.m_pTransition = transition.get();
    job.m_nTransitionSeconds = defaults.m_nTransitionTime;
    CPreviewSurface surface(TRANSITION_PREVIEW_WIDTH, TransitionPreviewHeight(job.m_nAspect));
    job.m_pPreviewSurface = &surface;

    PreviewLoop loop(g_Project, surface, o.headless,
                     std::string("picreel preview - ") + g_TransitionNames[transition->m_nKind]);
    if (CRenderControl::Instance().StartTransitionPreview(&job) != 0)
        return CPicreelCommands::Fail("cannot start the preview");
    return loop.Play([] { return !CRenderControl::Instance().IsRendering(); });
}
