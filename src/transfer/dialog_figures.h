#pragma once

#include <cstdint>

// What the two dialogs show and where they stand, free of the Windows API.

// (100 * (index + 1)) / count, truncated; count 0 gives 0.
int32_t ProgressPercent(uint16_t index, uint16_t count);

// Left or top edge that puts a window of `size` pixels at four fifths of the free width
// (horizontal) or centres it (vertical).
int32_t DialogLeft(int32_t screenWidth, int32_t width);
int32_t DialogTop(int32_t screenHeight, int32_t height);

// A location typed into the disk prompt is accepted when its second and third characters are
// ':' and '\' exactly; the first, which may be a double-byte one, is not checked.
bool IsMediaLocation(const char* text);
