#include "cli/exit_codes.h"
#include "commands/commands.h"
#include "commands/script_input.h"
#include "formats/json.h"
#include "platform/code_page.h"
#include "platform/files.h"

#include "catalogue.h"
#include "inf_query.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr size_t kTextBufferSize = 256;

enum DumpOption { kSystemCodePage };
constexpr Option kDumpOptions[] = {
    {"system-codepage", "N", 0, "the text as a Windows of ANSI code page N shows it"},
};

// The code page of --system-codepage; 0 without it: each byte as its Latin-1 character.
uint32_t s_systemCodePage = 0;

// Every text field is narrower than the query buffer.
static_assert(kDfltDirWidth < kTextBufferSize && kDiskNameWidth < kTextBufferSize &&
              kDescriptionWidth < kTextBufferSize);

struct TextQuery {
    int32_t result;
    char text[kTextBufferSize];
};

TextQuery Ask(uint32_t code, uint32_t index) {
    TextQuery answer{};
    answer.result = InfQuery(code, index, answer.text);
    return answer;
}

void Text(std::string& out, const char* key, const char* value) {
    out += '"';
    out += key;
    out += "\": ";
    std::string shown;
    if (s_systemCodePage != 0 && DecodeToUtf8(s_systemCodePage, value, std::strlen(value), shown))
        AppendJsonUtf8(out, shown);
    else
        AppendJsonString(out, value);
}

void Number(std::string& out, const char* key, uint32_t value) {
    out += '"';
    out += key;
    out += "\": ";
    out += std::to_string(value);
}

// A list of records, one object per line; record(out, i) writes the object's members.
template <typename WriteRecord>
void List(std::string& out, const char* key, uint32_t count, WriteRecord record) {
    out += "  \"";
    out += key;
    out += "\": [";
    for (uint32_t i = 0; i < count; ++i) {
        out += i == 0 ? "\n    {" : ",\n    {";
        record(out, static_cast<uint16_t>(i));
        out += '}';
    }
    out += count == 0 ? "]" : "\n  ]";
}

void DumpApplication(std::string& out) {
    out += "  ";
    Text(out, "AppName", Ask(GetAppName, 0).text);
    out += ",\n  ";
    Text(out, "DfltDir", Ask(GetDfltDir, 0).text);
    out += ",\n  ";
    Number(out, "MinHDSpace", static_cast<uint32_t>(InfQuery(GetMinHDSpace, 0, nullptr)));
    out += ",\n  ";
    Text(out, "GroupFile", Ask(GetGroupFile, 0).text);
    out += ",\n  ";
    Text(out, "GroupTitle", Ask(GetGroupTitle, 0).text);
    out += ",\n";
}

void DumpDisk(std::string& out, uint16_t i) {
    Number(out, "Number", g_Catalogue.Disks[i].Number);
    out += ", ";
    Text(out, "Name", Ask(GetDiskName, i).text);
}

void DumpDir(std::string& out, uint16_t i) {
    Number(out, "Number", g_Catalogue.Dirs[i].Number);
    out += ", ";
    Text(out, "Name", Ask(GetDirName, i).text);
}

void DumpFile(std::string& out, uint16_t i) {
    Text(out, "Description", Ask(GetFileDescription, i).text);
    out += ", ";
    Text(out, "SourceName", Ask(GetFileSourceName, i).text);
    out += ", ";
    Text(out, "DestName", Ask(GetFileDestName, i).text);
    out += ", ";
    Number(out, "DirNumber", static_cast<uint32_t>(Ask(GetFileDir, i).result));
    out += ", ";
    Number(out, "DiskNumber", static_cast<uint32_t>(Ask(GetFileDisk, i).result));
    out += ", ";
    Number(out, "Compressed", static_cast<uint32_t>(InfQuery(GetFileCompressed, i, nullptr)));
}

void DumpPmItem(std::string& out, uint16_t i) {
    // GetPmItemAltFile stands in ItemFile for an empty ItemAltFile, so that field is read
    // from the record; the query's high half is the item's number.
    Text(out, "ItemFile", Ask(GetPmItemFile, i).text);
    out += ", ";
    Text(out, "ItemTitle", Ask(GetPmItemTitle, i).text);
    out += ", ";
    Text(out, "ItemAltFile", g_Catalogue.PmItems[i].ItemAltFile);
    out += ", ";
    Number(out, "ItemNumber", static_cast<uint32_t>(Ask(GetPmItemAltFile, i).result) >> 16);
}

uint32_t Count(uint32_t code) {
    return static_cast<uint32_t>(InfQuery(code, 0, nullptr));
}

int RunDump(const Arguments& args) {
    if (const char* page = args.Value(kSystemCodePage)) {
        std::string why;
        if (!ParseAnsiCodePage("--system-codepage", page, s_systemCodePage, why))
            return WrongCall(kDumpCommand, why);
        std::string probe;
        if (!DecodeToUtf8(s_systemCodePage, "", 0, probe)) {
            std::fprintf(stderr, "inftool dump: this system cannot convert from code page %u\n",
                         s_systemCodePage);
            return kExitRefused;
        }
        UseLeadBytesOf(s_systemCodePage);
    }
    const int loaded = LoadScriptOrReport("dump", args.operands[0]);
    if (loaded != kExitOk) return loaded;

    std::string out = "{\n";
    DumpApplication(out);
    List(out, "Disks", Count(GetDiskCount), DumpDisk);
    out += ",\n";
    List(out, "Dirs", Count(GetDirCount), DumpDir);
    out += ",\n";
    List(out, "Files", Count(GetFileCount), DumpFile);
    out += ",\n";
    List(out, "PmItems", Count(GetPmItemCount), DumpPmItem);
    out += "\n}\n";

    SetBinaryStdout();
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kExitOk;
}

constexpr char kDumpSummary[] = "prints the catalogue the installer reads from a script, as JSON";
constexpr char kDumpDetails[] =
    "FILE: the script; - reads standard input\n"
    "Each text byte beyond ASCII is the Latin-1 character of its value; with\n"
    "--system-codepage, the characters of that code page, in UTF-8.\n";

} // namespace

const Command kDumpCommand = {
    "dump", "FILE", 1, 1, kDumpSummary, kDumpDetails, kDumpOptions, std::size(kDumpOptions),
    RunDump};
