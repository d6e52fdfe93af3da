#include "cli/dispatch.h"
#include "commands/commands.h"

#include <iterator>

namespace {

// In the order the general help lists them.
const Command* const kCommands[] = {
    &kInitCommand, &kBuildCommand, &kImportCommand,   &kCheckCommand,
    &kDumpCommand, &kQueryCommand, &kCompressCommand, &kExpandCommand,
};

} // namespace

int main(int argc, char** argv) {
    return RunCommandLine(kCommands, std::size(kCommands), argc, argv);
}
