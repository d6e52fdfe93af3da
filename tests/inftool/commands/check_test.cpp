#include "formats/fat_image.h"
#include "formats/szdd.h"

#include "run_inftool.h"
#include "scratch_dir.h"
#include "script_lines.h"
#include "tiny_pe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

ProgramRun RunCheck(std::vector<std::string> args) {
    args.insert(args.begin(), "check");
    return RunInftool(std::move(args));
}

// A script that draws no warning: every section, every reference resolved.
const std::string kClean =
    Lines({"[Application]", "AppName = Tools", "GroupName = T.GRP, Tools", "[Disks]", "1 = Disk 1",
           "[Dirs]", "1 = WIN", "2 = TW", "[Files]", "Driver, A.DL_, A.DLL, 2, 1, Y",
           "Settings, A.INI, A.INI, 1, 1, N", "[PM Info]", "A.DLL, Title", "[End]"});

class CheckTest : public ::testing::Test {
  protected:
    fs::path dir = ScratchDir("inftool-check-");
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string Write(const std::string& name, const std::string& bytes) {
        return WriteBelow(dir, name, bytes);
    }
};

TEST_F(CheckTest, CleanScriptGivesNoOutput) {
    ProgramRun run = RunCheck({Write("SETUP.INF", kClean)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
}

TEST_F(CheckTest, MissingFileAndBadArguments) {
    EXPECT_EQ(RunCheck({(dir / "none.inf").string()}).status, 2);
    const ProgramRun empty = RunCheck({Write("empty.inf", "")});
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "inftool check: " + (dir / "empty.inf").string() +
                             ": cannot read: empty: a script of no bytes, which the installer "
                             "cannot read\n");
    EXPECT_EQ(RunCheck({}).status, 64);
    EXPECT_EQ(RunCheck({"a", "b"}).status, 64);
    EXPECT_EQ(RunCheck({"a", "--media"}).status, 64);
}

struct Case {
    const char* name;
    std::string script;
    const char* expected; // one whole output line, after the file name
};

const std::string kLong100(100, 'x');

const Case kCases[] = {
    {"before first header", Lines({"AppName = X"}) + kClean,
     ":1: warning: line stands before the first header and is ignored"},
    {"unknown header", Lines({"[Foo]", "a = b"}) + kClean,
     ":1: warning: unrecognised header \"[Foo]\": the lines up to the next known header are "
     "ignored"},
    {"under unknown header", Lines({"[Foo]", "a = b"}) + kClean,
     ":2: warning: line stands under the unrecognised header of line 1 and is ignored"},
    {"no equals", Lines({"[Disks]", "1 Disk"}) + kClean,
     ":2: warning: [Disks] line has no \"=\" and is ignored"},
    {"unknown key", Lines({"[Application]", "Colour = blue"}) + kClean,
     ":2: warning: unknown key \"Colour\" is ignored"},
    {"too few commas", Lines({"[Files]", "D, A, B, 1, 1"}) + kClean,
     ":2: warning: [Files] line has 4 commas where six fields need five; it is ignored"},
    {"pm item without comma", Lines({"[PM Info]", "A.DLL"}) + kClean,
     ":2: warning: [PM Info] line has no comma and is ignored"},
    {"pm item three fields", Lines({"[PM Info]", "A.DLL, T, A.INI"}) + kClean,
     ":2: warning: [PM Info] line has three fields: ItemNumber is taken as 0"},
    {"text after end", kClean + Lines({"[Files]"}), ":15: warning: text after [End] is ignored"},
    {"last line without CR", kClean.substr(0, kClean.size() - 7) + "[End]",
     ":14: warning: last line has no CR line end and is ignored"},
    {"line too long", Lines({("; " + kLong100).c_str()}) + kClean,
     ":1: warning: line is 102 characters long; the format's limit is 99"},
    {"text cut",
     Lines({"[Application]", "AppName = 0123456789012345678901234567890123456789"}) + kClean,
     ":2: warning: [Application] AppName is longer than 39 characters (field width 40): kept "
     "\"012345678901234567890123456789012345678\""},
    {"number wraps", Lines({"[Application]", "MinHDSpace = 70000"}) + kClean,
     ":2: warning: MinHDSpace 70000 is over 65535 and wraps to 4464"},
    {"number not a digit", Lines({"[Application]", "MinHDSpace = -1"}) + kClean,
     ":2: warning: MinHDSpace \"-1\" does not start with a digit: read as 0"},
    {"number with a tail", Lines({"[Application]", "MinHDSpace = 12K"}) + kClean,
     ":2: warning: MinHDSpace \"12K\" is read as 12"},
    {"duplicate disk", Lines({"[Disks]", "1 = Old"}) + kClean,
     ":2: warning: disk number 1 is given again on line 7; the record of line 7 wins"},
    {"duplicate destination",
     kClean.substr(0, kClean.find("[PM Info]")) + Lines({"Again, B.DL_, a.dll, 2, 1, Y"}) +
         kClean.substr(kClean.find("[PM Info]")),
     ":12: warning: destination name a.dll was given on line 10 already"},
    {"dir without record", Lines({"[Files]", "D, X.EXE, X.EXE, 3, 1, N"}) + kClean,
     ":2: warning: directory number 3 has no [Dirs] record"},
    {"dir other than 1 and 2",
     Lines({"[Dirs]", "7 = ELSE", "[Files]", "D, X, X, 7, 1, N"}) + kClean,
     ":4: warning: directory number 7 is neither 1 (Windows) nor 2 (TWAIN_32): the entry is "
     "skipped"},
    {"destination outside", Lines({"[Files]", "D, X.EXE, ..\\X.EXE, 1, 1, N"}) + kClean,
     ":2: warning: destination name \"..\\X.EXE\" is not a plain file name: the installer "
     "refuses it"},
    {"destination a device", Lines({"[Files]", "D, X.EXE, NUL.TXT, 1, 1, N"}) + kClean,
     ":2: warning: destination name \"NUL.TXT\" is not a plain file name: the installer "
     "refuses it"},
    {"destination in a subfolder", Lines({"[Files]", "D, X.EXE, SYS\\X.EXE, 1, 1, N"}) + kClean,
     ":2: warning: destination name \"SYS\\X.EXE\" has a folder: the installer writes below "
     "its destination directory and fails unless that folder exists"},
    {"disk without record", Lines({"[Files]", "D, X.EXE, X.EXE, 1, 4, N"}) + kClean,
     ":2: warning: disk number 4 has no [Disks] record"},
    {"plain entry on a disk not yet asked for",
     Lines({"[Disks]", "2 = Disk 2"}) + kClean.substr(0, kClean.find("[PM Info]")) +
         Lines({"Late, B.INI, B.INI, 1, 2, N"}) + kClean.substr(kClean.find("[PM Info]")),
     ":14: warning: plain entry of disk 2 follows line 13 of disk 1, and no compressed entry of "
     "disk 2 comes first: it will be looked for in the previous location and reported missing"},
    {"pm item matches nothing", Lines({"[PM Info]", "NONE.EXE, T"}) + kClean,
     ":2: warning: program item file NONE.EXE matches no [Files] destination"},
    {"CR without LF", "[Application]\rXAppName = A\r\n" + kClean,
     ":1: warning: CR without LF: the character after it is dropped as the line end"},
    {"NUL ends the text", kClean.substr(0, 30) + std::string(1, '\0') + kClean.substr(30),
     ": warning: no [End] line"},
    {"LF only", "[Application]\nAppName = A\n",
     ": warning: LF-only line ends: the installer reads no line of this file"},
    {"no line end at all", "[Application]",
     ": warning: no CR line end at all: the installer reads no line of this file"},
    {"no end line", kClean.substr(0, kClean.size() - 7), ": warning: no [End] line"},
    {"missing section", Lines({"[Application]", "AppName = A", "[End]"}),
     ": warning: no [Dirs] section"},
    {"byte-order mark", "\xEF\xBB\xBF" + kClean,
     ":1: warning: a UTF-8 byte-order mark opens the file: the installer reads it as three "
     "characters of the first line"},
    {"UTF-8 beyond ASCII", Lines({"; caf\xC3\xA9", "; \xE2\x82\xAC"}) + kClean,
     ":1: warning: text beyond ASCII is UTF-8 (\"\xC3\xA9\"): the installer shows each byte as a "
     "character of the system's ANSI code page (build --codepage converts it)"},
    {"UTF-8 after LF line ends", "; a\n; b\r\n; \xC5\x82\r\n" + kClean,
     ":3: warning: text beyond ASCII is UTF-8 (\"\xC5\x82\"): the installer shows each byte as a "
     "character of the system's ANSI code page (build --codepage converts it)"},
};

TEST_F(CheckTest, EachKindOfWarning) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        std::string path = Write("SETUP.INF", c.script);
        ProgramRun run = RunCheck({path});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.out.find(path + c.expected + "\n"), std::string::npos) << run.out;
    }
}

// Bytes beyond ASCII that are not UTF-8 are taken to be in an ANSI code page already.
TEST_F(CheckTest, AnsiTextIsNoUtf8) {
    for (const std::string& text : {std::string("; caf\xE9"), std::string("; \xC3\xA9\xE9"),
                                    std::string("; \xC0\xAF"), std::string("; \xED\xA0\x80"),
                                    std::string("; \xF4\x90\x80\x80"), std::string("; \xE2\x82")}) {
        ProgramRun run = RunCheck({Write("SETUP.INF", text + "\r\n" + kClean)});
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CheckTest, DiskChangeThroughACompressedEntryIsClean) {
    std::string script = Lines({"[Disks]", "2 = Disk 2"}) +
                         kClean.substr(0, kClean.find("[PM Info]")) +
                         Lines({"Packed, B.DL_, B.DLL, 1, 2, Y", "Late, B.INI, B.INI, 1, 2, N",
                                "Back, C.INI, C.INI, 1, 1, N"}) +
                         kClean.substr(kClean.find("[PM Info]"));
    ProgramRun run = RunCheck({Write("SETUP.INF", script)});
    // Back on disk 1 is again a plain entry with no compressed entry of its disk before it.
    EXPECT_EQ(run.out, dir.string() + "/SETUP.INF:16: warning: plain entry of disk 1 follows line "
                                      "15 of disk 2, and no compressed entry of disk 1 comes "
                                      "first: it will be looked for in the previous location "
                                      "and reported missing\n");
}

TEST_F(CheckTest, GroupNameWithoutComma) {
    std::string script = kClean;
    script.replace(script.find("T.GRP, Tools"), 12, "T.GRP");
    std::string path = Write("SETUP.INF", script);
    ProgramRun run = RunCheck({path});
    EXPECT_EQ(run.out, path + ":3: warning: GroupName has no comma: GroupFile takes the whole "
                              "value and GroupTitle is empty\n");
}

TEST_F(CheckTest, LinesBeyondCapacityAndOversizedFile) {
    std::string disks = "[Disks]\r\n";
    for (int i = 2; i <= 11; ++i)
        disks += std::to_string(i) + " = D\r\n";
    std::string path = Write("SETUP.INF", disks + kClean);
    ProgramRun run = RunCheck({path});
    // The eleventh record is the clean script's own disk 1, so its files lose their disk.
    EXPECT_NE(run.out.find(path + ":16: warning: [Disks] holds at most 10 records: this line is "
                                  "ignored\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(path + ":21: warning: disk number 1 has no [Disks] record\n"),
              std::string::npos)
        << run.out;

    std::string big = kClean + std::string(10240, ';') + "\r\n";
    path = Write("BIG.INF", big);
    run = RunCheck({path});
    EXPECT_NE(run.out.find(path + ": warning: file is " + std::to_string(big.size()) +
                           " bytes long; only the first 10240 are read\n"),
              std::string::npos)
        << run.out;
}

TEST_F(CheckTest, WarningsComeInLineOrder) {
    std::string path = Write("SETUP.INF", Lines({"[Disks]", "1 Disk", "[Foo]", "x"}) +
                                              kClean.substr(0, kClean.size() - 7) + "tail");
    ProgramRun run = RunCheck({path});
    EXPECT_EQ(
        run.out,
        path + ": warning: no [End] line\n" + // file-level first
            path + ":2: warning: [Disks] line has no \"=\" and is ignored\n" + path +
            ":3: warning: unrecognised header \"[Foo]\": the lines up to the next "
            "known header are ignored\n" +
            path +
            ":4: warning: line stands under the unrecognised header of line 3 and is ignored\n" +
            path + ":18: warning: last line has no CR line end and is ignored\n");
}

class MediaCheckTest : public CheckTest {
  protected:
    std::string script;
    void SetUp() override {
        CheckTest::SetUp();
        script = Write("media/SETUP.INF", kClean);
        Write("media/photo/setup.exe", "MZ");
        Write("media/setup.exe", TinyPe());
        Write("media/tw/a.dl_", Packed("driver bytes driver bytes driver bytes"));
        Write("media/WIN/A.INI", "[settings]");
        note = (dir / "media").string() + "/setup.exe: note: not signed\n";
    }
    std::string note; // what check prints of the fixture's unsigned installer
    ProgramRun Check() { return RunCheck({script, "--media", (dir / "media").string()}); }
    std::string Packed(const std::string& plain) {
        std::vector<uint8_t> packed;
        SzddCompress(reinterpret_cast<const uint8_t*>(plain.data()), plain.size(), 'L', packed);
        return std::string(packed.begin(), packed.end());
    }
};

TEST_F(MediaCheckTest, CompleteMediaMatchedIgnoringCase) {
    ProgramRun run = Check();
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, note);
}

TEST_F(MediaCheckTest, MissingFollowOnSetup) {
    fs::remove(dir / "media/photo/setup.exe");
    ProgramRun run = Check();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, script + ": warning: " + (dir / "media").string() +
                           "/photo/setup.EXE is missing: the installer would end without a word\n" +
                           note);
}

TEST_F(MediaCheckTest, MissingSourceAndWrongCompressionMarks) {
    fs::remove(dir / "media/WIN/A.INI");
    ProgramRun run = Check();
    EXPECT_EQ(run.out, script + ":11: warning: source " + (dir / "media").string() +
                           "/WIN/A.INI is missing\n" + note);

    Write("media/WIN/A.INI", std::string("SZDD\x88\xF0\x27\x33\x41I\0\0\0\0", 14));
    fs::remove_all(dir / "media/tw");
    Write("media/TW/A.DL_", "plain bytes");
    run = Check();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find(":10: warning: source " + (dir / "media").string() +
                           "/TW/A.DL_ is marked compressed but is not in the compressed format"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(":11: warning: source " + (dir / "media").string() +
                           "/WIN/A.INI is in the compressed format but not marked compressed"),
              std::string::npos)
        << run.out;
}

TEST_F(MediaCheckTest, MinHDSpaceAgainstTheExpandedSizes) {
    // 5000 bytes expanded, far fewer compressed, and 10 plain: 5 KB in all.
    Write("media/tw/a.dl_", Packed(std::string(5000, 'x')));
    for (const char* declared : {"4", "5", "0"}) {
        SCOPED_TRACE(declared);
        std::string inf = kClean;
        inf.insert(inf.find("GroupName"), std::string("MinHDSpace = ") + declared + "\r\n");
        Write("media/SETUP.INF", inf);
        ProgramRun run = Check();
        if (std::string(declared) == "5") {
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.out, note);
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.out, script +
                                   ":3: warning: the entries expand to 5 KB, more than "
                                   "MinHDSpace " +
                                   declared + " (KB)\n" + note);
        }
    }
}

TEST_F(MediaCheckTest, NotesWhetherTheInstallerIsSigned) {
    struct Row {
        const char* name; // as the media spell it
        std::string bytes;
        int status;
        std::string line; // after the installer's path, or a whole warning line
    };
    const std::string media = (dir / "media").string();
    fs::remove(dir / "media/setup.exe");
    const Row rows[] = {
        {"setup.exe", TinyPe(), 0, ": note: not signed"},
        {"SETUP.EXE", TinyPe(true, 0x400, 0x600), 0, ": note: signed"},
        {"setup.exe", "MZ installer", 1,
         script + ": warning: " + media +
             "/setup.exe is not a PE program: Windows would not start it"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name + row.line);
        Write(std::string("media/") + row.name, row.bytes);
        ProgramRun run = Check();
        EXPECT_EQ(run.status, row.status);
        const std::string expected = row.status == 0 ? media + "/" + row.name + row.line : row.line;
        EXPECT_EQ(run.out, expected + "\n");
        fs::remove(dir / "media" / row.name);
    }
}

// A --media path is a folder or an image (raw, in a floppy container, or a CD image or archive
// of one disk), each compressed source expanded in memory; anything else, or a damaged source,
// is an error (exit 2) that names it, with no warning of what the media lack.
TEST_F(MediaCheckTest, FoldersAndImagesEachCompressedFileExpanded) {
    const std::string media = (dir / "media").string();
    const auto image = [this](const std::string& name, const std::string& driver) {
        std::vector<std::vector<uint8_t>> bytes;
        for (const std::string& file :
             {kClean, std::string("MZ"), driver, std::string("[s]"), TinyPe()})
            bytes.emplace_back(file.begin(), file.end());
        const std::vector<ImageFile> files = {{"SETUP.INF", &bytes[0]},
                                              {"photo/setup.exe", &bytes[1]},
                                              {"TW/A.DL_", &bytes[2]},
                                              {"WIN/A.INI", &bytes[3]},
                                              {"setup.exe", &bytes[4]}};
        DiskFormat format{};
        std::vector<uint8_t> made;
        std::string why;
        EXPECT_TRUE(ParseDiskSize("1.44M", format) &&
                    MakeFatImage(*format.floppy, files, "", FatTimeOf(0), made, why))
            << why;
        return Write(name, std::string(made.begin(), made.end()));
    };
    const std::string packed = Packed(std::string(3000, 'x') + "driver bytes");
    const std::string cut = packed.substr(0, packed.size() / 2);
    const std::string whole = image("whole.img", packed);
    const std::string halved = image("cut.img", cut);
    const std::string missing = (dir / "nosuch").string();
    // Containers of the same disk that tools no one here wrote made: a CD of the folder, the
    // image as ImageDisk, and a zip that holds two disks, which one --media cannot stand for.
    const std::string made =
        "cd '" + dir.string() +
        "' && xorriso -as mkisofs -R -J -o media.iso media && dsktrans -itype "
        "raw -otype imd whole.img whole.imd && zip -qr two.zip media whole.img";
    ASSERT_EQ(std::system(("(" + made + ") >/dev/null 2>&1").c_str()), 0);
    const std::string two = (dir / "two.zip").string();
    struct Row {
        std::string path;
        int status;
        std::string err; // the first line on stderr
    };
    const Row rows[] = {
        {media, 0, ""},
        {whole, 0, ""},
        {(dir / "media.iso").string(), 0, ""},
        {(dir / "whole.imd").string(), 0, ""},
        {two, 2,
         "inftool check: " + two + ": holds 2 disks; --media takes one disk, or one tree for all"},
        {missing, 2, "inftool check: " + missing + ": No such file or directory"},
        {script, 2, "inftool check: " + script + ": holds 209 bytes, fewer than a boot sector"},
        {halved, 2,
         script + ":10: error: disk 1: " + halved +
             "/TW/A.DL_: stream ends early: fewer bytes than the header's length"},
        {"cut folder", 2,
         script + ":10: error: disk 1: " + media +
             "/tw/a.dl_: stream ends early: fewer bytes than the header's length"},
        {"short header", 2,
         script + ":10: error: disk 1: " + media +
             "/tw/a.dl_: header too short: fewer than 14 bytes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        if (row.path == "cut folder") Write("media/tw/a.dl_", cut);
        if (row.path == "short header") Write("media/tw/a.dl_", packed.substr(0, 9));
        const bool folder = row.path.find(' ') != std::string::npos;
        const std::string given = folder ? media : row.path;
        const ProgramRun run = RunCheck({script, "--media", given});
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.out, row.path == missing || row.path == script || row.path == two
                               ? ""
                               : given + "/setup.exe: note: not signed\n");
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), row.err) << run.err;
    }
}

// ソ is 83 5C in code page 932: a name that ends in it has no folder on a Japanese Windows.
// The media's files have the names the host spells: UTF-8 here, "\x83\x5C" being "ソ" in 932
// and "僜" in 936, and "ƒ\\" in 1252, where the installer refuses it.
TEST_F(MediaCheckTest, SystemCodePageWalksNamesAsThatWindows) {
    std::string inf = kClean;
    inf.replace(inf.find("A.INI, A.INI"), 12, "\x83\x5C, \x83\x5C");
    Write("media/SETUP.INF", inf);
    Write("media/WIN/\xE3\x82\xBD", "[settings]");
    Write("media/WIN/\xE5\x83\x9C", "[settings]");
    const std::string media = (dir / "media").string();
    const auto bytewise = [&](const std::string& name, const std::string& host) {
        return script + ":11: warning: destination name \"" + name +
               "\" is not a plain file name: the installer refuses it\n" + script +
               ":11: warning: source " + media + "/WIN/" + host + " is missing\n";
    };
    struct Row {
        std::vector<std::string> options;
        int status;
        std::string out;
    };
    const Row rows[] = {
        {{}, 1, bytewise("\\x83\\", "\x83")},
        {{"--system-codepage", "1252"}, 1, bytewise("\xC6\x92\\", "\xC6\x92")},
        {{"--system-codepage", "932"}, 0, ""},
        {{"--system-codepage=936"}, 0, ""},
    };

    for (const Row& row : rows) {
        std::vector<std::string> args = {script, "--media", media};
        args.insert(args.end(), row.options.begin(), row.options.end());
        SCOPED_TRACE(args.back());
        const ProgramRun run = RunCheck(args);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_EQ(run.out, row.out + note);
    }
}

TEST_F(MediaCheckTest, OneFolderPerDiskInDiskOrder) {
    std::string inf = kClean;
    inf.replace(inf.find("1 = Disk 1"), 10, "1 = Disk 1\r\n2 = Disk 2");
    inf.replace(inf.find("A.INI, A.INI, 1, 1, N"), 21, "A.IN_, A.INI, 1, 2, Y");
    Write("media/SETUP.INF", inf);
    fs::remove_all(dir / "media/WIN");
    Write("disk2/WIN/A.IN_", Packed("[settings]"));
    std::vector<std::string> disks = {script, "--media", (dir / "media").string(), "--media",
                                      (dir / "disk2").string()};
    ProgramRun run = RunCheck(disks);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, note);

    // The same name on two disks is harmless with the same bytes, and not with others.
    Write("media/WIN/A.IN_", Packed("[settings]"));
    EXPECT_EQ(RunCheck(disks).out, note);
    Write("media/WIN/A.IN_", Packed("[other settings]"));
    run = RunCheck(disks);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, script + ":12: warning: source " + (dir / "disk2").string() +
                           "/WIN/A.IN_ and " + (dir / "media").string() +
                           "/WIN/A.IN_ have one name and different contents: the disks cannot "
                           "be told apart\n" +
                           note);

    // The follow-on setup is looked for on the start disk only.
    fs::remove_all(dir / "media/WIN");
    fs::rename(dir / "media/photo", dir / "disk2/photo");
    run = RunCheck(disks);
    EXPECT_EQ(run.out, script + ": warning: " + (dir / "media").string() +
                           "/photo/setup.EXE is missing: the installer would end without a word\n" +
                           note);

    // A start disk without the installer or the script installs nothing: an error each.
    fs::rename(dir / "media/setup.exe", dir / "disk2/setup.exe");
    fs::rename(script, dir / "SETUP.INF");
    disks[0] = (dir / "SETUP.INF").string();
    run = RunCheck(disks);
    EXPECT_EQ(run.status, 2);
    for (const char* lost : {"/setup.exe", "/SETUP.INF"})
        EXPECT_NE(run.err.find("error: disk 1: " + (dir / "media").string() + lost +
                               ": missing from the start disk\n"),
                  std::string::npos)
            << run.err;

    disks.insert(disks.end(), {"--media", (dir / "disk2").string()});
    run = RunCheck(disks);
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.out, "");
}

} // namespace
