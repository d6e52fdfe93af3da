#include "ramp.h"

uint8_t RampBlue(int32_t y, int32_t screenHeight) {
    if (screenHeight <= 1) return y <= 0 ? 255 : 0; // a one-row screen has no ramp to divide
    const double v = static_cast<double>(y) / static_cast<double>(screenHeight - 1) * 255.0;
    // Checked in double: converting an out-of-range value to int is undefined.
    if (!(v >= 0.0)) return 255;
    if (v >= 256.0) return 0;
    return static_cast<uint8_t>(255 - static_cast<int32_t>(v));
}

int32_t ScaleForDpi(int32_t pixels, int32_t dpi) {
    const int32_t magnitude = (pixels < 0 ? -pixels : pixels) * dpi;
    const int32_t scaled = (magnitude + kDesignDpi / 2) / kDesignDpi;
    return pixels < 0 ? -scaled : scaled;
}

void TitleBoxes(int32_t clientRight, int32_t clientBottom, int32_t dpi, TitleBox* shadow,
                TitleBox* face) {
    shadow->left = clientRight / 20;
    shadow->top = clientBottom / 20;
    shadow->right = clientRight;
    shadow->bottom = clientBottom;
    *face = *shadow;
    const int32_t offset = ScaleForDpi(kTitleShadowOffset, dpi);
    face->left -= offset;
    face->top -= offset;
}
