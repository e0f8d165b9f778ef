// Helpers for the tests of the run-time libraries and the player: loading the libraries as the
// program does, and asking ffmpeg/ffprobe about the sound of what was written.
#pragma once

#include <string>

#include "platform/win/DynamicLibrary.h"
#include "tests/support/ShellCommand.h"

// A library of the program folder with its entry points (not loaded when one is missing).
CDynamicLibrary LoadProgramLibrary(const std::string& fileName, std::initializer_list<const char*> entries);

// The loudest sample of the file's audio in dB (ffmpeg's volume detection); -999 when unreadable.
double MaxVolumeDb(const std::string& file);
// Seconds from the first audio packet's start to the last one's end.
double AudioPacketSpan(const std::string& file);
// Error lines ffmpeg prints while decoding the whole file.
std::string DecodeErrors(const std::string& file);
