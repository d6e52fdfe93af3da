#include "cli/exit_codes.h"
#include "commands/commands.h"
#include "commands/script_input.h"
#include "formats/json.h"
#include "platform/files.h"

#include "inf_query.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <strings.h>

namespace {

// Wider than any field, so that a copy past a field's width would show in the output.
constexpr size_t kQueryBufferSize = 512;

// Digits only, at most 4294967295.
bool ParseUnsigned32(const char* text, uint32_t* value) {
    if (*text == '\0') return false;
    uint64_t number = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') return false;
        number = number * 10 + static_cast<uint64_t>(*p - '0');
        if (number > UINT32_MAX) return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
}

bool ParseCode(const char* text, uint32_t* code) {
    if (ParseUnsigned32(text, code)) return true;
    for (uint32_t i = 0; i < InfQueryCodeCount; ++i) {
        if (strcasecmp(text, InfQueryCodeName(i)) == 0) {
            *code = i;
            return true;
        }
    }
    return false;
}

int RunQuery(const Arguments& args) {
    const std::vector<const char*>& operands = args.operands;
    uint32_t code = 0;
    if (!ParseCode(operands[1], &code))
        return WrongCall(kQueryCommand, std::string("unknown query code ") + operands[1]);
    uint32_t index = 0;
    if (operands.size() >= 3 && operands[2][0] == '-' && operands[2][1] >= '0' &&
        operands[2][1] <= '9')
        return WrongCall(kQueryCommand, std::string("INDEX is negative: ") + operands[2]);
    if (operands.size() >= 3 && !ParseUnsigned32(operands[2], &index))
        return WrongCall(kQueryCommand,
                         std::string("INDEX is not an unsigned 32-bit number: ") + operands[2]);

    const int loaded = LoadScriptOrReport("query", operands[0]);
    if (loaded != kExitOk) return loaded;

    char buffer[kQueryBufferSize] = {};
    if (operands.size() == 4) {
        std::strncpy(buffer, operands[3], sizeof buffer - 1);
        buffer[sizeof buffer - 1] = '\0';
    }
    const int32_t result = InfQuery(code, index, buffer);

    std::string out = "{\"result\": " + std::to_string(result) + ", \"buffer\": ";
    const void* end = std::memchr(buffer, '\0', sizeof buffer);
    const size_t length = end != nullptr
                              ? static_cast<size_t>(static_cast<const char*>(end) - buffer)
                              : sizeof buffer;
    AppendJsonString(out, buffer, length);
    out += "}\n";
    SetBinaryStdout();
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kExitOk;
}

constexpr char kQuerySummary[] =
    "prints the answer of one InfQuery call on the catalogue of a script, as JSON";
constexpr char kQueryDetails[] =
    "FILE: the script; - reads standard input\n"
    "CODE: a query code number or name, in any letter case:\n"
    "  0 LoadScript, 1 GetAppName, 2 GetDfltDir, 3 GetMinHDSpace, 4 GetDiskCount,\n"
    "  5 GetDiskName, 6 FindDisk, 7 GetDirCount, 8 GetDirName, 9 FindDir, 10 GetFileCount,\n"
    "  11 GetFileDescription, 12 GetFileSourceName, 13 GetFileDestName, 14 GetFileDir,\n"
    "  15 GetFileDisk, 16 GetFileCompressed, 17 FindFileDir, 18 GetGroupTitle,\n"
    "  19 GetGroupFile, 20 GetPmItemCount, 21 GetPmItemFile, 22 GetPmItemTitle,\n"
    "  23 GetPmItemAltFile\n"
    "INDEX: an unsigned 32-bit decimal number, 0 when absent\n"
    "TEXT: the text the call's buffer holds before it, empty when absent\n";

} // namespace

const Command kQueryCommand = {
    "query", "FILE CODE [INDEX [TEXT]]", 2, 4, kQuerySummary, kQueryDetails, nullptr, 0, RunQuery};
