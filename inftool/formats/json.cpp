#include "formats/json.h"

#include <cstring>

namespace {

// One Latin-1 byte: every control character, C0, DEL and C1, is escaped so that output stays
// printable; the rest of Latin-1 becomes its two-byte UTF-8 form.
void AppendJsonByte(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    switch (byte) {
    case '"': out += "\\\""; break;
    case '\\': out += "\\\\"; break;
    case '\b': out += "\\b"; break;
    case '\f': out += "\\f"; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default:
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
}

} // namespace

void AppendJsonString(std::string& out, const char* text, size_t length) {
    out += '"';
    for (size_t i = 0; i < length; ++i)
        AppendJsonByte(out, static_cast<unsigned char>(text[i]));
    out += '"';
}

void AppendJsonString(std::string& out, const char* text) {
    AppendJsonString(out, text, std::strlen(text));
}

std::string JsonString(const char* text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

void AppendJsonUtf8(std::string& out, const std::string& text) {
    out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        // ASCII and the C1 controls are escaped as Latin-1 is; other UTF-8 goes as it is.
        if (byte == 0xC2 && next >= 0x80 && next < 0xA0) {
            AppendJsonByte(out, static_cast<unsigned char>(next));
            ++i;
        } else if (byte < 0x80) {
            AppendJsonByte(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
    }
    out += '"';
}
