// A text overlay of the picture editor: its text, colour and font.
#pragma once

#include <string>

#include "editor/CSelectFrame.h"
#include "platform/win/WinTypes.h"

class CTextItem : public CSelectFrame {
public:
    CTextItem() : CSelectFrame(KIND_TEXT) {}

    COLORREF m_crText = RGB(0, 0, 0);
    std::string m_strText;
    LOGFONT m_LogFont;
};
