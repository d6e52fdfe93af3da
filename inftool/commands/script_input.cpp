#include "commands/script_input.h"

#include "cli/exit_codes.h"
#include "platform/files.h"
#include "platform/input_file.h"

#include "inf_query.h"
#include "parser.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// As the loader reads a file: its first kScriptReadSize bytes, ended by a NUL.
int LoadStandardInput(const char* command) {
    std::vector<uint8_t> bytes;
    std::string why;
    if (!ReadInputFile("-", bytes, why, kScriptReadSize)) {
        std::fprintf(stderr, "inftool %s: cannot read standard input: %s\n", command, why.c_str());
        return kExitRefused;
    }
    if (bytes.size() > kScriptReadSize) bytes.resize(kScriptReadSize);
    std::vector<char> text(bytes.begin(), bytes.end());
    text.push_back('\0');
    ParseSetupScript(text.data(), static_cast<uint32_t>(bytes.size()));
    return kExitOk;
}

} // namespace

int LoadScriptOrReport(const char* command, const char* path) {
    if (IsStandardStream(path)) return LoadStandardInput(command);
    std::string why;
    if (!CheckInputFile(path, why)) {
        std::fprintf(stderr, "inftool %s: cannot open %s: %s\n", command, path, why.c_str());
        return kExitRefused;
    }
    // LoadScript takes a writable buffer; the path is copied so argv stays untouched.
    std::string writable(path);
    errno = 0;
    const int32_t result = InfQuery(LoadScript, 0, writable.data());
    if (result == LoadNoMemory) {
        std::fprintf(stderr, "inftool %s: no memory to read %s\n", command, path);
        return kExitRefused;
    }
    if (result != LoadOk) {
        std::fprintf(stderr, "inftool %s: cannot open %s: %s\n", command, path,
                     errno != 0 ? std::strerror(errno) : "the loader cannot read it");
        return kExitRefused;
    }
    return kExitOk;
}
