#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The setup script's text as build writes it onto the first disk, and what its bytes beyond
// ASCII are. Lines are counted as an editor counts them: LF, CR LF and a CR alone each end
// one, so that a line number means the same in the source and on the disk.

bool HasByteOrderMark(const std::vector<uint8_t>& text);

// The first character beyond ASCII of a text that is valid UTF-8 after any byte-order mark:
// its line and its bytes. line is 0 when the text holds nothing beyond ASCII, or when it is
// not UTF-8 (then it is taken to be in an ANSI code page already).
struct Utf8Finding {
    uint32_t line;
    std::string character;
};
Utf8Finding FindUtf8(const std::vector<uint8_t>& text);

struct MediaScriptChanges {
    bool byteOrderMark = false; // the UTF-8 byte-order mark was dropped
    uint32_t lfEnds = 0;        // line ends of LF alone made CR LF
    bool lastLineEnded = false; // the last line had no line end and was given a CR LF
    uint32_t codePage = 0;      // converted from UTF-8 into this code page; 0 when not
    uint32_t keptIn = 0;        // not UTF-8 but text of the code page asked for: kept as it is
};

struct ScriptTextFault {
    uint32_t line; // 0: the text as a whole
    std::string text;
};

// The text for the disk: every line ended by CR LF, no byte-order mark, and, with a code page
// other than 0, converted from UTF-8 into it, unless it is no UTF-8 but text of that code page. A
// CR inside a line stays: it is the script's own, and the check warns of it. False, with the
// faults, one for each line that is not UTF-8 or holds a character the code page has none for, or
// one when the platform cannot convert into the page.
bool MakeMediaScript(const std::vector<uint8_t>& source, uint32_t codePage,
                     std::vector<uint8_t>& text, MediaScriptChanges& changes,
                     std::vector<ScriptTextFault>& faults);

// What was changed, for a note: "written with CR LF line ends, without its UTF-8 byte-order
// mark, in code page 1252"; "" when nothing was.
std::string DescribeChanges(const MediaScriptChanges& changes);
