#include "platform/input_file.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

bool CheckInputFile(const char* path, std::string& why) {
    struct stat info {};
    if (stat(path, &info) != 0) {
        why = std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        why = std::strerror(EISDIR);
        return false;
    }
#ifdef S_ISBLK
    if (S_ISBLK(info.st_mode)) {
        why = "a block device, not a file";
        return false;
    }
#endif
    if (S_ISREG(info.st_mode) && info.st_size == 0) {
        why = "empty: a script of no bytes, which the installer cannot read";
        return false;
    }
    if (access(path, R_OK) == 0) return true;
    why = std::strerror(errno);
    return false;
}
