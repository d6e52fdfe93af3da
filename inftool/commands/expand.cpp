#include "commands/commands.h"
#include "commands/transform.h"
#include "formats/szdd.h"

namespace {

const char* Expand(const char*, const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
    const SzddStatus status = SzddExpand(in.data(), in.size(), out);
    return status == SzddStatus::Ok ? nullptr : SzddStatusText(status);
}

int RunExpand(const Arguments& args) {
    return RunTransform(kExpandCommand, args, Expand);
}

constexpr char kExpandSummary[] = "writes the expanded content of an LZ32 (SZDD) file";
constexpr char kExpandDetails[] =
    "IN, OUT: the compressed file and the expanded one; - is standard input or output\n"
    "A damaged IN leaves OUT as it was.\n";

} // namespace

const Command kExpandCommand = {"expand",       "IN OUT", 2, 2,        kExpandSummary,
                                kExpandDetails, nullptr,  0, RunExpand};
