// The whole drawing layer in one include.
#pragma once

#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/CachedBitmap.h"
#include "platform/gdiplus/Color.h"
#include "platform/gdiplus/GdiplusTypes.h"
#include "platform/gdiplus/Graphics.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/ImageAttributes.h"
#include "platform/gdiplus/ImageProbe.h"
#include "platform/gdiplus/Matrix.h"
#include "platform/gdiplus/Region.h"
#include "platform/gdiplus/SolidBrush.h"
