#pragma once

#include <cstdint>

// Blue level of pixel row y of the background ramp on a screen of screenHeight rows: 255 at
// the top, 0 at the last row; rows below the screen (a client taller than it) are black.
uint8_t RampBlue(int32_t y, int32_t screenHeight);

struct TitleBox {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Pixel figures as drawn at 96 DPI, the screen's resolution that needs no scaling.
constexpr int32_t kDesignDpi = 96;
constexpr int32_t kTitleShadowOffset = 7;

// pixels (at 96 DPI) on a screen of dpi dots per inch, rounded half away from zero: the same
// at 96, half as much again at 144.
int32_t ScaleForDpi(int32_t pixels, int32_t dpi);

// Rectangles of the title's black shadow and of its white copy, from the client size.
void TitleBoxes(int32_t clientRight, int32_t clientBottom, int32_t dpi, TitleBox* shadow,
                TitleBox* face);
