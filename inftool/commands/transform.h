#pragma once

#include <cstdint>
#include <vector>

// What compress and expand share: one file in, one file out, written whole or not at all.

// Makes out from the input's bytes; nullptr, or why nothing could be made.
using Transform = const char* (*)(const char* inPath, const std::vector<uint8_t>& in,
                                  std::vector<uint8_t>& out);

// IN to OUT through transform, for the command's arguments IN OUT.
int RunTransform(const char* command, int argc, char** argv, Transform transform);
