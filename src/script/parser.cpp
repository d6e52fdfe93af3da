#include "parser.h"

#include "catalogue.h"
#include "script_platform.h"

#include <iterator>

namespace {

struct Header {
    const char* text;
    ScriptSection section;
};

constexpr Header kHeaders[] = {
    {"[Application]", SectionApplication},
    {"[Disks]", SectionDisks},
    {"[Dirs]", SectionDirs},
    {"[Files]", SectionFiles},
    {"[PM Info]", SectionPmInfo},
    {"[End]", SectionEnd},
};

struct ParseState {
    ParseObserver observer;
    void* context;
    uint32_t line;
    uint32_t headerLine;
    ScriptSection section;
};

void Note(const ParseState& state, ParseNoteKind kind, ScriptField field = FieldNone,
          uint32_t value = 0, const char* text = nullptr, ParseEndReason reason = EndAtEndHeader) {
    if (state.observer == nullptr) return;
    ParseNote note{kind, state.section, field, reason, state.line, value, text};
    state.observer(state.context, note);
}

void StoreText(const ParseState& state, char* field, uint32_t width, const char* text,
               ScriptField id) {
    CopyBounded(field, text, width);
    if (ScriptTextLength(text) >= width) Note(state, NoteTextCut, id, width, field);
}

uint16_t StoreNumber(const ParseState& state, const char* text, ScriptField id) {
    Note(state, NoteNumber, id, 0, text);
    return ParseDecimal(text);
}

// Ends s at the first separator and returns the text after it, or nullptr without one.
char* SplitAt(char* s, char separator) {
    char* found = s;
    while (*found != separator) {
        if (*found == '\0') return nullptr;
        ++found;
    }
    *found = '\0';
    return found + 1;
}

uint32_t CountOf(const char* s, char c) {
    uint32_t count = 0;
    for (; *s != '\0'; ++s)
        count += (*s == c);
    return count;
}

void ParseApplicationLine(const ParseState& state, char* key, char* value) {
    AppInfo& app = g_Catalogue.App;
    bool known = false;
    if (ScriptCompareNames(key, "AppName") == 0) {
        StoreText(state, app.AppName, kAppNameWidth, value, FieldAppName);
        known = true;
    }
    if (ScriptCompareNames(key, "DfltDir") == 0) {
        StoreText(state, app.DfltDir, kDfltDirWidth, value, FieldDfltDir);
        known = true;
    }
    if (ScriptCompareNames(key, "MinHDSpace") == 0) {
        app.MinHDSpace = StoreNumber(state, value, FieldMinHDSpace);
        known = true;
    }
    if (ScriptCompareNames(key, "GroupName") == 0) {
        char* title = SplitAt(value, ',');
        if (title == nullptr) Note(state, NoteGroupNoComma);
        StoreText(state, app.GroupFile, kGroupFileWidth, TrimBlanks(value), FieldGroupFile);
        StoreText(state, app.GroupTitle, kGroupTitleWidth, title ? TrimBlanks(title) : "",
                  FieldGroupTitle);
        known = true;
    }
    if (!known) Note(state, NoteUnknownKey, FieldNone, 0, key);
}

bool HasRoom(const ParseState& state, uint16_t count, uint16_t capacity) {
    if (count < capacity) return true;
    Note(state, NoteOverCapacity, FieldNone, capacity);
    return false;
}

// [Disks] and [Dirs] lines: a number and a name appended as one record.
template <typename Entry, uint16_t Capacity, uint32_t Width>
void ParseNumberedLine(const ParseState& state, char* key, char* value, Entry (&entries)[Capacity],
                       uint16_t& count, ScriptField numberField, ScriptField nameField) {
    if (!HasRoom(state, count, Capacity)) return;
    const uint16_t index = count;
    entries[index].Number = StoreNumber(state, key, numberField);
    StoreText(state, entries[index].Name, Width, value, nameField);
    ++count;
    Note(state, NoteRecord, FieldNone, index);
}

void ParseFileLine(const ParseState& state, char* line) {
    constexpr uint32_t kSeparators = 5;
    uint32_t commas = CountOf(line, ',');
    if (commas < kSeparators) {
        Note(state, NoteTooFewCommas, FieldNone, commas);
        return;
    }
    if (!HasRoom(state, g_Catalogue.FileCount, kMaxFiles)) return;

    char* fields[kSeparators + 1] = {line};
    for (uint32_t i = 1; i <= kSeparators; ++i)
        fields[i] = SplitAt(fields[i - 1], ',');
    for (char* field : fields)
        TrimBlanks(field);

    uint16_t index = g_Catalogue.FileCount;
    FileEntry& file = g_Catalogue.Files[index];
    StoreText(state, file.Description, kDescriptionWidth, fields[0], FieldDescription);
    StoreText(state, file.SourceName, kFileNameWidth, fields[1], FieldSourceName);
    StoreText(state, file.DestName, kFileNameWidth, fields[2], FieldDestName);
    file.DirNumber = StoreNumber(state, fields[3], FieldFileDirNumber);
    file.DiskNumber = StoreNumber(state, fields[4], FieldFileDiskNumber);
    file.Compressed = (fields[5][0] == 'Y' || fields[5][0] == 'y') ? 1u : 0u;
    ++g_Catalogue.FileCount;
    Note(state, NoteRecord, FieldNone, index);
}

void ParsePmItemLine(const ParseState& state, char* line) {
    char* title = SplitAt(line, ',');
    if (title == nullptr) {
        Note(state, NotePmNoComma);
        return;
    }
    if (!HasRoom(state, g_Catalogue.PmItemCount, kMaxPmItems)) return;

    char* altFile = SplitAt(title, ',');
    char* number = altFile ? SplitAt(altFile, ',') : nullptr;
    if (altFile != nullptr && number == nullptr) Note(state, NotePmThreeFields);

    uint16_t index = g_Catalogue.PmItemCount;
    PmItem& item = g_Catalogue.PmItems[index];
    StoreText(state, item.ItemFile, kFileNameWidth, TrimBlanks(line), FieldItemFile);
    StoreText(state, item.ItemTitle, kItemTitleWidth, TrimBlanks(title), FieldItemTitle);
    StoreText(state, item.ItemAltFile, kFileNameWidth, altFile ? TrimBlanks(altFile) : "",
              FieldItemAltFile);
    item.ItemNumber = number ? StoreNumber(state, TrimBlanks(number), FieldItemNumber) : 0;
    ++g_Catalogue.PmItemCount;
    Note(state, NoteRecord, FieldNone, index);
}

void ParseKeyLine(const ParseState& state, char* line) {
    char* value = SplitAt(line, '=');
    if (value == nullptr) {
        Note(state, NoteNoEquals);
        return;
    }
    TrimBlanks(line);
    TrimBlanks(value);
    switch (state.section) {
    case SectionApplication: ParseApplicationLine(state, line, value); break;
    case SectionDisks:
        ParseNumberedLine<DiskEntry, kMaxDisks, kDiskNameWidth>(
            state, line, value, g_Catalogue.Disks, g_Catalogue.DiskCount, FieldDiskNumber,
            FieldDiskName);
        break;
    case SectionDirs:
        ParseNumberedLine<DirEntry, kMaxDirs, kDirNameWidth>(state, line, value, g_Catalogue.Dirs,
                                                             g_Catalogue.DirCount, FieldDirNumber,
                                                             FieldDirName);
        break;
    default: break;
    }
}

void ParseHeader(ParseState& state, const char* line) {
    state.section = SectionNone;
    state.headerLine = state.line;
    for (const Header& header : kHeaders) {
        if (ScriptCompareNames(line, header.text) == 0) state.section = header.section;
    }
    Note(state, state.section == SectionNone ? NoteUnknownHeader : NoteSectionHeader, FieldNone, 0,
         line);
}

void ParseLine(ParseState& state, char* line) {
    uint32_t length = ScriptTextLength(line);
    if (length > kFormatLineLimit) Note(state, NoteLineTooLong, FieldNone, length);
    TrimBlanks(line);
    if (line[0] == '[') {
        ParseHeader(state, line);
        return;
    }
    if (line[0] == '\0' || line[0] == ';') return;
    switch (state.section) {
    case SectionNone: Note(state, NoteOutsideSection, FieldNone, state.headerLine); break;
    case SectionApplication:
    case SectionDisks:
    case SectionDirs: ParseKeyLine(state, line); break;
    case SectionFiles: ParseFileLine(state, line); break;
    case SectionPmInfo: ParsePmItemLine(state, line); break;
    case SectionEnd: break;
    }
}

void ResetCatalogue() {
    AppInfo& app = g_Catalogue.App;
    app.AppName[0] = app.DfltDir[0] = app.GroupFile[0] = app.GroupTitle[0] = '\0';
    app.MinHDSpace = 0;
    g_Catalogue.DiskCount = g_Catalogue.DirCount = 0;
    g_Catalogue.FileCount = g_Catalogue.PmItemCount = 0;
}

} // namespace

void ParseSetupScript(char* text, uint32_t length, ParseObserver observer, void* context) {
    void* previousCursor = ScriptBeginWait();
    ResetCatalogue();

    ParseState state{observer, context, 0, 0, SectionNone};
    uint32_t position = 0;
    for (;;) {
        uint32_t end = position;
        while (end < length && text[end] != '\r' && text[end] != '\0')
            ++end;
        if (end >= length) {
            Note(state, NoteParseEnd, FieldNone, position, nullptr, EndNoCR);
            break;
        }
        if (text[end] == '\0') {
            Note(state, NoteParseEnd, FieldNone, end, nullptr, EndAtNul);
            break;
        }
        text[end] = '\0';
        ++state.line;
        ParseLine(state, text + position);
        // The byte after each CR is taken as its LF unseen; never step past the text's end.
        position = end + 2;
        if (state.section == SectionEnd) {
            Note(state, NoteParseEnd, FieldNone, position < length ? position : length, nullptr,
                 EndAtEndHeader);
            break;
        }
        if (end + 1 >= length) {
            Note(state, NoteParseEnd, FieldNone, length, nullptr, EndLastByteCR);
            break;
        }
    }
    ScriptEndWait(previousCursor);
}
