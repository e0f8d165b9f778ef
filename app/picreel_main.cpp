// picreel: the command-line front end of the slideshow video maker.
extern "C" {
#include <libavutil/log.h>
}

#include "app/CPicreelCommands.h"
#include "app/TransitionDialogs.h"

int main(int argc, char** argv) {
    // The media libraries share one log; their notes about stream details mean nothing to a user.
    av_log_set_level(AV_LOG_ERROR);
    RegisterTransitionDialogs();
    CPicreelCommands commands;
    return commands.Run(argc, argv);
}
