#include "formats/dsk_image.h"

#include "formats/fat_reader.h"

#include <libdsk.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#if defined(__SANITIZE_ADDRESS__)
#define INFTOOL_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define INFTOOL_SANITIZED 1
#endif
#endif
#ifdef INFTOOL_SANITIZED
#include <sanitizer/common_interface_defs.h>
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

// What libdsk makes of the copy, in the child: its sectors, or why not.
bool ReadWithLibdsk(const std::string& copy, std::vector<uint8_t>& sectors, std::string& why) {
    dsk_reportfunc_set(Silent, SilentEnd);
    dsk_err_t error = DSK_ERR_NOTME;
    for (const char* type : kDrivers) {
        DSK_PDRIVER driver = nullptr;
        error = dsk_open(&driver, copy.c_str(), type, nullptr);
        if (error == DSK_ERR_NOTME) continue;
        if (error != DSK_ERR_OK) break;
        const bool read = ReadSectors(driver, sectors, why);
        dsk_close(&driver);
        return read;
    }
    why = error == DSK_ERR_NOTME
              ? "damaged, or of a version libdsk does not read: its header is refused by libdsk's "
                "drivers for ImageDisk, TeleDisk and CopyQM"
              : "damaged: " + LibdskError(error);
    return false;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* at = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, at, size);
        if (written <= 0) return false;
        at += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// The child: TMPDIR and stderr (which libdsk writes its findings to) in tempFolder, then 'S'
// and the sectors, or 'E' and why, down the pipe.
[[noreturn]] void RunChild(const std::string& copy, const std::string& tempFolder, int out) {
    // The parent reports how the child ended: no handler the parent set (for a stop, or a
    // fuzzer's for a crash) takes it for its own.
    for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGINT, SIGTERM})
        std::signal(signal, SIG_DFL);
#ifdef INFTOOL_SANITIZED
    __sanitizer_set_death_callback(nullptr);
#endif
    setenv("TMPDIR", tempFolder.c_str(), 1);
    const int log = open((tempFolder + "/libdsk.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (log >= 0) dup2(log, STDERR_FILENO);
    std::vector<uint8_t> sectors;
    std::string why;
    const bool read = ReadWithLibdsk(copy, sectors, why);
    const bool sent = read ? WriteAll(out, "S", 1) && WriteAll(out, sectors.data(), sectors.size())
                           : WriteAll(out, "E", 1) && WriteAll(out, why.data(), why.size());
    _exit(sent ? 0 : 1);
}

std::string FirstLineOf(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

} // namespace

bool ReadDskImage(const std::string& copy, const std::string& tempFolder,
                  std::vector<uint8_t>& sectors, std::string& why) {
    sectors.clear();
    if (copy.empty() || copy[0] != '/') {
        why = "libdsk is given only an absolute name of inftool's own";
        return false;
    }
    // libdsk 1.5 crashes on some damaged images (CopyQM's driver follows a null pointer): it
    // runs in a child, whose end is then an error like any other.
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        why = std::string("cannot start libdsk: ") + std::strerror(errno);
        return false;
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        RunChild(copy, tempFolder, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    std::vector<uint8_t> answer;
    uint8_t block[65536];
    ssize_t got = 0;
    while (child > 0 && (got = read(pipeEnds[0], block, sizeof block)) > 0)
        if (answer.size() <= kMaxFatImageBytes) answer.insert(answer.end(), block, block + got);
    close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        why = std::string("cannot start libdsk: ") + std::strerror(errno);
        return false;
    }
    const std::string log = tempFolder + "/libdsk.log";
    const std::string said = FirstLineOf(log);
    unlink(log.c_str());
    const bool ended = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !answer.empty();
    if (ended && answer[0] == 'S' && answer.size() <= kMaxFatImageBytes + 1) {
        sectors.assign(answer.begin() + 1, answer.end());
        return true;
    }
    if (!ended || answer[0] != 'E') {
        why = "damaged: libdsk stopped on it" +
              (WIFSIGNALED(status) ? std::string(": ") + strsignal(WTERMSIG(status)) : "");
        return false;
    }
    why.assign(answer.begin() + 1, answer.end());
    if (!said.empty()) why += " (libdsk: " + said + ")";
    return false;
}
