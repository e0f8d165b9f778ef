// "picreel preview": plays a slideshow of a project, with the music of its first slideshow, or
// one transition between two pictures, in a window (or, with no display or --headless, into an
// unseen surface at the same pace). Esc, closing the window or Ctrl-C stops it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CPreviewCommand {
public:
    // Exit status: 0 when the preview played to its end, 130 when it was stopped, 1 (with one
    // line on standard error) on an error.
    int Run(const std::vector<std::string>& args);

    // A transition kind by number (0..18) or by name (any case; spaces, '-' and '_' ignored);
    // -1 for none.
    static int32_t FindKind(const std::string& text);
    // "WxH" with both sides 16..4096; false for anything else.
    static bool ParseSize(const std::string& text, int32_t& width, int32_t& height);

private:
    struct Options {
        std::string project;
        int32_t slideshow = 0;
        int32_t width = 720;
        int32_t height = 480;
        bool headless = false;
        bool transition = false;
        int32_t kind = 0;
        bool hasParam1 = false;
        bool hasParam2 = false;
        int32_t param1 = 0;
        int32_t param2 = 0;
        bool pal = false;
        bool wide = false;
        std::vector<std::string> pictures;
    };

    // False, with the reason, for arguments that make no preview.
    static bool Parse(const std::vector<std::string>& args, Options& options, std::string& error);
    int PlaySlideshow(const Options& options);
    int PlayTransition(const Options& options);
};
