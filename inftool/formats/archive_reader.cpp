#include "formats/archive_reader.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>

namespace {

using ArchivePointer = std::unique_ptr<archive, int (*)(archive*)>;

ArchivePointer NewReader() {
    ArchivePointer reader(archive_read_new(), archive_read_free);
    archive* a = reader.get();
    // Formats and filters named one by one: "all" would take mtree, which opens the files it
    // names, and the filters that run external programs.
    archive_read_support_format_zip(a);
    archive_read_support_format_7zip(a);
    archive_read_support_format_tar(a);
    archive_read_support_format_iso9660(a);
    archive_read_support_filter_gzip(a);
    archive_read_support_filter_bzip2(a);
    archive_read_support_filter_xz(a);
    return reader;
}

std::string ErrorOf(archive* a) {
    const char* text = archive_error_string(a);
    return text != nullptr ? text : "damaged";
}

// The path as "/"-separated parts without "." ones; false when it leads out or is empty.
bool CleanPath(const char* raw, std::string& path) {
    path.clear();
    if (raw == nullptr || raw[0] == '/' || raw[0] == '\\') return false;
    std::string part;
    const std::string whole = std::string(raw) + "/";
    for (char c : whole) {
        if (c != '/' && c != '\\') {
            part += c;
            continue;
        }
        if (part == "..") return false;
        if (!part.empty() && part != ".") path += (path.empty() ? "" : "/") + part;
        part.clear();
    }
    return !path.empty();
}

bool ReadMember(archive* a, archive_entry* entry, ArchiveMember& member, uint64_t& total,
                std::string& why) {
    // Joliet's and zip's names are Unicode: their UTF-8 form does not depend on the locale.
    const char* raw = archive_entry_pathname_utf8(entry);
    if (raw == nullptr) raw = archive_entry_pathname(entry);
    const std::string shown = raw != nullptr ? raw : "(a member without a name)";
    const mode_t type = archive_entry_filetype(entry);
    member.folder = type == AE_IFDIR;
    // A CD image names its root ".".
    if (member.folder && raw != nullptr &&
        std::string(raw).find_first_not_of("./") == std::string::npos && raw[0] == '.')
        return true;
    if (!CleanPath(raw, member.path)) {
        why = shown + ": a member name that leads out of the archive";
        return false;
    }
    if (archive_entry_hardlink(entry) != nullptr || (type != AE_IFREG && type != AE_IFDIR)) {
        why = shown + ": a link or device; only files and folders are read";
        return false;
    }
    if (archive_entry_is_encrypted(entry)) {
        why = shown + ": encrypted";
        return false;
    }
    member.modified = archive_entry_mtime_is_set(entry) ? archive_entry_mtime(entry) : -1;
    if (member.folder) return true;
    const std::string limit =
        "more than the " + std::to_string(kMaxMemberBytes) + " bytes a member may hold";
    if (archive_entry_size_is_set(entry) && archive_entry_size(entry) < 0) {
        why = shown + ": claims a negative size";
        return false;
    }
    if (archive_entry_size_is_set(entry) &&
        static_cast<uint64_t>(archive_entry_size(entry)) > kMaxMemberBytes) {
        why = shown + ": claims " + std::to_string(archive_entry_size(entry)) + " bytes, " + limit;
        return false;
    }
    uint8_t block[65536];
    for (;;) {
        const la_ssize_t got = archive_read_data(a, block, sizeof block);
        if (got == 0) return true;
        if (got < 0) {
            why = shown + ": " + ErrorOf(a);
            return false;
        }
        total += static_cast<uint64_t>(got);
        if (member.bytes.size() + static_cast<size_t>(got) > kMaxMemberBytes) {
            why = shown + ": unpacks to " + limit;
            return false;
        }
        if (total > kMaxArchiveBytes) {
            why = shown + ": the members unpack to more than the " +
                  std::to_string(kMaxArchiveBytes) + " bytes an archive may hold";
            return false;
        }
        member.bytes.insert(member.bytes.end(), block, block + got);
    }
}

bool ReadAll(archive* a, int opened, std::vector<ArchiveMember>& members, std::string& why) {
    members.clear();
    if (opened != ARCHIVE_OK) {
        why = ErrorOf(a);
        return false;
    }
    uint64_t total = 0;
    for (;;) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(a, &entry);
        if (status == ARCHIVE_EOF) break;
        if (status != ARCHIVE_OK && status != ARCHIVE_WARN) {
            why = ErrorOf(a);
            return false;
        }
        if (members.size() == kMaxArchiveMembers) {
            why = "more than " + std::to_string(kMaxArchiveMembers) + " members";
            return false;
        }
        members.push_back({});
        if (!ReadMember(a, entry, members.back(), total, why)) return false;
        if (members.back().path.empty()) members.pop_back();
    }
    if (archive_read_close(a) != ARCHIVE_OK) {
        why = ErrorOf(a);
        return false;
    }
    return true;
}

} // namespace

bool ReadArchiveFile(int fd, std::vector<ArchiveMember>& members, std::string& why) {
    ArchivePointer reader = NewReader();
    const bool read =
        ReadAll(reader.get(), archive_read_open_fd(reader.get(), fd, 65536), members, why);
    if (!read) members.clear();
    return read;
}

bool ReadArchiveBytes(const uint8_t* data, size_t size, std::vector<ArchiveMember>& members,
                      std::string& why) {
    ArchivePointer reader = NewReader();
    const bool read =
        ReadAll(reader.get(), archive_read_open_memory(reader.get(), data, size), members, why);
    if (!read) members.clear();
    return read;
}
