// FFmpeg's libraries share one log for the whole process, written to standard error unless it
// is routed elsewhere. Its lines are for the program's log: a user of the command line gets one
// line per error, in the program's own words.
#pragma once

#include <string>

// Takes one whole line of FFmpeg's log (without its line feed); called from any thread.
using FfmpegLogSink = void (*)(const std::string& line);

// From now on FFmpeg's errors go to `sink`, a line at a time, and nothing of FFmpeg's reaches
// standard error; a line repeated at once is handed on once, followed by a count of its
// repeats. Null gives FFmpeg its own log on standard error back. The sink must stay valid
// while FFmpeg may still log, so it lives in the program, never in a library loaded at run time.
void RouteFfmpegLog(FfmpegLogSink sink);
