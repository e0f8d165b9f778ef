// Draws a strip of a picture onto a parallelogram whose left edge is vertical and whose height is
// the strip's (the Accordion's folds): every strip column lands on one frame column, squeezed
// across and shifted down by the top edge's slope. Sampling is bilinear, the parallelogram's
// edges are antialiased by their pixel coverage, and the colour can be darkened on the way.
// A direct pixel loop: the general drawing path samples such shears several times slower.
#pragma once

#include <cstdint>

#include "platform/gdiplus/GdiplusTypes.h"
#include "platform/gdiplus/NativePixels.h"
#include "render/transitions/StripLayout.h"

// `corners` are upper-left, upper-right and lower-left, with upper-left x = lower-left x; `keep`
// (0..255) scales the colour, 255 keeping it. Frame and picture are opaque and of one size.
void DrawShearedStrip(const Gdiplus::NativePixels& frame, const Gdiplus::NativePixels& picture, const Strip& strip,
                      const Gdiplus::PointF (&corners)[3], uint32_t keep);
