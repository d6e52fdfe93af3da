#pragma once

#include "media/script_check.h"

#include <cstdint>
#include <string>
#include <vector>

// The disks of the loaded catalogue as the installer meets them. It reads the sources of the
// entries bound for the Windows directory or TWAIN_32 and skips the others unseen.

bool IsCopiedEntry(uint16_t index);

// The disk numbers of the copied entries and the start disk, ascending: the order of the
// disk folders.
std::vector<uint16_t> DisksInUse();

// The [Disks] name of a disk; "" when it has none.
std::string DiskName(uint16_t number);

// The disk the installer is started from, which holds it, the script and the main setup: the
// lower of the first copied entry's disk and the first disk of [Disks], which may so hold no
// entry (1 when there is neither). The one rule of init, build, check and import.
uint16_t StartDisk();

// The installer asks for another location only when a compressed source cannot be opened;
// warns of each plain entry that would be looked for on the disk before it.
void CheckDiskOrder(const std::vector<uint32_t>& fileLines, std::vector<Warning>& warnings);

// The parts of a path of the script, between "\\" and "/", walked as the installer walks it.
std::vector<std::string> ScriptPathParts(const char* path);

// An entry's source, dirName and name of the script (ANSI code page, walked as the installer
// walks them), as a "/"-separated path the host spells (HostName); false when a part is no
// text of the code page.
bool HostSourcePath(const char* dirName, const char* name, std::string& path);

// The file at the "/"-separated path below dir, each part matched ignoring case; "" when none.
std::string FindHostPath(const std::string& dir, const std::string& path);
