#include "platform/code_page.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "common/dbcs.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD

struct LeadByteRange {
    uint32_t codePage;
    uint8_t first, last;
};
// As Windows's code page tables give them.
constexpr LeadByteRange kLeadBytes[] = {
    {932, 0x81, 0x9F}, {932, 0xE0, 0xFC}, {936, 0x81, 0xFE}, {949, 0x81, 0xFE}, {950, 0x81, 0xFE},
};

uint32_t HostCodePage();

constexpr uint32_t kAnsiCodePages[] = {874,  932,  936,  949,  950,  1250, 1251,
                                       1252, 1253, 1254, 1255, 1256, 1257, 1258};

// The longest character of an ANSI code page: a lead and a trail byte.
constexpr size_t kMaxCharBytes = 2;

#ifndef _WIN32
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

#endif

} // namespace

void AppendUtf8(uint32_t codePoint, std::string& out) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | codePoint >> 6);
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | codePoint >> 12);
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | codePoint >> 18);
        out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsAnsiCodePage(uint32_t codePage) {
    for (uint32_t page : kAnsiCodePages)
        if (page == codePage) return true;
    return false;
}

bool ParseAnsiCodePage(const char* option, const char* text, uint32_t& codePage, std::string& why) {
    codePage = 0;
    for (const char* c = text; *c != '\0' && codePage <= 0xFFFF; ++c)
        codePage = *c >= '0' && *c <= '9' ? codePage * 10 + uint32_t(*c - '0') : 0x10000;
    if (IsAnsiCodePage(codePage)) return true;
    why = std::string(option) + " " + text +
          ": not an ANSI code page of Windows (874, 932, 936, 949, 950, 1250 to 1258)";
    return false;
}

namespace {

struct OemOfAnsi {
    uint32_t ansi, oem;
};
constexpr OemOfAnsi kOemOfAnsi[] = {
    {874, 874},  {932, 932},  {936, 936},  {949, 949},  {950, 950},  {1250, 852}, {1251, 866},
    {1252, 850}, {1253, 737}, {1254, 857}, {1255, 862}, {1256, 720}, {1257, 775}, {1258, 1258},
};
constexpr uint32_t kOemCodePages[] = {437, 720, 737, 775, 850, 852, 855, 857, 858,
                                      862, 866, 874, 932, 936, 949, 950, 1258};

uint32_t s_ansiCodePage = 0;
uint32_t s_oemCodePage = 437;

} // namespace

uint32_t OemCodePageOf(uint32_t ansi) {
    for (const OemOfAnsi& pair : kOemOfAnsi)
        if (pair.ansi == ansi) return pair.oem;
    return 437;
}

bool ParseOemCodePage(const char* option, const char* text, uint32_t& codePage, std::string& why) {
    codePage = 0;
    for (const char* c = text; *c != '\0' && codePage <= 0xFFFF; ++c)
        codePage = *c >= '0' && *c <= '9' ? codePage * 10 + uint32_t(*c - '0') : 0x10000;
    for (uint32_t page : kOemCodePages)
        if (page == codePage) return true;
    why = std::string(option) + " " + text +
          ": not an OEM code page of DOS and Windows (437, 737, 775, 850, 852, 855, 857, 858, "
          "862, 866, 874, 932, 936, 949, 950)";
    return false;
}

void UseCodePages(uint32_t ansi, uint32_t oem) {
    s_ansiCodePage = ansi;
    s_oemCodePage = oem != 0 ? oem : OemCodePageOf(ansi);
    UseLeadBytesOf(ansi);
}

uint32_t AnsiCodePage() {
    return s_ansiCodePage;
}

uint32_t OemCodePage() {
    return s_oemCodePage;
}

std::string EscapedBytes(const std::string& bytes) {
    std::string shown;
    if (ConvertText(kUtf8, kUtf8, bytes, shown)) return shown;
    shown.clear();
    for (char c : bytes) {
        const auto value = static_cast<uint8_t>(c);
        if (value >= 0x20 && value < 0x7F) {
            shown += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", value);
            shown += hex;
        }
    }
    return shown;
}

std::string ShownName(const std::string& name) {
    std::string shown;
    if (s_ansiCodePage != 0 && DecodeToUtf8(s_ansiCodePage, name.data(), name.size(), shown))
        return shown;
    return EscapedBytes(name);
}

bool HostName(const std::string& name, std::string& host) {
    if (s_ansiCodePage == 0) {
        host = name;
        return true;
    }
    return ConvertText(s_ansiCodePage, HostCodePage(), name, host);
}

bool IsLeadByteOf(uint32_t codePage, uint8_t lead) {
    for (const LeadByteRange& range : kLeadBytes)
        if (range.codePage == codePage && lead >= range.first && lead <= range.last) return true;
    return false;
}

void UseLeadBytesOf(uint32_t codePage) {
    ForgetLeadBytes();
    for (const LeadByteRange& range : kLeadBytes)
        for (uint32_t lead = range.first; range.codePage == codePage && lead <= range.last; ++lead)
            MarkLeadByte(static_cast<uint8_t>(lead));
}

#ifdef _WIN32

bool OpenEncoder(uint32_t codePage, CodePageEncoder& encoder) {
    encoder = {codePage, nullptr};
    return IsAnsiCodePage(codePage) && IsValidCodePage(codePage) != 0;
}

bool EncodeCodePoint(CodePageEncoder& encoder, uint32_t codePoint, std::string& out) {
    wchar_t wide[2];
    int units = 1;
    if (codePoint >= 0x10000) {
        wide[0] = static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10));
        wide[1] = static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        units = 2;
    } else {
        wide[0] = static_cast<wchar_t>(codePoint);
    }
    char bytes[kMaxCharBytes * 2];
    BOOL usedDefault = FALSE;
    const int count = WideCharToMultiByte(encoder.codePage, WC_NO_BEST_FIT_CHARS, wide, units,
                                          bytes, sizeof bytes, nullptr, &usedDefault);
    if (count <= 0 || usedDefault) return false;
    out.append(bytes, static_cast<size_t>(count));
    return true;
}

void CloseEncoder(CodePageEncoder& encoder) {
    encoder.handle = nullptr;
}

bool DecodeToUtf8(uint32_t codePage, const char* text, size_t length, std::string& out) {
    if (!IsAnsiCodePage(codePage) || IsValidCodePage(codePage) == 0) return false;
    for (const char* c = text; c < text + length;) {
        const int size = IsLeadByte(*c) && c + 1 < text + length ? 2 : 1;
        wchar_t wide[2];
        char utf8[8];
        const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, c, size, wide, 2);
        const int count = units > 0 ? WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8,
                                                          sizeof utf8, nullptr, nullptr)
                                    : 0;
        if (count > 0)
            out.append(utf8, static_cast<size_t>(count));
        else
            out += kReplacement;
        c += size;
    }
    return true;
}

#else

bool OpenEncoder(uint32_t codePage, CodePageEncoder& encoder) {
    encoder = {codePage, nullptr};
    if (!IsAnsiCodePage(codePage)) return false;
    const iconv_t converter = iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-8");
    if (converter == kNoConverter) return false;
    encoder.handle = converter;
    return true;
}

bool EncodeCodePoint(CodePageEncoder& encoder, uint32_t codePoint, std::string& out) {
    std::string in;
    AppendUtf8(codePoint, in);
    char bytes[kMaxCharBytes * 2];
    char* inAt = in.data();
    size_t inLeft = in.size();
    char* outAt = bytes;
    size_t outLeft = sizeof bytes;
    const iconv_t converter = static_cast<iconv_t>(encoder.handle);
    iconv(converter, nullptr, nullptr, nullptr, nullptr); // the initial shift state
    // iconv counts the characters it converted irreversibly, its own "best fit": any is a no.
    const bool converted = iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == 0 &&
                           iconv(converter, nullptr, nullptr, &outAt, &outLeft) == 0;
    if (!converted || inLeft != 0) return false;
    out.append(bytes, static_cast<size_t>(outAt - bytes));
    return true;
}

void CloseEncoder(CodePageEncoder& encoder) {
    if (encoder.handle != nullptr) iconv_close(static_cast<iconv_t>(encoder.handle));
    encoder.handle = nullptr;
}

bool DecodeToUtf8(uint32_t codePage, const char* text, size_t length, std::string& out) {
    if (!IsAnsiCodePage(codePage)) return false;
    const iconv_t converter = iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
    if (converter == kNoConverter) return false;
    for (const char* c = text; c < text + length;) {
        const size_t size = IsLeadByte(*c) && c + 1 < text + length ? 2 : 1;
        char in[2];
        std::memcpy(in, c, size);
        char utf8[8];
        char* inAt = in;
        size_t inLeft = size;
        char* outAt = utf8;
        size_t outLeft = sizeof utf8;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == 0 && inLeft == 0)
            out.append(utf8, static_cast<size_t>(outAt - utf8));
        else
            out += kReplacement;
        c += size;
    }
    iconv_close(converter);
    return true;
}

#endif

#ifdef _WIN32

namespace {
uint32_t HostCodePage() {
    return GetACP();
}
} // namespace

bool ConvertText(uint32_t from, uint32_t to, const std::string& in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    const int length = static_cast<int>(in.size());
    const int units =
        MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), length, nullptr, 0);
    if (units <= 0) return false;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, in.data(), length, wide.data(), units);
    BOOL usedDefault = FALSE;
    const DWORD flags = to == kUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* lossy = to == kUtf8 ? nullptr : &usedDefault;
    const int bytes =
        WideCharToMultiByte(to, flags, wide.data(), units, nullptr, 0, nullptr, lossy);
    if (bytes <= 0 || usedDefault) return false;
    out.resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(to, flags, wide.data(), units, out.data(), bytes, nullptr, lossy);
    return !usedDefault;
}

#else

namespace {
uint32_t HostCodePage() {
    return kUtf8;
}

std::string IconvName(uint32_t codePage) {
    return codePage == kUtf8 ? "UTF-8" : "CP" + std::to_string(codePage);
}
} // namespace

bool ConvertText(uint32_t from, uint32_t to, const std::string& in, std::string& out) {
    out.clear();
    const iconv_t converter = iconv_open(IconvName(to).c_str(), IconvName(from).c_str());
    if (converter == kNoConverter) return false;
    std::string input = in;
    std::string output(in.size() * 4 + 8, '\0');
    char* inAt = input.data();
    size_t inLeft = input.size();
    char* outAt = output.data();
    size_t outLeft = output.size();
    // A count of irreversible conversions is iconv's own "best fit": any is a no.
    const bool converted = iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == 0 &&
                           iconv(converter, nullptr, nullptr, &outAt, &outLeft) == 0 && inLeft == 0;
    iconv_close(converter);
    if (!converted) return false;
    output.resize(static_cast<size_t>(outAt - output.data()));
    out = std::move(output);
    return true;
}

#endif
