#pragma once

#include <cstdint>

enum InfQueryCode : uint32_t {
    LoadScript,
    GetAppName,
    GetDfltDir,
    GetMinHDSpace,
    GetDiskCount,
    GetDiskName,
    FindDisk,
    GetDirCount,
    GetDirName,
    FindDir,
    GetFileCount,
    GetFileDescription,
    GetFileSourceName,
    GetFileDestName,
    GetFileDir,
    GetFileDisk,
    GetFileCompressed,
    FindFileDir,
    GetGroupTitle,
    GetGroupFile,
    GetPmItemCount,
    GetPmItemFile,
    GetPmItemTitle,
    GetPmItemAltFile,
    InfQueryCodeCount
};

// What loading a script gives, as LoadScript's result and LoadSetupScript's.
enum LoadResult : int32_t {
    LoadOk = 0,
    LoadNoMemory = 1,
    LoadCannotOpen = 2,
};

// The installer's only way into the catalogue. Only the low 16 bits of index count. A buffer that
// receives a text must hold the width of the field copied; nothing beyond it is written.
int32_t InfQuery(uint32_t code, uint32_t index, char* buffer);

// Name of a query code ("FindFileDir"), or nullptr for a code outside the enumeration.
const char* InfQueryCodeName(uint32_t code);
