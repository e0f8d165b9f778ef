// picreel: the command-line front end of the slideshow video maker.
#include <cstdio>
#include <cstring>

#include "app/TransitionDialogs.h"
#include "editor/AppDirectory.h"

namespace {
void PrintUsage(FILE* out) {
    std::fprintf(out,
                 "usage: picreel COMMAND [ARGS]\n"
                 "\n"
                 "Turns pictures into slideshow videos.\n"
                 "\n"
                 "options:\n"
                 "  --help    show this text\n"
                 "\n"
                 "program folder: %s\n",
                 GetAppDirectory().c_str());
}
} // namespace

int main(int argc, char** argv) {
    RegisterTransitionDialogs();
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    std::fprintf(stderr, "picreel: unknown command '%s' (try --help)\n", argv[1]);
    return 2;
}
