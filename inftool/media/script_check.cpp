#include "media/script_check.h"

#include "formats/script_text.h"
#include "media/disks.h"
#include "platform/code_page.h"
#include "platform/files.h"

#include "catalogue.h"
#include "parser.h"
#include "script_platform.h"
#include "common/media_layout.h"
#include "transfer/copy_rules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct RecordLines {
    std::vector<uint32_t> disks, dirs, files, items;
};

struct CheckState {
    std::vector<Warning> warnings;
    RecordLines lines;
    bool seen[SectionEnd + 1] = {};
    ParseNote end{};
    uint32_t minHDSpaceLine = 0;
};

constexpr const char* kSectionNames[] = {"",        "[Application]", "[Disks]", "[Dirs]",
                                         "[Files]", "[PM Info]",     "[End]"};

struct FieldInfo {
    const char* name;
    const char* section;
};

constexpr FieldInfo kFields[] = {
    {"", ""},
    {"AppName", "[Application]"},
    {"DfltDir", "[Application]"},
    {"MinHDSpace", "[Application]"},
    {"GroupFile", "[Application] GroupName"},
    {"GroupTitle", "[Application] GroupName"},
    {"disk number", "[Disks]"},
    {"disk name", "[Disks]"},
    {"directory number", "[Dirs]"},
    {"directory name", "[Dirs]"},
    {"Description", "[Files]"},
    {"SourceName", "[Files]"},
    {"DestName", "[Files]"},
    {"DirNumber", "[Files]"},
    {"DiskNumber", "[Files]"},
    {"ItemFile", "[PM Info]"},
    {"ItemTitle", "[PM Info]"},
    {"ItemAltFile", "[PM Info]"},
    {"ItemNumber", "[PM Info]"},
};
static_assert(std::size(kFields) == FieldItemNumber + 1);

template <typename... Args> std::string Format(const char* format, Args... args) {
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

void Warn(CheckState& state, uint32_t line, std::string text) {
    state.warnings.push_back({line, std::move(text)});
}

void CheckNumber(CheckState& state, const ParseNote& note) {
    const char* name = kFields[note.field].name;
    const char* text = note.text;
    if (!(text[0] >= '0' && text[0] <= '9')) {
        Warn(state, note.line,
             Format("%s \"%s\" does not start with a digit: read as 0", name, text));
        return;
    }
    uint64_t value = 0;
    size_t digits = 0;
    for (; text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        value = std::min<uint64_t>(value * 10 + uint64_t(text[digits] - '0'), 1u << 30);
    }
    if (value > 0xFFFF) {
        Warn(state, note.line,
             Format("%s %s is over 65535 and wraps to %u", name, text, ParseDecimal(text)));
    } else if (text[digits] != '\0') {
        Warn(state, note.line, Format("%s \"%s\" is read as %u", name, text, ParseDecimal(text)));
    }
}

void RecordLine(CheckState& state, const ParseNote& note) {
    switch (note.section) {
    case SectionDisks: state.lines.disks.push_back(note.line); break;
    case SectionDirs: state.lines.dirs.push_back(note.line); break;
    case SectionFiles: state.lines.files.push_back(note.line); break;
    case SectionPmInfo: state.lines.items.push_back(note.line); break;
    default: break;
    }
}

void OnNote(void* context, const ParseNote& note) {
    CheckState& state = *static_cast<CheckState*>(context);
    const char* section = kSectionNames[note.section];
    switch (note.kind) {
    case NoteSectionHeader: state.seen[note.section] = true; break;
    case NoteUnknownHeader:
        Warn(state, note.line,
             Format("unrecognised header \"%s\": the lines up to the next known header are "
                    "ignored",
                    note.text));
        break;
    case NoteLineTooLong:
        Warn(state, note.line,
             Format("line is %u characters long; the format's limit is %u", note.value,
                    kFormatLineLimit));
        break;
    case NoteOutsideSection:
        Warn(state, note.line,
             note.value == 0 ? std::string("line stands before the first header and is ignored")
                             : Format("line stands under the unrecognised header of line %u and "
                                      "is ignored",
                                      note.value));
        break;
    case NoteNoEquals:
        Warn(state, note.line, Format("%s line has no \"=\" and is ignored", section));
        break;
    case NoteUnknownKey:
        Warn(state, note.line, Format("unknown key \"%s\" is ignored", note.text));
        break;
    case NoteGroupNoComma:
        Warn(state, note.line,
             "GroupName has no comma: GroupFile takes the whole value and GroupTitle is empty");
        break;
    case NoteTooFewCommas:
        Warn(state, note.line,
             Format("[Files] line has %u comma%s where six fields need five; it is ignored",
                    note.value, note.value == 1 ? "" : "s"));
        break;
    case NotePmNoComma: Warn(state, note.line, "[PM Info] line has no comma and is ignored"); break;
    case NotePmThreeFields:
        Warn(state, note.line, "[PM Info] line has three fields: ItemNumber is taken as 0");
        break;
    case NoteOverCapacity:
        Warn(state, note.line,
             Format("%s holds at most %u records: this line is ignored", section, note.value));
        break;
    case NoteTextCut:
        Warn(state, note.line,
             Format("%s %s is longer than %u characters (field width %u): kept \"%s\"",
                    kFields[note.field].section, kFields[note.field].name, note.value - 1,
                    note.value, note.text));
        break;
    case NoteNumber:
        if (note.field == FieldMinHDSpace) state.minHDSpaceLine = note.line;
        CheckNumber(state, note);
        break;
    case NoteRecord: RecordLine(state, note); break;
    case NoteParseEnd: state.end = note; break;
    }
}

bool IsBlankOrLineEnd(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool HasText(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to && i < bytes.size(); ++i) {
        if (!IsBlankOrLineEnd(bytes[i])) return true;
    }
    return false;
}

// Line ends as the installer splits them: every CR ends a line and the byte after it is
// dropped unseen, whatever it is.
void CheckLineEnds(CheckState& state, const std::vector<uint8_t>& text, uint32_t readEnd) {
    bool anyCR = false, anyLF = false;
    uint32_t line = 1;
    bool bareLFWarned = false, loneCRWarned = false;
    for (uint32_t i = 0; i < readEnd; ++i) {
        if (text[i] == '\n') {
            anyLF = true;
            if (!bareLFWarned) {
                Warn(state, line, "LF without CR is no line end to the installer");
                bareLFWarned = true;
            }
        } else if (text[i] == '\r') {
            anyCR = true;
            if (i + 1 < readEnd && text[i + 1] != '\n' && !loneCRWarned) {
                Warn(state, line,
                     "CR without LF: the character after it is dropped as the line end");
                loneCRWarned = true;
            }
            ++line;
            ++i;
        }
    }
    if (!anyCR) {
        Warn(state, 0,
             anyLF ? "LF-only line ends: the installer reads no line of this file"
                   : "no CR line end at all: the installer reads no line of this file");
    }
}

// The installer takes every byte as a character of the system's ANSI code page.
void CheckCharacters(CheckState& state, const std::vector<uint8_t>& text) {
    if (HasByteOrderMark(text))
        Warn(state, 1,
             "a UTF-8 byte-order mark opens the file: the installer reads it as three characters "
             "of the first line");
    const Utf8Finding utf8 = FindUtf8(text);
    if (utf8.line != 0)
        Warn(state, utf8.line,
             Format("text beyond ASCII is UTF-8 (\"%s\"): the installer shows each byte as a "
                    "character of the system's ANSI code page (build --codepage converts it)",
                    utf8.character.c_str()));
}

void CheckEnd(CheckState& state, const std::vector<uint8_t>& text, uint32_t readEnd) {
    const ParseNote& end = state.end;
    switch (end.reason) {
    case EndAtEndHeader:
        if (HasText(text, end.value, readEnd))
            Warn(state, end.line + 1, "text after [End] is ignored");
        break;
    case EndNoCR:
        if (HasText(text, end.value, readEnd))
            Warn(state, end.line + 1, "last line has no CR line end and is ignored");
        break;
    case EndAtNul:
        Warn(state, end.line + 1, "a NUL byte ends the text here; the rest is ignored");
        break;
    case EndLastByteCR: break;
    }
    if (end.reason != EndAtEndHeader) Warn(state, 0, "no [End] line");
    for (int section = SectionApplication; section < SectionEnd; ++section) {
        if (!state.seen[section]) Warn(state, 0, Format("no %s section", kSectionNames[section]));
    }
}

template <typename Entry>
void CheckDuplicateNumbers(CheckState& state, const Entry* entries, uint16_t count,
                           const std::vector<uint32_t>& lines, const char* what) {
    for (uint16_t i = 0; i < count; ++i) {
        uint16_t next = 0, last = 0;
        for (uint16_t j = static_cast<uint16_t>(i + 1); j < count; ++j) {
            if (entries[j].Number != entries[i].Number) continue;
            if (next == 0) next = j;
            last = j;
        }
        if (next == 0) continue;
        Warn(state, lines[i],
             Format("%s number %u is given again on line %u; the record of line %u wins", what,
                    entries[i].Number, lines[next], lines[last]));
    }
}

template <typename Entry> bool HasNumber(const Entry* entries, uint16_t count, uint16_t number) {
    for (uint16_t i = 0; i < count; ++i)
        if (entries[i].Number == number) return true;
    return false;
}

bool MatchesFile(const char* name) {
    for (uint16_t i = 0; i < g_Catalogue.FileCount; ++i)
        if (ScriptCompareNames(name, g_Catalogue.Files[i].DestName) == 0) return true;
    return false;
}

void CheckCatalogue(CheckState& state) {
    const Catalogue& c = g_Catalogue;
    CheckDuplicateNumbers(state, c.Disks, c.DiskCount, state.lines.disks, "disk");
    CheckDuplicateNumbers(state, c.Dirs, c.DirCount, state.lines.dirs, "directory");
    for (uint16_t i = 0; i < c.FileCount; ++i) {
        const FileEntry& file = c.Files[i];
        uint32_t line = state.lines.files[i];
        for (uint16_t j = 0; j < i; ++j) {
            if (ScriptCompareNames(file.DestName, c.Files[j].DestName) == 0) {
                Warn(state, line,
                     Format("destination name %s was given on line %u already", file.DestName,
                            state.lines.files[j]));
                break;
            }
        }
        if (!IsSafeDestName(file.DestName))
            Warn(state, line,
                 Format("destination name \"%s\" is not a plain file name: the installer refuses "
                        "it",
                        ShownName(file.DestName).c_str()));
        else if (HasFolder(file.DestName))
            Warn(state, line,
                 Format("destination name \"%s\" has a folder: the installer writes below its "
                        "destination directory and fails unless that folder exists",
                        ShownName(file.DestName).c_str()));
        if (!HasNumber(c.Dirs, c.DirCount, file.DirNumber))
            Warn(state, line, Format("directory number %u has no [Dirs] record", file.DirNumber));
        if (!HasNumber(c.Disks, c.DiskCount, file.DiskNumber))
            Warn(state, line, Format("disk number %u has no [Disks] record", file.DiskNumber));
        if (!IsDestinationDir(file.DirNumber))
            Warn(state, line,
                 Format("directory number %u is neither 1 (Windows) nor 2 (TWAIN_32): the entry "
                        "is skipped",
                        file.DirNumber));
    }
    for (uint16_t i = 0; i < c.PmItemCount; ++i) {
        const PmItem& item = c.PmItems[i];
        uint32_t line = state.lines.items[i];
        if (!MatchesFile(item.ItemFile))
            Warn(state, line,
                 Format("program item file %s matches no [Files] destination", item.ItemFile));
        if (item.ItemAltFile[0] != '\0' && !MatchesFile(item.ItemAltFile))
            Warn(state, line,
                 Format("program item file %s matches no [Files] destination", item.ItemAltFile));
    }
}

} // namespace

void CheckScriptText(const std::vector<uint8_t>& bytes, ScriptReport& report) {
    CheckState state;
    const uint32_t readEnd = static_cast<uint32_t>(std::min<size_t>(bytes.size(), kScriptReadSize));
    std::vector<char> text(bytes.begin(), bytes.begin() + readEnd);
    text.push_back('\0');
    ParseSetupScript(text.data(), readEnd, OnNote, &state);

    if (bytes.size() > kScriptReadSize)
        Warn(state, 0,
             Format("file is %zu bytes long; only the first %u are read", bytes.size(),
                    kScriptReadSize));
    const void* nul = readEnd == 0 ? nullptr : std::memchr(bytes.data(), 0, readEnd);
    const uint32_t textEnd =
        nul ? static_cast<uint32_t>(static_cast<const uint8_t*>(nul) - bytes.data()) : readEnd;
    CheckLineEnds(state, bytes, textEnd);
    CheckCharacters(state, bytes);
    CheckEnd(state, bytes, readEnd);
    CheckCatalogue(state);
    CheckDiskOrder(state.lines.files, state.warnings);
    report.warnings = std::move(state.warnings);
    report.fileLines = std::move(state.lines.files);
    report.minHDSpaceLine = state.minHDSpaceLine;
    report.readsToEnd = state.end.reason == EndAtEndHeader;
}

bool CheckScript(const char* path, ScriptReport& report, std::string& why) {
    std::vector<uint8_t> bytes;
    if (!ReadInputFile(path, bytes, why)) return false;
    CheckScriptText(bytes, report);
    return true;
}

std::string WarningLines(const char* path, std::vector<Warning> warnings) {
    std::stable_sort(warnings.begin(), warnings.end(),
                     [](const Warning& a, const Warning& b) { return a.line < b.line; });
    std::string lines;
    for (const Warning& warning : warnings) {
        lines += path;
        if (warning.line != 0) lines += ":" + std::to_string(warning.line);
        lines += ": warning: " + warning.text + "\n";
    }
    return lines;
}

void PrintWarnings(const char* path, const std::vector<Warning>& warnings) {
    std::fputs(WarningLines(path, warnings).c_str(), stdout);
}

void PrintErrors(const char* path, const std::vector<Warning>& errors) {
    for (const Warning& error : errors) {
        if (error.line == 0)
            std::fprintf(stderr, "%s: error: %s\n", path, error.text.c_str());
        else
            std::fprintf(stderr, "%s:%u: error: %s\n", path, error.line, error.text.c_str());
    }
}
