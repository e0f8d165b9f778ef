// picreel: the command-line front end of the slideshow video maker.
#include "app/CPicreelCommands.h"
#include "app/TransitionDialogs.h"
#include "model/Log.h"
#include "platform/av/FfmpegLog.h"

namespace {
void LogFfmpegLine(const std::string& line) { WriteLog("FFmpeg: " + line); }
} // namespace

int main(int argc, char** argv) {
    RouteFfmpegLog(&LogFfmpegLine);
    RegisterTransitionDialogs();
    CPicreelCommands commands;
    return commands.Run(argc, argv);
}
