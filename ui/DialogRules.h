// Small rules of the main dialog that need no window: where the icon goes while the dialog is
// minimised, and which system commands open the about box.
#pragma once

#include <cstdint>

struct IconPosition {
    int32_t x;
    int32_t y;
};

// Centres an icon in the client area; the halving truncates toward zero, so a width of 0 with a
// 32-pixel icon gives x = -15.
constexpr IconPosition CentredIconPosition(int32_t clientWidth, int32_t clientHeight,
                                           int32_t iconWidth, int32_t iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

// The system menu's command for the about box; the platform keeps the lowest four bits of a
// system command for itself, so they are masked off (with everything above bit 15).
constexpr unsigned kAboutBoxCommand = 0x0010;
constexpr bool IsAboutBoxCommand(unsigned commandId) {
    return (commandId & 0xFFF0) == kAboutBoxCommand;
}
