#include "ramp.h"

uint8_t RampBlue(int32_t y, int32_t screenHeight) {
    if (screenHeight <= 1) return y <= 0 ? 255 : 0; // a one-row screen has no ramp to divide
    const double v = static_cast<double>(y) / static_cast<double>(screenHeight - 1) * 255.0;
    // Checked in double: converting an out-of-range value to int is undefined.
    if (!(v >= 0.0)) return 255;
    if (v >= 256.0) return 0;
    return static_cast<uint8_t>(255 - static_cast<int32_t>(v));
}

void TitleBoxes(int32_t clientRight, int32_t clientBottom, TitleBox* shadow, TitleBox* face) {
    shadow->left = clientRight / 20;
    shadow->top = clientBottom / 20;
    shadow->right = clientRight;
    shadow->bottom = clientBottom;
    *face = *shadow;
    face->left -= kTitleShadowOffset;
    face->top -= kTitleShadowOffset;
}
