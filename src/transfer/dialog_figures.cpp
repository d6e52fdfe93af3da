#include "dialog_figures.h"

#include "common/dbcs.h"

int32_t ProgressPercent(uint16_t index, uint16_t count) {
    if (count == 0) return 0;
    return static_cast<int32_t>((100u * (static_cast<uint32_t>(index) + 1u)) / count);
}

int32_t DialogLeft(int32_t screenWidth, int32_t width) {
    return ((screenWidth - width) / 5) * 4;
}

int32_t DialogTop(int32_t screenHeight, int32_t height) {
    return (screenHeight - height) / 2;
}

bool IsMediaLocation(const char* text) {
    if (text[0] == '\0') return false;
    const char* second = NextChar(text);
    return second[0] == ':' && second[1] == '\\';
}
