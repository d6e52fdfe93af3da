#include "formats/dsk_image.h"

#include "formats/fat_reader.h"

#include <libdsk.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#if defined(__SANITIZE_ADDRESS__)
#define INFTOOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define INFTOOL_ASAN 1
#endif
#endif
#ifdef INFTOOL_ASAN
// libdsk 1.5's ImageDisk driver leaks the image's comment when it refuses a damaged image: the
// library's, not ours, and once in a run.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdsk.so\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif

namespace {

// libdsk's driver names, in the order they are tried.
constexpr const char* kDrivers[] = {"imd", "tele", "copyqm"};

void Silent(const char*) {}
void SilentEnd() {}

std::string LibdskError(dsk_err_t error) {
    // libdsk's text for a system error is errno's, which a short read leaves as it was.
    if (error == DSK_ERR_SYSERR) return "its records end early or cannot be read";
    const char* text = dsk_strerror(error);
    return text != nullptr ? text : "error " + std::to_string(error);
}

// TMPDIR names tempFolder while libdsk runs, and what it named before afterwards.
struct TempFolderSet {
    std::string before;
    bool wasSet;
    explicit TempFolderSet(const std::string& folder) {
        const char* old = std::getenv("TMPDIR");
        wasSet = old != nullptr;
        if (wasSet) before = old;
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TempFolderSet() {
        if (wasSet)
            setenv("TMPDIR", before.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
};

bool ReadSectors(DSK_PDRIVER driver, std::vector<uint8_t>& sectors, std::string& why) {
    DSK_GEOMETRY geometry{};
    const dsk_err_t error = dsk_getgeom(driver, &geometry);
    if (error != DSK_ERR_OK) {
        why = "holds no DOS boot sector whose geometry libdsk reads: " + LibdskError(error);
        return false;
    }
    const uint64_t count =
        uint64_t{geometry.dg_cylinders} * geometry.dg_heads * geometry.dg_sectors;
    const uint64_t bytes = count * geometry.dg_secsize;
    if (count == 0 || geometry.dg_secsize == 0 || bytes > kMaxFatImageBytes) {
        why = "declares " + std::to_string(bytes) +
              " bytes of sectors, where the FAT reader takes 1 to " +
              std::to_string(kMaxFatImageBytes);
        return false;
    }
    sectors.assign(bytes, 0);
    for (uint64_t sector = 0; sector < count; ++sector) {
        const dsk_err_t read =
            dsk_lread(driver, &geometry, sectors.data() + sector * geometry.dg_secsize,
                      static_cast<dsk_lsect_t>(sector));
        if (read == DSK_ERR_OK) continue;
        why = "sector " + std::to_string(sector) + " of " + std::to_string(count) +
              " cannot be read: " + LibdskError(read);
        sectors.clear();
        return false;
    }
    return true;
}

// libdsk writes what it finds wrong to stderr itself: into a file of tempFolder while it runs,
// so that the first line can join the one error line.
struct StderrCaught {
    std::string path;
    int saved = -1;
    explicit StderrCaught(const std::string& folder) : path(folder + "/libdsk.log") {
        const int log = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (log < 0) return;
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        if (saved >= 0) dup2(log, STDERR_FILENO);
        close(log);
    }
    std::string FirstLine() {
        if (saved < 0) return "";
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        saved = -1;
        std::ifstream log(path);
        std::string line;
        std::getline(log, line);
        unlink(path.c_str());
        return line;
    }
    ~StderrCaught() { FirstLine(); }
};

} // namespace

bool ReadDskImage(const std::string& copy, const std::string& tempFolder,
                  std::vector<uint8_t>& sectors, std::string& why) {
    sectors.clear();
    if (copy.empty() || copy[0] != '/') {
        why = "libdsk is given only an absolute name of inftool's own";
        return false;
    }
    dsk_reportfunc_set(Silent, SilentEnd);
    const TempFolderSet temp(tempFolder);
    StderrCaught caught(tempFolder);
    dsk_err_t error = DSK_ERR_NOTME;
    bool read = false;
    for (const char* type : kDrivers) {
        DSK_PDRIVER driver = nullptr;
        error = dsk_open(&driver, copy.c_str(), type, nullptr);
        if (error == DSK_ERR_NOTME) continue;
        if (error != DSK_ERR_OK) break;
        read = ReadSectors(driver, sectors, why);
        dsk_close(&driver);
        break;
    }
    const std::string said = caught.FirstLine();
    if (error == DSK_ERR_OK) {
        if (!read && !said.empty()) why += " (libdsk: " + said + ")";
        return read;
    }
    why = error == DSK_ERR_NOTME
              ? "damaged, or of a version libdsk does not read: its header is refused by libdsk's "
                "drivers for ImageDisk, TeleDisk and CopyQM"
              : "damaged: " + LibdskError(error);
    if (!said.empty()) why += " (libdsk: " + said + ")";
    return false;
}
