#pragma once

#include "cli/options.h"

#include <cstdint>
#include <vector>

// What compress and expand share: one file in, one file out, written whole or not at all;
// "-" for either is standard input or output.

// Makes out from the input's bytes; nullptr, or why nothing could be made. inPath is "-" for
// standard input.
using Transform = const char* (*)(const char* inPath, const std::vector<uint8_t>& in,
                                  std::vector<uint8_t>& out);

// The command's operands IN and OUT, IN to OUT through transform.
int RunTransform(const Command& command, const Arguments& args, Transform transform);
