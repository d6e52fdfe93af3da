#include "commands/written.h"

#include "cli/exit_codes.h"

#include <cstdio>

int WrittenStatus(const char* command, Placed placed, const std::string& why,
                  const char* nothingLine) {
    switch (placed) {
    case Placed::kAll: return kExitOk;
    case Placed::kNothing:
        std::fprintf(stderr, "inftool %s: %s\n%s", command, why.c_str(), nothingLine);
        return kExitWrite;
    case Placed::kUnflushable:
        std::fprintf(stderr,
                     "inftool %s: warning: %s; written, but this file system cannot flush a "
                     "folder, so a power cut may still lose it\n",
                     command, why.c_str());
        return kExitOk;
    case Placed::kUnflushed:
        std::fprintf(stderr, "inftool %s: %s; written, but its folder could not be flushed\n",
                     command, why.c_str());
        return kExitUnsettled;
    case Placed::kPartly:
        std::fprintf(stderr, "inftool %s: %s\n", command, why.c_str());
        return kExitUnsettled;
    }
    return kExitUnsettled;
}
