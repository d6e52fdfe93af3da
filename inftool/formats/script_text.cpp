#include "formats/script_text.h"

#include "platform/code_page.h"

#include <cstdio>

namespace {

constexpr uint8_t kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
constexpr uint8_t kCR = '\r';
constexpr uint8_t kLF = '\n';

// One UTF-8 sequence at text[at]: its code point and length; length 0 when it is not a valid,
// shortest form of a Unicode scalar value.
struct Decoded {
    uint32_t codePoint;
    size_t length;
};

Decoded DecodeUtf8(const std::vector<uint8_t>& text, size_t at) {
    const uint8_t lead = text[at];
    if (lead < 0x80) return {lead, 1};
    size_t length = 0;
    uint32_t codePoint = 0;
    uint32_t least = 0; // the smallest code point of this length: anything less is overlong
    if ((lead & 0xE0) == 0xC0) {
        length = 2, codePoint = lead & 0x1Fu, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, codePoint = lead & 0x0Fu, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, codePoint = lead & 0x07u, least = 0x10000;
    } else {
        return {0, 0};
    }
    if (at + length > text.size()) return {0, 0};
    for (size_t i = 1; i < length; ++i) {
        if ((text[at + i] & 0xC0) != 0x80) return {0, 0};
        codePoint = codePoint << 6 | (text[at + i] & 0x3Fu);
    }
    if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return {0, 0};
    return {codePoint, length};
}

size_t TextStart(const std::vector<uint8_t>& text) {
    return HasByteOrderMark(text) ? sizeof kByteOrderMark : 0;
}

// Counts a line end at text[at], if one ends there: LF, CR LF (at its LF) or a CR alone.
bool EndsLine(const std::vector<uint8_t>& text, size_t at) {
    return text[at] == kLF || (text[at] == kCR && (at + 1 == text.size() || text[at + 1] != kLF));
}

// The text from the byte-order mark on, converted into encoder's code page; false, with one
// fault for each line that holds a sequence that is not UTF-8 or has no character in the page
// (the first such sequence of the line).
bool Convert(const std::vector<uint8_t>& source, CodePageEncoder& encoder, std::string& out,
             std::vector<ScriptTextFault>& faults) {
    uint32_t line = 1;
    for (size_t at = TextStart(source); at < source.size();) {
        const Decoded decoded = DecodeUtf8(source, at);
        const size_t length = decoded.length != 0 ? decoded.length : 1;
        const bool lineFaulted = !faults.empty() && faults.back().line == line;
        char text[160];
        if (decoded.length == 0) {
            std::snprintf(text, sizeof text,
                          "byte 0x%02X is not UTF-8, which --codepage converts, and the text is "
                          "not of code page %u either",
                          source[at], encoder.codePage);
            if (!lineFaulted) faults.push_back({line, text});
        } else if (decoded.codePoint < 0x80) {
            out += static_cast<char>(decoded.codePoint);
            if (EndsLine(source, at)) ++line;
        } else if (!EncodeCodePoint(encoder, decoded.codePoint, out)) {
            std::snprintf(text, sizeof text, "\"%s\" (U+%04X) has no character in code page %u",
                          std::string(source.begin() + static_cast<long>(at),
                                      source.begin() + static_cast<long>(at + length))
                              .c_str(),
                          decoded.codePoint, encoder.codePage);
            if (!lineFaulted) faults.push_back({line, text});
        }
        at += length;
    }
    return faults.empty();
}

bool IsUtf8(const std::vector<uint8_t>& source) {
    for (size_t at = TextStart(source); at < source.size();) {
        const Decoded decoded = DecodeUtf8(source, at);
        if (decoded.length == 0) return false;
        at += decoded.length;
    }
    return true;
}

} // namespace

bool HasByteOrderMark(const std::vector<uint8_t>& text) {
    return text.size() >= sizeof kByteOrderMark && text[0] == kByteOrderMark[0] &&
           text[1] == kByteOrderMark[1] && text[2] == kByteOrderMark[2];
}

Utf8Finding FindUtf8(const std::vector<uint8_t>& text) {
    Utf8Finding found{0, {}};
    uint32_t line = 1;
    for (size_t at = TextStart(text); at < text.size();) {
        const Decoded decoded = DecodeUtf8(text, at);
        if (decoded.length == 0) return {0, {}};
        if (decoded.codePoint >= 0x80 && found.line == 0)
            found = {line, std::string(text.begin() + static_cast<long>(at),
                                       text.begin() + static_cast<long>(at + decoded.length))};
        if (EndsLine(text, at)) ++line;
        at += decoded.length;
    }
    return found;
}

bool MakeMediaScript(const std::vector<uint8_t>& source, uint32_t codePage,
                     std::vector<uint8_t>& text, MediaScriptChanges& changes,
                     std::vector<ScriptTextFault>& faults) {
    changes = {};
    faults.clear();
    changes.byteOrderMark = HasByteOrderMark(source);
    std::string body(source.begin() + static_cast<long>(TextStart(source)), source.end());
    if (codePage != 0) {
        CodePageEncoder encoder{};
        if (!OpenEncoder(codePage, encoder)) {
            faults.push_back(
                {0, "this system cannot convert into code page " + std::to_string(codePage)});
            return false;
        }
        // A script saved in the code page already is kept as it is.
        std::string utf8;
        const bool inPage =
            !changes.byteOrderMark && !IsUtf8(source) && ConvertText(codePage, kUtf8, body, utf8);
        if (!inPage) {
            body.clear();
            const bool converted = Convert(source, encoder, body, faults);
            CloseEncoder(encoder);
            if (!converted) return false;
            changes.codePage = codePage;
        } else {
            CloseEncoder(encoder);
            changes.keptIn = codePage;
        }
    }
    text.clear();
    for (size_t at = 0; at < body.size(); ++at) {
        const auto byte = static_cast<uint8_t>(body[at]);
        if (byte == kLF && (at == 0 || body[at - 1] != '\r')) {
            text.push_back(kCR);
            ++changes.lfEnds;
        }
        text.push_back(byte);
        if (byte == kCR && at + 1 == body.size()) {
            text.push_back(kLF);
            ++changes.lfEnds;
        }
    }
    if (!text.empty() && text.back() != kLF) {
        text.push_back(kCR);
        text.push_back(kLF);
        changes.lastLineEnded = true;
    }
    return true;
}

std::string DescribeChanges(const MediaScriptChanges& changes) {
    std::string parts;
    const auto add = [&parts](const std::string& part) {
        parts += (parts.empty() ? "written " : ", ") + part;
    };
    if (changes.lfEnds != 0) add("with CR LF line ends");
    if (changes.lastLineEnded) add("with a line end after its last line");
    if (changes.byteOrderMark) add("without its UTF-8 byte-order mark");
    if (changes.codePage != 0) add("in code page " + std::to_string(changes.codePage));
    if (changes.keptIn != 0)
        parts += (parts.empty() ? "" : "; ") + std::string("kept in code page ") +
                 std::to_string(changes.keptIn) + ", which it is in already";
    return parts;
}
