// picreel: the command-line front end of the slideshow video maker.
#include "app/CPicreelCommands.h"
#include "app/TransitionDialogs.h"

int main(int argc, char** argv) {
    RegisterTransitionDialogs();
    CPicreelCommands commands;
    return commands.Run(argc, argv);
}
