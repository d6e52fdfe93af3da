#include "formats/szdd.h"

#include "read_whole.h"
#include "run_inftool.h"
#include "scratch_dir.h"
#include "script_lines.h"
#include "tiny_pe.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utime.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Line 10 a compressed entry found by its destination name in the [Dirs] folder, line 11 a
// plain one found in the originals' folder itself, line 12 a plain one by its source name.
const std::string kOneDisk =
    Lines({"[Application]", "AppName = Tools", "GroupName = T.GRP, Tools", "[Disks]", "1 = Disk 1",
           "[Dirs]", "1 = WIN", "2 = TW", "[Files]", "Driver, A.DL_, A.DLL, 2, 1, Y",
           "Settings, A.INI, A.INI, 1, 1, N", "Renamed, B.INI, GUI.INI, 1, 1, N", "[PM Info]",
           "A.DLL, Title", "[End]"});

const std::string kDriver(3000, 'x');
// The root directory of a 1.44M image: after the boot sector and two FATs of 9 sectors.
constexpr size_t kRootAt = 19 * 512;
const std::string kSettings(1500, 's');

class BuildTest : public ::testing::Test {
  protected:
    fs::path dir = ScratchDir("inftool-build-");
    std::string script = (dir / "SETUP.INF").string();
    std::string out = (dir / "out").string();

    void SetUp() override {
        fs::create_directories(dir);
        Write("SETUP.INF", kOneDisk);
        Write("orig/tw/a.dll", kDriver);
        Write("orig/A.INI", kSettings);
        Write("orig/WIN/b.ini", "[renamed]");
        Write("setup.exe", TinyPe());
        Write("follow.exe", "MZ follow-on");
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string& name, const std::string& bytes) { WriteBelow(dir, name, bytes); }
    std::string Read(const std::string& name) { return ReadWhole((dir / name).string()); }

    ProgramRun Build(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"build",       script,
                                         "--from",      (dir / "orig").string(),
                                         "--setup",     (dir / "setup.exe").string(),
                                         "--follow-on", (dir / "follow.exe").string(),
                                         "--out",       out};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunInftool(args);
    }

    // Every path below dir with its bytes: what a failed build must leave as it was.
    std::set<std::string> Snapshot() {
        std::set<std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            entries.insert(entry.path().string() + "=" +
                           (entry.is_regular_file() ? ReadWhole(entry.path().string()) : "/"));
        return entries;
    }

    std::string Expanded(const std::string& name) {
        const std::string packed = Read(name);
        std::vector<uint8_t> expanded;
        SzddExpand(reinterpret_cast<const uint8_t*>(packed.data()), packed.size(), expanded);
        return std::string(expanded.begin(), expanded.end());
    }

    std::set<std::string> FilesBelow(const std::string& name) {
        std::set<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir / name))
            if (entry.is_regular_file())
                files.insert(entry.path().lexically_relative(dir / name).string());
        return files;
    }
};

TEST_F(BuildTest, OneDiskGoesIntoOutItself) {
    ProgramRun run = Build();
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(FilesBelow("out"), (std::set<std::string>{"setup.exe", "SETUP.INF", "photo/setup.EXE",
                                                        "TW/A.DL_", "WIN/A.INI", "WIN/B.INI"}));
    EXPECT_EQ(Read("out/SETUP.INF"), kOneDisk);
    EXPECT_EQ(Read("out/setup.exe"), TinyPe());
    EXPECT_EQ(Read("out/photo/setup.EXE"), "MZ follow-on");
    EXPECT_EQ(Read("out/TW/A.DL_").substr(9, 1), "L") << "the kept last character of A.DLL";
    EXPECT_EQ(Expanded("out/TW/A.DL_"), kDriver);
    EXPECT_EQ(Read("out/WIN/A.INI"), kSettings);
    EXPECT_EQ(Read("out/WIN/B.INI"), "[renamed]");

    // build ends with the check of what it wrote, which notes the installer's signature.
    const std::string note = out + "/setup.exe: note: not signed\n";
    EXPECT_EQ(run.out.substr(run.out.size() - note.size()), note);
    ProgramRun check = RunInftool({"check", out + "/SETUP.INF", "--media", out});
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, note);
}

// Spelt as the first [Files] entry that uses the folder spells it.
TEST_F(BuildTest, FolderNamesDifferingInCaseAreOneFolder) {
    std::string inf = kOneDisk;
    inf.replace(inf.find("2 = TW"), 6, "2 = win");
    Write("SETUP.INF", inf);
    Write("orig/WIN/a.dll", kDriver);
    ProgramRun run = Build();
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(FilesBelow("out"), (std::set<std::string>{"setup.exe", "SETUP.INF", "photo/setup.EXE",
                                                        "win/A.DL_", "win/A.INI", "win/B.INI"}));
}

TEST_F(BuildTest, TwoDisksGoIntoDiskFolders) {
    std::string inf = kOneDisk;
    inf.replace(inf.find("1 = Disk 1"), 10, "1 = Disk 1\r\n2 = Disk 2");
    inf.replace(inf.find("Settings, A.INI, A.INI, 1, 1, N"), 31, "Settings, A.IN_, A.INI, 1, 2, Y");
    inf.replace(inf.find("GUI.INI, 1, 1, N"), 16, "GUI.INI, 1, 2, N");
    Write("SETUP.INF", inf);
    ProgramRun run = Build({"--disk-size", "1.44M", "--images"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(FilesBelow("out/DISK1"),
              (std::set<std::string>{"setup.exe", "SETUP.INF", "photo/setup.EXE", "TW/A.DL_"}));
    EXPECT_EQ(FilesBelow("out/DISK2"), (std::set<std::string>{"WIN/A.IN_", "WIN/B.INI"}));
    for (const char* image : {"out/DISK1.IMG", "out/DISK2.IMG"})
        EXPECT_EQ(Read(image).size(), 1474560u) << image;
    EXPECT_EQ(Read("out/DISK2.IMG").substr(kRootAt, 11), "DISK 2     ") << "the volume label";
    EXPECT_EQ(Read("out/DISK1/SETUP.INF"), inf);
    EXPECT_EQ(Expanded("out/DISK2/WIN/A.IN_"), kSettings);

    ProgramRun check = RunInftool(
        {"check", out + "/DISK1/SETUP.INF", "--media", out + "/DISK1", "--media", out + "/DISK2"});
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, out + "/DISK1/setup.exe: note: not signed\n");
}

TEST_F(BuildTest, TableCountsWholeClustersOfFilesAndFolders) {
    // Five files of one cluster, A.INI of two (1024 bytes) or three (512), three folders.
    ProgramRun floppy = Build({"--disk-size", "720K"});
    ASSERT_EQ(floppy.status, 0) << floppy.err;
    const long long packed = static_cast<long long>(Read("out/TW/A.DL_").size());
    const std::string savedText = std::to_string(3000 - packed);
    EXPECT_NE(floppy.out.find("\n1      .             6        10240       719872 " +
                              std::string(18 - savedText.size(), ' ') + savedText + "\n"),
              std::string::npos)
        << floppy.out;

    ProgramRun bytes = Build({"--disk-size", "100000", "--force"});
    ASSERT_EQ(bytes.status, 0) << bytes.err;
    EXPECT_NE(bytes.out.find("\n1      .             6         5632        94368"),
              std::string::npos)
        << bytes.out;
}

TEST_F(BuildTest, ImagesTakeOneTimeFromTheNewestInputOrSourceDateEpoch) {
    unsetenv("SOURCE_DATE_EPOCH");
    for (const char* input :
         {"SETUP.INF", "orig/tw/a.dll", "orig/WIN/b.ini", "setup.exe", "follow.exe"}) {
        const utimbuf older{981000000, 981000000};
        utime((dir / input).c_str(), &older);
    }
    const utimbuf newest{981173107, 981173107}; // 2001-02-03 04:05:07 UTC
    utime((dir / "orig/A.INI").c_str(), &newest);
    ProgramRun run = Build({"--disk-size", "360K", "--images"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string image = Read("out.IMG");
    ASSERT_EQ(image.size(), 368640u) << "beside OUT, the only disk";
    // The volume label's entry opens the root: its time at 22, its date at 24.
    const size_t root = 5 * 512;
    EXPECT_EQ(image.substr(root, 11), "DISK 1     ");
    EXPECT_EQ(image.substr(root + 22, 4), std::string("\xA3\x20\x43\x2A", 4)) << "04:05:06";

    setenv("SOURCE_DATE_EPOCH", "0", 1);
    run = Build({"--disk-size", "360K", "--images", "--force"});
    ASSERT_EQ(run.status, 0) << run.err;
    image = Read("out.IMG");
    EXPECT_EQ(image.substr(root + 22, 4), std::string("\0\0\x21\0", 4)) << "1980-01-01 00:00";
    unsetenv("SOURCE_DATE_EPOCH");
}

// Text beyond ASCII in UTF-8 draws a warning, and with --codepage becomes the bytes the
// installer shows through that code page: the committed bytes that inftool.exe, converting
// through WideCharToMultiByte under Wine, must also write (tests/windows). The sources have
// a byte-order mark and LF lines, as editors write them: the disk gets CR LF lines without
// the mark, which the check of the media as written finds clean, and one note says so.
TEST_F(BuildTest, CodePageConvertsAUtf8Script) {
    const std::string pages = std::string(SAMPLES_DIR) + "/../tests/windows/code_pages/";
    for (const char* page : {"1250", "1251", "1252", "932"}) {
        SCOPED_TRACE(page);
        script = pages + page + ".inf";
        ProgramRun run = Build({"--force"});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(script + ":1: warning: text beyond ASCII is UTF-8 (\""),
                  std::string::npos)
            << run.out;
        run = Build({"--force", "--strict", "--codepage", page});
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_EQ(run.out.rfind(script +
                                    ": note: written with CR LF line ends, without its "
                                    "UTF-8 byte-order mark, in code page " +
                                    page + "\n",
                                0),
                  0u)
            << run.out;
        EXPECT_EQ(Read("out/SETUP.INF"), ReadWhole(pages + page + ".expected"));
        EXPECT_EQ(RunInftool({"check", out + "/SETUP.INF", "--media", out}).status, 0);
    }
}

TEST_F(BuildTest, ForceReplacesWhatOutHeld) {
    Write("out/old/stale.txt", "stale");
    ProgramRun run = Build({"--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(fs::exists(dir / "out/old"));
    EXPECT_EQ(Read("out/WIN/A.INI"), kSettings);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".~inftool"), std::string::npos);
}

// Warnings do not stop a build: they are counted in its last line, and only --strict
// refuses them, those of the media as written included.
TEST_F(BuildTest, WarningsOfTheScriptAndOfTheResultAreCountedAndExit0) {
    std::string inf = kOneDisk;
    inf.insert(inf.find("GroupName"), "Colour = blue\r\nMinHDSpace = 2\r\n");
    Write("SETUP.INF", inf);
    ProgramRun run = Build();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind(script + ":3: warning: unknown key \"Colour\" is ignored\n", 0), 0u)
        << run.out;
    EXPECT_NE(run.out.find(out + "/SETUP.INF:4: warning: the entries expand to 5 KB, more than "
                                 "MinHDSpace 2 (KB)\n"),
              std::string::npos)
        << run.out;
    const std::string last = "inftool build: built, with 2 warnings\n";
    EXPECT_EQ(run.out.substr(run.out.size() - last.size()), last) << run.out;
    EXPECT_EQ(Read("out/SETUP.INF"), inf);
}

TEST_F(BuildTest, EachFailureExits2AndLeavesNothingBehind) {
    const std::string orig = (dir / "orig").string();
    const std::string good = script;
    auto replace = [this](const char* from, const char* to) {
        std::string inf = Read("SETUP.INF");
        inf.replace(inf.find(from), std::string(from).size(), to);
        Write("SETUP.INF", inf);
    };
    // count more files in the root of a 360K disk, named stem<i>extension.
    auto fillRoot = [&](int count, const std::string& stem, const char* extension,
                        std::vector<std::string>& extra) {
        std::string files;
        for (int i = 0; i < count; ++i) {
            const std::string name = stem + std::to_string(i) + extension;
            files += "F, " + name + ", " + name + ", 1, 1, N\r\n";
            Write("orig/" + name, "f");
        }
        replace("1 = WIN", "1 =");
        Write("orig/B.INI", "b");
        replace("[PM Info]", (files + "[PM Info]").c_str());
        extra = {"--disk-size", "360K"};
    };
    struct Case {
        const char* name;
        std::function<void(std::vector<std::string>& extra)> arrange;
        std::string err;  // a part of stderr
        std::string held; // a note or warning held until the refusal, on stderr, or empty
    };
    const Case cases[] = {
        {"missing original", [&](auto&) { fs::remove(dir / "orig/A.INI"); },
         script + ":11: error: no original of A.INI in " + orig + "/WIN or " + orig + "\n", ""},
        {"missing original by either name", [&](auto&) { fs::remove(dir / "orig/WIN/b.ini"); },
         script + ":12: error: no original of GUI.INI or B.INI in " + orig + "/WIN or " + orig, ""},
        {"out not empty", [&](auto&) { Write("out/keep.txt", "keep"); },
         "inftool build: " + out + ": exists and is not empty (--force replaces it)\n", ""},
        {"over capacity",
         [](auto& extra) {
             extra = {"--disk-size", "4000"};
         },
         "inftool build: disk 1 is over capacity by 1632 bytes; its largest file is WIN/A.INI "
         "(1500 bytes, line 11): move it or others to another disk of [Disks], or give a larger "
         "--disk-size\n",
         ""},
        {"root directory full", [&](auto& extra) { fillRoot(112, "F", ".TXT", extra); },
         "inftool build: disk 1 needs 119 root directory entries, 7 more than the 112 it holds\n",
         ""},
        {"folder leading out", [&](auto&) { replace("1 = WIN", "1 = ..\\WIN"); },
         script + ":11: error: [Dirs] name \"..\\WIN\" leads out of its disk\n", ""},
        {"source name with a folder", [&](auto&) { replace("B.INI, GUI", "..\\B.INI, GUI"); },
         script + ":12: error: \"..\\B.INI\" is not a plain file name\n", ""},
        {"one name, two contents",
         [&](auto&) {
             replace("B.INI, GUI.INI", "A.INI, GUI.INI");
             Write("orig/WIN/gui.ini", "[other]");
         },
         script + ":12: error: cannot place it: WIN/A.INI is also written for line 11 with other "
                  "contents\n",
         ""},
        {"the installer's own file",
         [&](auto&) {
             replace("2 = TW", "2 = photo");
             replace("A.DL_", "SETUP.exe");
             Write("orig/A.DLL", "dll");
         },
         script + ":10: error: cannot place it: photo/setup.EXE is the installer's own file\n", ""},
        {"unreadable script", [&](auto&) { script = (dir / "none.inf").string(); },
         "inftool build: " + (dir / "none.inf").string() +
             ": cannot read: No such file or directory\n",
         ""},
        {"unreadable installer", [&](auto&) { fs::remove(dir / "setup.exe"); },
         "inftool build: " + (dir / "setup.exe").string() +
             ": cannot read: No such file or directory\n",
         ""},
        {"out is a file", [&](auto&) { Write("out", "file"); },
         "inftool build: " + out + ": exists and is not a folder\n", ""},
        {"out in a missing folder", [&](auto&) { out = (dir / "no/out").string(); },
         "inftool build: " + (dir / "no/out").string() + ": No such file or directory\n", ""},
        {"out holds the inputs",
         [&](auto& extra) {
             out = dir.string();
             extra = {"--force"};
         },
         "inftool build: " + dir.string() + ": holds " + good + ", which build reads\n", ""},
        {"root directory full of long names",
         [&](auto& extra) { fillRoot(54, "Long", ".txt", extra); },
         "inftool build: disk 1 needs 115 root directory entries, 3 more than the 112 it holds\n",
         ""},
        {"a name FAT cannot hold", [&](auto&) { replace("B.INI, GUI", "B?.INI, GUI"); },
         script + ":12: error: \"B?.INI\" is not a name a FAT disk can hold\n", ""},
        {"a folder FAT cannot hold", [&](auto&) { replace("2 = TW", "2 = T?W"); },
         script + ":10: error: \"T?W\" is not a name a FAT disk can hold\n", ""},
        // 表 is 95 5C in code page 932; in 1252 it is "•\\", a name with a folder.
        {"a double-byte name under a single-byte code page",
         [&](auto& extra) {
             replace("B.INI, GUI.INI", "\x95\x5C.TXT, \x95\x5C.TXT");
             extra = {"--codepage", "1252"};
         },
         script + ":12: error: \"\xE2\x80\xA2\\.TXT\" is not a plain file name: \"\\\" is a "
                  "folder separator in code page 1252\n",
         ""},
        {"a name beyond ASCII without a code page",
         [&](auto&) { replace("B.INI, GUI.INI", "\xC3\xA9.INI, \xC3\xA9.INI"); },
         script + ":12: error: \"\xC3\xA9.INI\" goes beyond ASCII: give --codepage or "
                  "--system-codepage, the ANSI code page the installer reads the script in\n",
         ""},
        {"images without a disk size", [](auto& extra) { extra = {"--images"}; },
         "inftool build: --images needs the --disk-size of a floppy\n", ""},
        {"images of a byte count",
         [](auto& extra) {
             extra = {"--images", "--disk-size", "1474560"};
         },
         "inftool build: --images needs the --disk-size of a floppy\n", ""},
        {"an image beside out",
         [&](auto& extra) {
             Write("out.IMG", "keep");
             extra = {"--disk-size", "1.44M", "--images"};
         },
         "inftool build: " + out + ".IMG: exists (--force replaces it)\n", ""},
        // It may be the only copy of a disk, and this build would not replace it.
        {"an older image beside out, without --images", [&](auto&) { Write("out.IMG", "keep"); },
         "inftool build: " + out +
             ".IMG: an image this build does not write would be left beside " + out +
             " (move or remove it)\n",
         ""},
        {"an older image beside out, of media now on two disks",
         [&](auto& extra) {
             Write("out.IMG", "keep");
             Write("out/SETUP.INF", "old");
             replace("1 = Disk 1", "1 = Disk 1\r\n2 = Disk 2");
             replace("GUI.INI, 1, 1, N", "GUI.INI, 1, 2, N");
             extra = {"--disk-size", "1.44M", "--images", "--force"};
         },
         "inftool build: " + out + ".IMG: an image this build does not write would be left", ""},
        {"SOURCE_DATE_EPOCH not a time",
         [](auto& extra) {
             setenv("SOURCE_DATE_EPOCH", "yesterday", 1);
             extra = {"--disk-size", "1.44M", "--images"};
         },
         "inftool build: SOURCE_DATE_EPOCH \"yesterday\" is not a number of seconds\n", ""},
        {"a file where a folder must go",
         [&](auto&) {
             replace("[Files]\r\n", "[Files]\r\nRoot, TW, ROOT.TXT, 1, 1, N\r\n");
             replace("1 = WIN", "1 =");
             Write("orig/B.INI", "b");
             Write("orig/ROOT.TXT", "root");
         },
         script + ":11: error: cannot place it: TW is a file of this disk\n", ""},
        {"two disks holding one CD path with other contents",
         [&](auto& extra) {
             replace("1 = Disk 1", "1 = Disk 1\r\n2 = Disk 2");
             replace("B.INI, GUI.INI, 1, 1, N", "A.INI, GUI.INI, 1, 2, N");
             Write("orig/WIN/gui.ini", "[other]");
             extra = {"--cd"};
         },
         script + ":13: error: on the CD, where disk 2's files share one tree: WIN/A.INI is also "
                  "written for line 12 with other contents\n",
         ""},
        {"a name level 1 would change on the CD",
         [&](auto& extra) {
             replace("B.INI, GUI", "B~1.INI, GUI");
             Write("orig/WIN/B~1.INI", "b");
             extra = {"--cd"};
         },
         script + ":12: error: \"B~1.INI\" of WIN/B~1.INI is not a name a CD keeps as spelt", ""},
        {"a folder level 1 would change on the CD",
         [&](auto& extra) {
             replace("2 = TW", "2 = TW-2");
             Write("orig/TW-2/a.dll", "a");
             extra = {"--cd"};
         },
         script + ":10: error: \"TW-2\" of TW-2/A.DL_ is not a name a CD keeps as spelt", ""},
        {"a file 8 folders deep on the CD",
         [&](auto& extra) {
             replace("2 = TW", "2 = A\\B\\C\\D\\E\\F\\G\\H");
             Write("orig/A/B/C/D/E/F/G/H/a.dll", "a");
             extra = {"--cd"};
         },
         script + ":10: error: A/B/C/D/E/F/G/H/A.DL_ lies 8 folders deep; a CD holds 7\n", ""},
        {"a CD image beside out",
         [&](auto& extra) {
             Write("out.ISO", "keep");
             extra = {"--cd"};
         },
         "inftool build: " + out + ".ISO: exists (--force replaces it)\n", ""},
        {"an older CD image beside out, of floppies", [&](auto&) { Write("out.ISO", "keep"); },
         "inftool build: " + out + ".ISO: an image this build does not write would be left", ""},
        {"a warning under --strict",
         [&](auto& extra) {
             replace("GroupName", "Colour = blue\r\nGroupName");
             extra = {"--strict"};
         },
         "inftool build: --strict: the script draws 1 warning\n", ":3: warning: unknown key"},
        {"a warning of the media under --strict",
         [&](auto& extra) {
             replace("GroupName", "MinHDSpace = 2\r\nGroupName");
             extra = {"--strict", "--disk-size", "1.44M", "--images"};
         },
         "inftool build: --strict: the media draw 1 warning\n", "MinHDSpace 2 (KB)"},
        {"a CR inside a line under --strict",
         [&](auto& extra) {
             replace("AppName = Tools", "AppName = To\rols");
             extra = {"--strict"};
         },
         "inftool build: --strict: the script draws 2 warnings\n",
         ":2: warning: CR without LF: the character after it is dropped"},
        {"a character the code page lacks",
         [&](auto& extra) {
             replace("Settings,", "W\xC5\x82\xC3\xB3"
                                  "czka,");
             extra = {"--codepage", "1252"};
         },
         script + ":11: error: \"\xC5\x82\" (U+0142) has no character in code page 1252\n", ""},
        {"characters the code page lacks on several lines",
         [&](auto& extra) {
             replace("Settings,", "\xD0\x9F,");
             replace("AppName = Tools", "AppName = \xD0\xA2");
             extra = {"--codepage", "1252"};
         },
         script + ":2: error: \"\xD0\xA2\" (U+0422) has no character in code page 1252\n" + script +
             ":11: error: \"\xD0\x9F\" (U+041F) has no character in code page 1252\n",
         ""},
        {"a script to convert that is not UTF-8",
         [&](auto& extra) {
             replace("Settings,", "R\x81glages,");
             extra = {"--codepage", "1252"};
         },
         script + ":11: error: byte 0x81 is not UTF-8, which --codepage converts, and the text is "
                  "not of code page 1252 either\n",
         ""},
        // Within the read as LF lines, past it, [End] and all, once they are CR LF.
        {"a script that grows past the installer's read",
         [&](auto&) {
             std::string inf = Read("SETUP.INF");
             inf.erase(std::remove(inf.begin(), inf.end(), '\r'), inf.end());
             while (inf.size() + 41 <= 10240)
                 inf.insert(0, std::string(40, ';') + "\n");
             Write("SETUP.INF", inf);
         },
         " bytes as written; the installer reads the first 10240, and they end before the line "
         "of [End]\n",
         "note: written with CR LF line ends"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        script = good;
        out = (dir / "out").string();
        unsetenv("SOURCE_DATE_EPOCH");
        std::vector<std::string> extra;
        c.arrange(extra);
        const std::set<std::string> before = Snapshot();
        ProgramRun run = Build(extra);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("nothing was built\n"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.held), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << "a refusal prints nothing on stdout";
        EXPECT_EQ(Snapshot(), before);
    }
    // Originals that are no folder draw one error, not one per file.
    fs::remove_all(dir / "orig");
    EXPECT_EQ(Build().err,
              "inftool build: " + orig + ": not a folder\ninftool build: nothing was built\n");
}

// Only a failed write exits 74, and it keeps what OUT held: here every temporary name that
// the media could be written under beside OUT is taken by a symlink, which is no leftover of
// inftool's and leads nowhere.
TEST_F(BuildTest, AFailedWriteExits74AndKeepsWhatWasThere) {
    Write("out/old.txt", "old");
    for (int i = 0; i < 100; ++i)
        fs::create_symlink("nowhere", dir / ("out.~inftool" + std::to_string(i)));
    const std::set<std::string> before = Snapshot();
    ProgramRun run = Build({"--force"});
    EXPECT_EQ(run.status, 74);
    EXPECT_NE(run.err.find("inftool build: " + out + ": no free temporary name beside it\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("nothing was built\n"), std::string::npos) << run.err;
    EXPECT_EQ(Snapshot(), before);
}

// A staging folder beside OUT is removed only by a run that holds OUT's lock file, which a
// running inftool holds until it ends: here this test holds it, and the build waits.
TEST_F(BuildTest, LeavesTheStagingOfARunningBuildAlone) {
    Write("out.~inftool0/WIN/A.INI", "being written");
    const int folder = open((dir / "out.~inftool-lock").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(flock(folder, LOCK_EX), 0);
    std::vector<std::string> args = {"timeout", "2", INFTOOL_PATH};
    for (const char* arg : {"build", "SETUP.INF", "--from", "orig", "--setup", "setup.exe",
                            "--follow-on", "follow.exe", "--out", "out"})
        args.push_back(arg);
    EXPECT_EQ(RunProgram(args, dir.string()).status, 124) << "waited for the folder";
    EXPECT_EQ(Read("out.~inftool0/WIN/A.INI"), "being written");
    close(folder);
    EXPECT_EQ(Build().status, 0);
    EXPECT_FALSE(fs::exists(dir / "out.~inftool0")) << "a stopped run's, once no one holds it";
    EXPECT_FALSE(fs::exists(dir / "out.~inftool-lock")) << "removed by the run that held it";
}

TEST_F(BuildTest, WrongCallsExit64) {
    const std::vector<std::vector<std::string>> cases = {{"--disk-size", "1.4M"},
                                                         {"--disk-size", "0"},
                                                         {"--out", "again"},
                                                         {"--force", "--force"},
                                                         {"--nothing"},
                                                         {"second.inf"},
                                                         {"--codepage", "437"},
                                                         {"--codepage", "x"},
                                                         {"--codepage="},
                                                         {"--codepage", "-1252"},
                                                         {"--strict=yes"},
                                                         {"--codepage", "99999999999"},
                                                         {"--cd", "--images"},
                                                         {"--cd", "--disk-size", "1.44M"},
                                                         {"--volume", "TOOLS"},
                                                         {"--cd", "--volume", "Seventeen letters"},
                                                         {"--cd", "--volume", "Caf\xC3\xA9"},
                                                         {"--oem-codepage", "1252"},
                                                         {"--system-codepage", "850"}};
    for (const std::vector<std::string>& extra : cases) {
        SCOPED_TRACE(extra[0] + " " + extra.back());
        ProgramRun run = Build(extra);
        EXPECT_EQ(run.status, 64);
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(fs::exists(dir / "out"));
    }
    ProgramRun run = RunInftool({"build", script, "--from", (dir / "orig").string()});
    EXPECT_EQ(run.status, 64);
}

// Standard output that cannot be written: the help is lost (74); the report of a build whose
// media took their name is lost, not the media (75).
TEST_F(BuildTest, AFullStandardOutputIsSaidAsWhatItCost) {
    const auto full = [](std::vector<std::string> args) {
        args.insert(args.begin(), {"sh", "-c", "exec \"$0\" \"$@\" >/dev/full", INFTOOL_PATH});
        return RunProgram(args).status;
    };
    EXPECT_EQ(full({"--help"}), 74);
    EXPECT_EQ(full({"build", "--help"}), 74);
    EXPECT_EQ(full({"build", script, "--from", (dir / "orig").string(), "--setup",
                    (dir / "setup.exe").string(), "--follow-on", (dir / "follow.exe").string(),
                    "--out", out}),
              75);
    EXPECT_TRUE(fs::exists(dir / "out/SETUP.INF"));
}

} // namespace
