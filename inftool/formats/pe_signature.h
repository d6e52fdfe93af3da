#pragma once

#include <cstddef>
#include <cstdint>

// Whether a Windows program carries an Authenticode signature: its PE security directory
// names one. Only read, never verified.

enum class PeSignature { NotPe, Unsigned, Signed };

// The headers lie within the first few kilobytes of any program a linker writes.
constexpr size_t kPeHeadersReadLimit = 4096;

PeSignature ReadPeSignature(const uint8_t* bytes, size_t size);
