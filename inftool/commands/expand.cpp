#include "commands/commands.h"
#include "commands/transform.h"
#include "formats/szdd.h"

namespace {

const char* Expand(const char*, const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
    const SzddStatus status = SzddExpand(in.data(), in.size(), out);
    return status == SzddStatus::Ok ? nullptr : SzddStatusText(status);
}

} // namespace

int RunExpand(int argc, char** argv) {
    return RunTransform("expand", argc, argv, Expand);
}
