#pragma once

#include <cstdint>

// Where things are on the installation media and where they go: what the installer looks
// for beside itself, and the destinations a [Files] entry may name.

// Relative to the installer's own directory.
constexpr char kFollowOnSetup[] = "photo\\setup.EXE";
// The installer itself, as the media carry it.
constexpr char kInstallerName[] = "setup.exe";
constexpr char kScriptName[] = "SETUP.INF";

// Directory numbers of the [Files] entries that have a destination.
enum DestinationDir : uint16_t {
    kDestWindows = 1,
    kDestTwain = 2,
};

// Appended to the Windows directory for kDestTwain.
constexpr char kTwainSubdir[] = "\\TWAIN_32";

constexpr bool IsDestinationDir(uint32_t number) {
    return number == kDestWindows || number == kDestTwain;
}
