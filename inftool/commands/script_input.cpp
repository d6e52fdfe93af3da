#include "commands/script_input.h"

#include "commands/commands.h"

#include "inf_query.h"

#include <cstdio>
#include <string>

int LoadScriptOrReport(const char* path) {
    // LoadScript takes a writable buffer; the path is copied so argv stays untouched.
    std::string writable(path);
    const int32_t result = InfQuery(LoadScript, 0, writable.data());
    if (result == LoadNoMemory) {
        std::fprintf(stderr, "inftool: no memory to read %s\n", path);
        return kExitNoMemory;
    }
    if (result != LoadOk) {
        std::fprintf(stderr, "inftool: cannot open %s\n", path);
        return kExitNotRead;
    }
    return kExitOk;
}
