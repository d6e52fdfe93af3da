#include "read_whole.h"
#include "run_inftool.h"
#include "scratch_dir.h"
#include "script_lines.h"
#include "tiny_pe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Noise(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

class InitTest : public ::testing::Test {
  protected:
    fs::path dir = ScratchDir("inftool-init-");
    std::string script = (dir / "SETUP.INF").string();

    void SetUp() override {
        fs::create_directories(dir);
        Write("Package/README.TXT", std::string(3000, 'r'));
        Write("Package/windows/scan.dll", std::string(5000, 'd'));
        Write("Package/windows/NOISE.BIN", Noise(700, 1));
        Write("Package/TWAIN_32/SCANDS.DS", std::string(9000, 's'));
        Write("Package/TWAIN_32/SCANDS.INI", "[scan]");
        Write("setup.exe", TinyPe());
        Write("follow.exe", "MZ follow-on");
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string& name, const std::string& bytes) { WriteBelow(dir, name, bytes); }

    ProgramRun Init(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"init", (dir / "Package").string(), "--out", script};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunInftool(args);
    }

    // build --strict of the script: it must take it at once, without a warning.
    ProgramRun Build(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"build",       script,
                                         "--from",      (dir / "Package").string(),
                                         "--setup",     (dir / "setup.exe").string(),
                                         "--follow-on", (dir / "follow.exe").string(),
                                         "--out",       (dir / "media").string(),
                                         "--strict"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunInftool(args);
    }
};

// Compressed where that saves a cluster, not the noise, not the six bytes; and never to a
// name that another file has or would have: A.DLL and A.DLX would both be A.DL_.
TEST_F(InitTest, WritesAScriptThatBuildTakesAtOnce) {
    Write("Package/A.DLL", std::string(4000, 'a'));
    Write("Package/A.DLX", std::string(4000, 'x'));
    Write("Package/B.IN_", "plain");
    Write("Package/B.INI", std::string(4000, 'b'));
    Write("Package/NOEXT", std::string(4000, 'n'));
    ProgramRun run = Init();
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, script + ": 10 files, 5 of them compressed, on 1 disk\n");
    EXPECT_EQ(
        ReadWhole(script),
        "; Made by inftool init: edit the [Application] values and the descriptions\r\n" +
            Lines({"[Application]", "AppName = Package", "DfltDir = C:\\PACKAGE", "MinHDSpace = 33",
                   "GroupName = PACKAGE.GRP, Package", "", "[Disks]", "1 = Setup Disk 1", "",
                   "[Dirs]", "1 = WINDOWS", "2 = TWAIN_32", "", "[Files]"}) +
            "A library, A.DL_, A.DLL, 1, 1, Y\r\n"
            "A file, A.DLX, A.DLX, 1, 1, N\r\n"
            "B settings, B.INI, B.INI, 1, 1, N\r\n"
            "B file, B.IN_, B.IN_, 1, 1, N\r\n"
            "NOEXT file, NOEXT._, NOEXT, 1, 1, Y\r\n"
            "NOISE file, NOISE.BIN, NOISE.BIN, 1, 1, N\r\n"
            "README text, README.TX_, README.TXT, 1, 1, Y\r\n"
            "scan library, scan.dl_, scan.dll, 1, 1, Y\r\n"
            "SCANDS data source, SCANDS.DS_, SCANDS.DS, 2, 1, Y\r\n"
            "SCANDS settings, SCANDS.INI, SCANDS.INI, 2, 1, N\r\n" +
            Lines({"", "[PM Info]", "", "[End]"}));
    run = Build();
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(RunInftool({"check", script}).status, 0);
    // "-" is standard output: the same script there, the report on stderr.
    run = RunInftool({"init", (dir / "Package").string(), "--out", "-"}, dir.string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, ReadWhole(script));
    EXPECT_EQ(run.err, "standard output: 10 files, 5 of them compressed, on 1 disk\n");
    EXPECT_FALSE(fs::exists(dir / "-"));
}

// Each disk after the first is opened by a compressed entry: the installer asks for a disk
// only when a compressed file is not where it looks.
TEST_F(InitTest, SpreadsTheFilesOverTheDisksTheyNeed) {
    for (int i = 0; i < 4; ++i)
        Write("Package/windows/BIG" + std::to_string(i) + ".BIN", Noise(150000, 10 + i));
    ProgramRun run = Init({"--disk-size", "360K", "--setup", (dir / "setup.exe").string(),
                           "--follow-on", (dir / "follow.exe").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, script + ": 9 files, 4 of them compressed, on 2 disks\n");
    const std::string text = ReadWhole(script);
    EXPECT_NE(text.find("2 = Setup Disk 2\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("BIG2 file, BIG2.BI_, BIG2.BIN, 1, 2, Y\r\n"), std::string::npos) << text;
    run = Build({"--disk-size", "360K"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;

    // Without the installer's files, init allows for them and says so.
    run = Init({"--disk-size", "360K", "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(script + ": note: disk 1 keeps 65536 bytes for setup.exe"),
              std::string::npos)
        << run.out;
}

// Folders of random files, from one to more than nine 160K disks hold, some of noise, some
// that compress: init writes a script that build takes at once, or refuses naming why.
TEST_F(InitTest, EveryPlanBuildsOrIsRefusedByName) {
    std::mt19937 random(33);
    const std::regex named("inftool init: (the files need more than the 10 disks a script lists|"
                           "[A-Z0-9_]+\\.BIN: [0-9]+ bytes(, more than a disk holds| compressed, "
                           "more than a disk holds))");
    int built = 0, refused = 0;
    for (int round = 0; round < 30; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        fs::remove_all(dir / "Package");
        fs::remove_all(dir / "media");
        const size_t count = 1 + random() % 40;
        // Rounds of many small files, and rounds of a few files up to a disk and more.
        const uint32_t largest = round % 3 == 0 ? 170000 : round % 3 == 1 ? 60000 : 9000;
        for (size_t i = 0; i < count; ++i) {
            const size_t size = random() % largest + 1;
            Write("Package/F" + std::to_string(i) + ".BIN",
                  random() % 2 == 0 ? Noise(size, static_cast<uint32_t>(random()))
                                    : std::string(size, 'c'));
        }
        ProgramRun run =
            Init({"--disk-size", "160K", "--force", "--setup", (dir / "setup.exe").string(),
                  "--follow-on", (dir / "follow.exe").string()});
        if (run.status != 0) {
            EXPECT_EQ(run.status, 2);
            EXPECT_TRUE(std::regex_search(run.err, named)) << run.err;
            EXPECT_EQ(run.out, "");
            ++refused;
            continue;
        }
        run = Build({"--disk-size", "160K"});
        EXPECT_EQ(run.status, 0) << ReadWhole(script) << run.out << run.err;
        ++built;
    }
    EXPECT_GT(built, 10);
    EXPECT_GT(refused, 0);
}

TEST_F(InitTest, EachRefusalNamesThePathAndWritesNothing) {
    const std::string package = (dir / "Package").string();
    struct Case {
        const char* name;
        std::function<void(std::vector<std::string>& extra)> arrange;
        std::string err; // a part of stderr
    };
    const Case cases[] = {
        {"another folder", [&](auto&) { Write("Package/SYSTEM/X.DLL", "x"); },
         "inftool init: SYSTEM: a folder the script has no place for (WINDOWS, TWAIN_32 and "
         "TWAIN are)\n"},
        {"a folder in WINDOWS", [&](auto&) { Write("Package/WINDOWS/SUB/X.DLL", "x"); },
         "inftool init: WINDOWS/SUB: a folder the script has no place for\n"},
        {"a long name", [&](auto&) { Write("Package/TWAIN_32/LONGNAME123.DLL", "x"); },
         "inftool init: TWAIN_32/LONGNAME123.DLL: not an 8.3 name that a script and a FAT disk "
         "can hold\n"},
        {"a comma", [&](auto&) { Write("Package/A,B.DLL", "x"); },
         "inftool init: A,B.DLL: not an 8.3 name"},
        {"a blank", [&](auto&) { Write("Package/A B.DLL", "x"); },
         "inftool init: A B.DLL: not an 8.3 name"},
        {"a long extension", [&](auto&) { Write("Package/A.HTML", "x"); },
         "inftool init: A.HTML: not an 8.3 name"},
        {"both TWAIN folders", [&](auto&) { Write("Package/twain/X.DS", "x"); },
         "inftool init: twain: a second folder for its destination beside TWAIN_32\n"},
        {"WINDOWS in two spellings", [&](auto&) { Write("Package/Windows/X.DLL", "x"); },
         "inftool init: windows: a second folder for its destination beside Windows\n"},
        {"one name twice for the Windows directory", [&](auto&) { Write("Package/SCAN.DLL", "x"); },
         ": a second file of this name for its destination\n"},
        {"a script that exists", [&](auto&) { Write("SETUP.INF", "keep"); },
         "inftool init: " + script + ": exists (--force replaces it)\n"},
        {"no folder", [&](auto&) { fs::remove_all(dir / "Package"); },
         "inftool init: " + package + ": not a folder\n"},
        {"no originals",
         [&](auto&) {
             fs::remove_all(dir / "Package");
             fs::create_directories(dir / "Package/WINDOWS");
         },
         "inftool init: " + package +
             ": no originals, in it or in its WINDOWS, TWAIN_32 or TWAIN folder\n"},
        {"too many files",
         [&](auto&) {
             for (int i = 0; i < 196; ++i)
                 Write("Package/F" + std::to_string(i), "f");
         },
         "inftool init: " + package + ": 201 files, more than the 200 a script lists\n"},
        {"a file no disk holds",
         [&](auto& extra) {
             Write("Package/HUGE.BIN", Noise(400000, 3));
             extra = {"--disk-size", "360K"};
         },
         "inftool init: HUGE.BIN: 400000 bytes, more than a disk holds (362496 bytes of files)\n"},
        {"more disks than a script lists",
         [&](auto& extra) {
             for (int i = 0; i < 11; ++i)
                 Write("Package/N" + std::to_string(i) + ".BIN", Noise(200000, 20 + i));
             extra = {"--disk-size", "360K"};
         },
         "inftool init: the files need more than the 10 disks a script lists (1 file is left "
         "after disk 10)\n"},
        {"disks too small for the installer",
         [&](auto& extra) {
             extra = {"--disk-size", "40000"};
         },
         "inftool init: the installer's own files alone fill a disk\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        std::vector<std::string> extra;
        c.arrange(extra);
        const bool existed = fs::exists(script);
        ProgramRun run = Init(extra);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("inftool init: nothing was written\n"), std::string::npos);
        EXPECT_EQ(fs::exists(script), existed);
        EXPECT_EQ(ReadWhole(script), existed ? "keep" : "");
    }
}

} // namespace
