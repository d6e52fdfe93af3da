#include "command_line.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* SkipBlanks(const char* p) {
    while (IsBlank(*p))
        ++p;
    return p;
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// text, in any letter case, begins with word; returns what follows it, or null.
const char* AfterWord(const char* text, const char* word) {
    for (; *word != '\0'; ++text, ++word)
        if (Upper(*text) != *word) return nullptr;
    return text;
}

// One token, its quotes removed, into out (width bytes); false when it does not fit. Returns
// the line after the token in *rest. Lead and trail bytes of a double-byte code page are never
// a blank or a quote, so the walk may go byte by byte.
bool ReadToken(const char* line, char* out, uint32_t width, const char** rest) {
    bool quoted = false;
    uint32_t length = 0;
    bool fits = true;
    const char* p = line;
    for (; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
        if (*p == '"') {
            quoted = !quoted;
        } else if (length + 1 < width) {
            out[length++] = *p;
        } else {
            fits = false;
        }
    }
    out[length] = '\0';
    *rest = p;
    return fits;
}

void Refuse(CommandLine* out, const char* token) {
    if (out->badSwitch[0] != '\0') return;
    uint32_t i = 0;
    for (; token[i] != '\0' && !IsBlank(token[i]) && i + 1 < kBadSwitchWidth; ++i)
        out->badSwitch[i] = token[i];
    out->badSwitch[i] = '\0';
}

const char* SkipProgramName(const char* line) {
    if (*line == '"') {
        ++line;
        while (*line != '\0' && *line != '"')
            ++line;
        return *line == '"' ? line + 1 : line;
    }
    while (*line != '\0' && !IsBlank(*line))
        ++line;
    return line;
}

// Bounded walks: an unbounded one the compiler would make a call to strlen or strcpy, which a
// program without a C runtime does not have.
bool FitsIn(const char* text, uint32_t width) {
    for (uint32_t i = 0; i < width; ++i)
        if (text[i] == '\0') return true;
    return false;
}

bool CopyFitting(char* out, uint32_t width, const char* text) {
    for (uint32_t i = 0; i < width; ++i) {
        out[i] = text[i];
        if (text[i] == '\0') return true;
    }
    out[0] = '\0';
    return false;
}

} // namespace

void ParseCommandLine(const char* line, CommandLine* out) {
    *out = CommandLine{};
    const char* p = SkipBlanks(SkipProgramName(line));
    while (*p != '\0') {
        const char* start = p;
        if (p[0] == '-' && p[1] == '-' && (p[2] == '\0' || IsBlank(p[2]))) {
            out->followOnArgs = SkipBlanks(p + 2);
            if (!FitsIn(out->followOnArgs, kFollowOnArgsWidth)) Refuse(out, start);
            return;
        }
        char token[kLogPathWidth + 8];
        const bool fits = ReadToken(p, token, sizeof token, &p);
        p = SkipBlanks(p);
        const char* name = token + 1;
        const char* logName = AfterWord(name, "LOG=");
        if (token[0] != '/' && token[0] != '-') {
            Refuse(out, start);
        } else if (logName != nullptr) {
            if (!fits || *logName == '\0' || !CopyFitting(out->logPath, kLogPathWidth, logName))
                Refuse(out, start);
        } else if (!fits) {
            Refuse(out, start);
        } else if (Upper(name[0]) == 'S' && name[1] == '\0') {
            out->silent = true;
        } else if (name[0] == '?' && name[1] == '\0') {
            out->usage = true;
        } else {
            Refuse(out, start);
        }
    }
}
