// picreel: the command-line front end of the slideshow video maker.
#include "app/CPicreelCommands.h"
#include "app/TransitionDialogs.h"
#include "platform/av/FfmpegLog.h"

int main(int argc, char** argv) {
    QuietFfmpegLogging();
    RegisterTransitionDialogs();
    CPicreelCommands commands;
    return commands.Run(argc, argv);
}
