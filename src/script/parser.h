#pragma once

#include <cstdint>

#include "inf_query.h"

// What the parser sees beyond what it stores. The installer passes no observer; the
// packager's checker listens, so that it judges a script exactly as the installer reads it.
enum ScriptSection : uint8_t {
    SectionNone,
    SectionApplication,
    SectionDisks,
    SectionDirs,
    SectionFiles,
    SectionPmInfo,
    SectionEnd,
};

enum ScriptField : uint8_t {
    FieldNone,
    FieldAppName,
    FieldDfltDir,
    FieldMinHDSpace,
    FieldGroupFile,
    FieldGroupTitle,
    FieldDiskNumber,
    FieldDiskName,
    FieldDirNumber,
    FieldDirName,
    FieldDescription,
    FieldSourceName,
    FieldDestName,
    FieldFileDirNumber,
    FieldFileDiskNumber,
    FieldItemFile,
    FieldItemTitle,
    FieldItemAltFile,
    FieldItemNumber,
};

enum ParseNoteKind : uint8_t {
    NoteSectionHeader,  // a recognised header; section
    NoteUnknownHeader,  // a "[" line that names no section; text is the line
    NoteLineTooLong,    // a line over the format's 99 characters; value is its length
    NoteOutsideSection, // content stored nowhere; value is the line of the header in force (0:
                        // none)
    NoteNoEquals,       // a key line without "="
    NoteUnknownKey,     // an [Application] key that stores nothing; text is the key
    NoteGroupNoComma,   // "GroupName" without a comma
    NoteTooFewCommas,   // a [Files] line with fewer than five commas; value is the count
    NotePmNoComma,      // a [PM Info] line without a comma
    NotePmThreeFields,  // a [PM Info] line with three fields
    NoteOverCapacity,   // a list line beyond its capacity; value is the capacity
    NoteTextCut,  // field's text longer than width - 1; text is the kept text, value the width
    NoteNumber,   // a number field; text is the trimmed field as written
    NoteRecord,   // a record stored; value is its index in its list
    NoteParseEnd, // the parse ended; value is the offset where reading stopped
};

enum ParseEndReason : uint8_t {
    EndAtEndHeader, // the "[End]" line; value is the offset after it
    EndNoCR,        // no CR before the end of the text; value is where the unread tail starts
    EndAtNul,       // a NUL ended the text early; value is its offset
    EndLastByteCR,  // the last byte read was a CR
};

struct ParseNote {
    ParseNoteKind kind;
    ScriptSection section;
    ScriptField field;
    ParseEndReason reason;
    uint32_t line; // 1-based, counted by CRs as the parser splits lines
    uint32_t value;
    const char* text;
};

using ParseObserver = void (*)(void* context, const ParseNote& note);

// Resets the catalogue's values and counts and fills it from text, which holds length
// bytes followed by a NUL. The text is overwritten (each CR becomes a NUL).
void ParseSetupScript(char* text, uint32_t length, ParseObserver observer = nullptr,
                      void* context = nullptr);

// Loads and parses the script at path; one of LoadResult.
int32_t LoadSetupScript(const char* path, ParseObserver observer = nullptr,
                        void* context = nullptr);

constexpr uint32_t kScriptReadSize = 10240;
constexpr uint32_t kFormatLineLimit = 99;

char* TrimBlanks(char* s);
uint16_t ParseDecimal(const char* s);
