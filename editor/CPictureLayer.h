// A clip-art picture overlay of the picture editor: the picture file it shows.
#pragma once

#include <string>

#include "editor/CSelectFrame.h"

class CPictureLayer : public CSelectFrame {
public:
    CPictureLayer() : CSelectFrame(KIND_PICTURE) {}

    std::string m_strPicturePath;
};
