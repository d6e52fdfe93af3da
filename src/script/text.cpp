#include "catalogue.h"
#include "parser.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

char* TrimBlanks(char* s) {
    char* first = s;
    while (IsBlank(*first))
        ++first;
    char* out = s;
    if (first != s) {
        while (*first != '\0')
            *out++ = *first++;
        *out = '\0';
    } else {
        while (*out != '\0')
            ++out;
    }
    while (out != s && IsBlank(out[-1]))
        *--out = '\0';
    return s;
}

uint16_t ParseDecimal(const char* s) {
    uint16_t value = 0;
    for (; *s >= '0' && *s <= '9'; ++s)
        value = static_cast<uint16_t>(value * 10u + uint16_t(*s - '0'));
    return value;
}

void CopyBounded(char* dst, const char* src, uint32_t width) {
    if (dst == nullptr || width == 0) return;
    uint32_t i = 0;
    for (; i + 1 < width && src[i] != '\0'; ++i)
        dst[i] = src[i];
    dst[i] = '\0';
}
