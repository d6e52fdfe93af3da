#include "platform/folder.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// A path resolves as the system resolves it for mkdir or rename: its folder and its last name,
// symlinks followed; never by its text.
TEST(ResolvePathTest, TheSystemsMeaningOfEverySpelling) {
    const fs::path dir = ScratchDir("inftool-resolve-");
    fs::remove_all(dir);
    fs::create_directories(dir / "a");
    WriteBelow(dir, "a/f", "file");
    fs::create_symlink("a/f", dir / "ln");
    fs::create_symlink("ln", dir / "chain");
    fs::create_symlink("a", dir / "lnd");
    fs::create_symlink("loop2", dir / "loop1");
    fs::create_symlink("loop1", dir / "loop2");
    fs::create_symlink("nowhere", dir / "dangling");
    const std::string top = dir.string();
    struct Row {
        std::string path;
        std::string folder; // below dir ("" for dir, ".." for its parent), or what why says
        std::string name;   // "" when refused
    };
    const Row rows[] = {
        {"a/f", "a", "f"},
        {"gone/../a/f", "No such file or directory", ""},
        {"a/../a/f", "a", "f"},
        {"a//f", "a", "f"},
        {"./a/./f", "a", "f"},
        {"a/f/", "Not a directory", ""},
        {"a/new/", "a", "new"},
        {"ln", "a", "f"},
        {"chain", "a", "f"},
        {"lnd/f", "a", "f"},
        {"lnd/", "", "a"},
        {"loop1", "Too many levels of symbolic links", ""},
        {"dangling", "", "nowhere"},
        {"a/.", "", "a"},
        {"a/..", "..", dir.filename().string()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        OutPath out;
        std::string why;
        const bool resolved = ResolvePath(top + "/" + row.path, out, why);
        ASSERT_EQ(resolved, !row.name.empty()) << why;
        if (!resolved) {
            EXPECT_EQ(why, row.folder);
            continue;
        }
        struct stat expected {};
        ASSERT_EQ(stat((row.folder.empty() ? top : top + "/" + row.folder).c_str(), &expected), 0);
        const Found folder = LookAtFolder(out.at);
        EXPECT_EQ(folder.number, static_cast<uint64_t>(expected.st_ino));
        EXPECT_EQ(out.name, row.name);
        EXPECT_EQ(out.folderOnly, row.path.back() == '/');
        CloseFolder(out.at);
    }
    OutPath out;
    std::string why;
    EXPECT_FALSE(ResolvePath("/", out, why));
    EXPECT_FALSE(ResolvePath("", out, why));
    fs::remove_all(dir);
}

} // namespace
