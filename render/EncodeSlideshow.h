// Turns one slideshow into one video file through the encoder library: the first slide fades in
// from white over one second, every further slide comes in by its transition and runs its single
// effect, and every frame goes to the library as YUV 4:2:0.
#pragma once

#include <cstdint>
#include <string>

class COutputProfile;
struct EncodeJob;

// With the project's current output profile and the program folder.
//   0 every frame encoded;
//   1 nothing encoded: the library or one of its entries is missing, there is no current
//     profile, its frame size is unknown, its frame rate has no whole number, or the job has no
//     slide;
//   2 the job's stop event was seen (after the frame during which it was set);
//   otherwise the encoder library's non-zero frame result, or its non-zero closeEncoder result
//   when every frame went in (the file could not be finished).
// The encoder is closed exactly once whenever it was opened, and the library is released on
// every path. On a failure other than a stop, the job's m_strFailure says why (the library's
// own reason when it gives one) and the log has the failing entry with its result code.
int32_t EncodeSlideshow(EncodeJob* job);

// The same with the profile and program folder given.
int32_t EncodeSlideshow(EncodeJob* job, const COutputProfile* profile, const std::string& programFolder);
