#include "commands/commands.h"
#include "commands/script_input.h"
#include "formats/json.h"
#include "platform/files.h"

#include "inf_query.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Wider than any field, so that a copy past a field's width would show in the output.
constexpr size_t kQueryBufferSize = 512;

int Usage(const char* problem, const char* argument) {
    std::fprintf(stderr, "inftool query: %s: %s\n", problem, argument);
    return UsageError("query");
}

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
        if (std::strcmp(text, InfQueryCodeName(i)) == 0) {
            *code = i;
            return true;
        }
    }
    return false;
}

} // namespace

int RunQuery(int argc, char** argv) {
    if (argc < 2) return Usage("missing argument", argc == 0 ? "FILE" : "CODE");
    if (argc > 4) return Usage("too many arguments", argv[4]);
    uint32_t code = 0;
    if (!ParseCode(argv[1], &code)) return Usage("unknown query code", argv[1]);
    uint32_t index = 0;
    if (argc >= 3 && !ParseUnsigned32(argv[2], &index))
        return Usage("INDEX is not an unsigned 32-bit number", argv[2]);

    const int loaded = LoadScriptOrReport(argv[0]);
    if (loaded != kExitOk) return loaded;

    char buffer[kQueryBufferSize] = {};
    if (argc == 4) {
        std::strncpy(buffer, argv[3], sizeof buffer - 1);
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
    return std::fflush(stdout) == 0 ? kExitOk : kExitOutput;
}
