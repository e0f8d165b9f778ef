// Hands a finished frame on: in the previews it is shown in the preview area, paced to the frame
// rate; when encoding it becomes one YUV 4:2:0 picture for the encoder library. This is the one
// place where a render notices a stop request.
#pragma once

#include <cstdint>
#include <string>

struct RenderJob;

// Shows or encodes the frame bitmap. 0 to go on, 2 when a stop was requested, otherwise the
// encoder library's non-zero frame result.
int32_t PresentFrame(RenderJob& job);

// Previews: shows the frame bitmap on the preview surface now, unpaced (nothing without one).
void ShowFrameOnScreen(RenderJob& job);

// With an encode pipeline: collects the frame still in flight after the last renderer and gives
// what PresentFrame would have given for it (0, 2 or the encoder's result); 0 without one.
int32_t FinishEncodedFrames(RenderJob& job);

// Copies `height` packed rows of 3 x width bytes in reverse row order (the source's first row
// becomes the destination's last).
void CopyRowsBottomUp(uint8_t* destination, const uint8_t* source, int32_t width, int32_t height);

// Loads a picture as packed 24-bit rows, bottom row first, into a buffer of width x height x 4
// bytes that the caller releases with free(). 0 when done, 1 when the picture cannot be loaded
// (nothing allocated).
int32_t LoadImageRGB(const std::string& path, uint8_t** buffer, int32_t* width, int32_t* height);
