#include "formats/fat_format.h"

#include "read_whole.h"
#include "run_inftool.h"
#include "scratch_dir.h"
#include "script_lines.h"
#include "tiny_pe.h"

#include <gtest/gtest.h>

#include <utime.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Two disks: a compressed and a plain entry on each, one renamed, and one in a folder the
// installer never copies from.
const std::string kTwoDisks =
    Lines({"[Application]", "AppName = Tools", "[Disks]", "1 = Tools Disk 1", "2 = Tools Disk 2",
           "[Dirs]", "1 = WIN", "2 = TW", "[Files]", "Driver, A.DL_, A.DLL, 2, 1, Y",
           "Settings, A.INI, A.INI, 1, 1, N", "Help, HELP.HL_, HELP.HLP, 1, 2, Y",
           "Renamed, B.INI, GUI.INI, 1, 2, N", "[PM Info]", "A.DLL, Title", "[End]"});

class ImportTest : public ::testing::Test {
  protected:
    fs::path dir = ScratchDir("inftool-import-");
    std::string media = (dir / "media").string();
    std::string out = (dir / "imported").string();

    void SetUp() override {
        fs::create_directories(dir);
        setenv("SOURCE_DATE_EPOCH", "981173107", 1);
        Write("SETUP.INF", kTwoDisks);
        std::string driver;
        for (int i = 0; i < 3000; ++i)
            driver += static_cast<char>('a' + i * i % 26);
        Write("orig/TW/A.DLL", driver);
        Write("orig/WIN/A.INI", "[settings]\r\n");
        Write("orig/WIN/GUI.INI", "[renamed]\r\n");
        Write("orig/WIN/HELP.HLP", std::string(2000, 'h'));
        Write("setup.exe", TinyPe());
        Write("follow.exe", "MZ follow-on");
    }
    void TearDown() override {
        unsetenv("SOURCE_DATE_EPOCH");
        fs::remove_all(dir);
    }

    void Write(const std::string& name, const std::string& bytes) { WriteBelow(dir, name, bytes); }
    std::string Read(const std::string& name) { return ReadWhole((dir / name).string()); }

    // What build takes from an import in folder: the same call but for the paths.
    ProgramRun Build(const std::string& from, const std::string& to, const char* size) {
        const bool own = from == dir.string();
        return RunInftool({"build", from + "/SETUP.INF", "--from", own ? from + "/orig" : from,
                           "--setup", from + "/setup.exe", "--follow-on",
                           own ? from + "/follow.exe" : from + "/photo/setup.EXE", "--out", to,
                           "--disk-size", size, "--images"});
    }
    ProgramRun Import(const std::vector<std::string>& disks, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"import"};
        args.insert(args.end(), disks.begin(), disks.end());
        args.insert(args.end(), {"--out", out});
        args.insert(args.end(), extra.begin(), extra.end());
        return RunInftool(args);
    }

    // Every file below root by its path from there, with its bytes; with folders, each folder
    // too, as "/", so that a refused import is seen to leave root as it was.
    static std::map<std::string, std::string> Tree(const fs::path& root, bool folders = false) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (folders || entry.is_regular_file())
                files[fs::relative(entry.path(), root).generic_string()] =
                    entry.is_regular_file() ? ReadWhole(entry.path().string()) : "/";
        return files;
    }

    // What an import of the build of the fixture must give.
    std::map<std::string, std::string> Originals() {
        return {
            {"SETUP.INF", Read("SETUP.INF")},           {"setup.exe", Read("setup.exe")},
            {"photo/setup.EXE", Read("follow.exe")},    {"TW/A.DLL", Read("orig/TW/A.DLL")},
            {"WIN/A.INI", Read("orig/WIN/A.INI")},      {"WIN/GUI.INI", Read("orig/WIN/GUI.INI")},
            {"WIN/HELP.HLP", Read("orig/WIN/HELP.HLP")}};
    }
};

// The originals come back from build's images and from its folders alike, and build makes
// the same images of them again, byte for byte: two disks, and one alone (OUT.IMG), dated by
// SOURCE_DATE_EPOCH or by the newest input, whose time the image keeps and the import too.
TEST_F(ImportTest, BuildsImagesComeBackAndBuildTheSameImages) {
    struct Row {
        const char* size;
        std::vector<std::string> images, folders; // in dir, as build wrote them
        bool epoch;                               // SOURCE_DATE_EPOCH set
    };
    const Row rows[] = {
        {"1.44M", {"media/DISK1.IMG", "media/DISK2.IMG"}, {"media/DISK1", "media/DISK2"}, true},
        {"360K", {"media.IMG"}, {"media"}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.size);
        if (row.images.size() == 1) {
            std::string inf = kTwoDisks;
            for (const char* disk2 : {"1, 2, N", "1, 2, Y"})
                inf.replace(inf.find(disk2), 4, "1, 1");
            Write("SETUP.INF", inf);
        }
        if (!row.epoch) {
            // Inputs of long ago, so that the time of the import's writing cannot pass for theirs.
            unsetenv("SOURCE_DATE_EPOCH");
            const utimbuf old{981173107, 981173107};
            for (const auto& entry : fs::recursive_directory_iterator(dir))
                utime(entry.path().c_str(), &old);
        }
        ASSERT_EQ(Build(dir.string(), media, row.size).status, 0);
        std::vector<std::string> images, folders;
        for (const std::string& image : row.images)
            images.push_back((dir / image).string());
        for (const std::string& folder : row.folders)
            folders.push_back((dir / folder).string());

        for (const std::vector<std::string>& disks : {images, folders}) {
            SCOPED_TRACE(disks[0]);
            ProgramRun run = Import(disks);
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(Tree(out), Originals());
            ASSERT_EQ(Build(out, (dir / "again").string(), row.size).status, 0);
            for (const std::string& image : row.images) {
                // build's folders are dated by their writing, not by the inputs' time.
                if (!row.epoch && disks == folders) break;
                const std::string again = "again" + image.substr(std::string("media").size());
                EXPECT_EQ(Read(again), Read(image)) << image;
                EXPECT_GT(Read(image).size(), 0u);
            }
            for (const char* made : {"imported", "again", "again.IMG"})
                fs::remove_all(dir / made);
        }
        fs::remove_all(media);
        fs::remove(media + ".IMG");
    }
}

// Disks are placed by the files they hold, as images or as folders of any case, and every
// order of them gives the same rows (in the order of the numbers, then the rest by name) and
// the same files; a disk the script does not use gives only files that go to the folder of
// the rest, which a [Dirs] folder called "unlisted" moves aside; a missing installer is only
// noted.
TEST_F(ImportTest, DisksInAnyOrderAndCaseAndTheRest) {
    std::string inf = kTwoDisks;
    inf.replace(inf.find("1 = WIN"), 7, "1 = unlisted");
    Write("SETUP.INF", inf);
    fs::rename(dir / "orig/WIN", dir / "orig/unlisted");
    ASSERT_EQ(Build(dir.string(), media, "1.44M").status, 0);
    fs::rename(media + "/DISK1/TW/A.DL_", media + "/DISK1/TW/a.dl_");
    fs::rename(media + "/DISK1/TW", media + "/DISK1/tw");
    fs::remove(media + "/DISK1/setup.exe");
    Write("media/DISK1/EXTRA.TXT", "extra");
    Write("media/DISK2/README.TXT", "read me");
    const std::string image2 = media + "/DISK2.IMG", folder1 = media + "/DISK1",
                      folder2 = media + "/DISK2";
    char table[2048];
    std::snprintf(
        table, sizeof table,
        "disk   from                      files   listed  unlisted\n"
        "1      %-24s      5        4         1\n"
        "2      %-24s      3        2         1\n"
        "-      %-24s      2        0         2\n"
        "%s: note: no setup.exe beside SETUP.INF\n"
        "%s: note: 4 files the script does not list, kept in %s/unlisted-2: "
        "disk1/EXTRA.TXT, disk2/README.TXT, disk3/unlisted/HELP.HL_, disk3/unlisted/B.INI\n",
        folder1.c_str(), folder2.c_str(), image2.c_str(), folder1.c_str(), out.c_str(),
        out.c_str());
    std::map<std::string, std::string> expected = {
        {"SETUP.INF", inf},
        {"photo/setup.EXE", Read("follow.exe")},
        {"TW/A.DLL", Read("orig/TW/A.DLL")},
        {"unlisted/A.INI", Read("orig/unlisted/A.INI")},
        {"unlisted/GUI.INI", Read("orig/unlisted/GUI.INI")},
        {"unlisted/HELP.HLP", Read("orig/unlisted/HELP.HLP")},
        {"unlisted-2/disk1/EXTRA.TXT", "extra"},
        {"unlisted-2/disk2/README.TXT", "read me"},
        {"unlisted-2/disk3/unlisted/B.INI", Read("media/DISK2/unlisted/B.INI")},
        {"unlisted-2/disk3/unlisted/HELP.HL_", Read("media/DISK2/unlisted/HELP.HL_")}};
    for (const std::vector<std::string>& disks :
         {std::vector{image2, folder1, folder2}, std::vector{folder2, image2, folder1},
          std::vector{folder1, folder2, image2}}) {
        SCOPED_TRACE(disks[0]);
        ProgramRun run = Import(disks);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, table);
        EXPECT_EQ(Tree(out), expected);
        fs::remove_all(out);
    }
}

// A disk given twice, as the same name or another, or as the same files (in an archive too), is
// read once and named; a disk that holds the files of two numbers is named too, unless it is the
// only one.
TEST_F(ImportTest, DisksGivenTwiceOrMixedAreNamed) {
    const std::string image1 = media + "/DISK1.IMG", image2 = media + "/DISK2.IMG";
    const std::string folder1 = media + "/DISK1", folder2 = media + "/DISK2";
    const std::string twice = media + "/../media/DISK1.IMG", warning = "inftool import: warning: ";
    const std::string zipped1 = (dir / "set.zip/DISK1").string(),
                      zipped2 = (dir / "set.zip/DISK2").string();
    const auto moveToDisk1 = [&](std::vector<const char*> files) {
        return [&, files] {
            for (const char* file : files)
                fs::rename(folder2 + "/WIN/" + file, folder1 + "/WIN/" + file);
        };
    };
    struct Row {
        const char* arrangement;
        std::function<void()> arrange;
        std::vector<std::string> disks;
        std::string err;
        std::string rows;           // of the report, its blanks squeezed
        const char* kept = nullptr; // a file in DIR beside the originals
    };
    const Row rows[] = {
        {"one image twice",
         [] {},
         {image2, image1, image1},
         warning + image1 + ": given twice; read once\n",
         "1 " + image1 + " 5 5 0\n2 " + image2 + " 2 2 0\n- " + image1 + " 5 0 0\n"},
        {"one image under two names",
         [] {},
         {image1, twice, image2},
         warning + image1 + ": given twice, as " + twice + "; read once\n",
         "1 " + twice + " 5 5 0\n2 " + image2 + " 2 2 0\n- " + image1 + " 5 0 0\n"},
        {"an image and a folder of the same files",
         [] {},
         {image1, image2, folder1},
         warning + image1 + ": the same disk as " + folder1 + ", file for file; read once\n",
         "1 " + folder1 + " 5 5 0\n2 " + image2 + " 2 2 0\n- " + image1 + " 5 0 0\n"},
        {"a zip of the disks' folders and one of them again",
         [&] {
             ASSERT_EQ(
                 std::system(("cd '" + media + "' && zip -qr ../set.zip DISK2 DISK1").c_str()), 0);
         },
         {(dir / "set.zip").string(), folder1},
         warning + zipped1 + ": the same disk as " + folder1 + ", file for file; read once\n",
         "1 " + folder1 + " 5 5 0\n2 " + zipped2 + " 2 2 0\n- " + zipped1 + " 5 0 0\n"},
        {"a disk of two numbers",
         moveToDisk1({"B.INI"}),
         {folder2, folder1},
         warning + folder1 + ": holds files of disks 1 and 2\n",
         "1 " + folder1 + " 6 6 0\n2 " + folder2 + " 1 1 0\n"},
        {"the only disk, of two numbers",
         moveToDisk1({"B.INI", "HELP.HL_"}),
         {folder1},
         "",
         "1 " + folder1 + " 7 7 0\n"},
        {"a second disk with a script",
         [&] { fs::copy_file(folder1 + "/SETUP.INF", folder2 + "/SETUP.INF"); },
         {folder2, folder1},
         warning + folder2 + ": holds SETUP.INF too; the start disk is " + folder1 + "\n",
         "1 " + folder1 + " 5 5 0\n2 " + folder2 + " 3 2 1\n" + out +
             ": note: 1 files the script does not list, kept in " + out +
             "/unlisted: disk2/SETUP.INF\n",
         "unlisted/disk2/SETUP.INF"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arrangement);
        TearDown();
        SetUp();
        ASSERT_EQ(Build(dir.string(), media, "1.44M").status, 0);
        row.arrange();
        ProgramRun run = Import(row.disks);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, row.err);
        EXPECT_EQ(std::regex_replace(run.out, std::regex(" +"), " "),
                  "disk from files listed unlisted\n" + row.rows +
                      (row.err.empty() ? "" : "inftool import: imported, with 1 warning\n"));
        std::map<std::string, std::string> expected = Originals();
        if (row.kept) expected[row.kept] = Read("media/DISK1/SETUP.INF");
        EXPECT_EQ(Tree(out), expected);
        fs::remove_all(out);
    }
}

// Each damaged or unreadable disk, container or member, and each script import cannot follow,
// is refused with a line that names the disk and the file, and nothing is written, not even
// beside DIR, where libdsk's copies go.
TEST_F(ImportTest, EachDamageExits2AndWritesNothing) {
    const std::string disk1 = media + "/DISK1.IMG", disk2 = media + "/DISK2.IMG";
    const std::string folder1 = media + "/DISK1", folder2 = media + "/DISK2";
    const std::vector<std::string> folders = {folder1, folder2};
    // Changes a built image in place.
    const auto image = [](const std::string& path, std::function<void(std::string&)> change) {
        std::string bytes = ReadWhole(path);
        change(bytes);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    };
    const auto fat = [](std::string& bytes) { return reinterpret_cast<uint8_t*>(&bytes[512]); };
    const auto script = [&](const char* from, const char* to) {
        std::string inf = Read("media/DISK1/SETUP.INF");
        inf.replace(inf.find(from), std::string(from).size(), to);
        Write("media/DISK1/SETUP.INF", inf);
    };
    // The disks given as folders, after change.
    const auto onFolders = [&](std::function<void()> change) {
        return [&folders, change](std::vector<std::string>& disks) {
            disks = folders;
            change();
        };
    };
    // The disks given as files that command made in dir from the built images.
    const auto made = [&](std::string command, std::vector<std::string> files) {
        return [&, command, files](std::vector<std::string>& disks) {
            const std::string line =
                "cd '" + dir.string() + "' && (" + command + ") >/dev/null 2>&1";
            ASSERT_EQ(std::system(line.c_str()), 0) << command;
            disks.clear();
            for (const std::string& file : files)
                disks.push_back((dir / file).string());
        };
    };
    const std::string bad = (dir / "bad").string(), python = "python3 -c \"import zipfile; ";
    const std::string iso = "xorriso -as mkisofs -R -J -o iso media/DISK1";
    const std::string kRefusedHeader =
        "damaged, or of a version libdsk does not read: its header is refused by libdsk's drivers "
        "for ImageDisk, TeleDisk and CopyQM";
    // The first record of the CD's root that is a folder (loop) or a file (beyond) pointed at
    // the root, or past the end.
    const std::string kBreakIso =
        "import struct, sys\nd = bytearray(open('iso', 'rb').read())\n"
        "r = struct.unpack_from('<I', d, 32768 + 158)[0] * 2048\nat = r + d[r] + d[r + d[r]]\n"
        "loop = sys.argv[1] == 'loop'\n"
        "while bool(d[at + 25] & 2) != loop: at += d[at]\n"
        "t = r // 2048 if loop else len(d) // 2048 + 1000\n"
        "struct.pack_into('<I', d, at + 2, t)\nstruct.pack_into('>I', d, at + 6, t)\n"
        "open('bad', 'wb').write(d)";
    std::string deep; // 20 folders of 199 bytes
    for (int i = 0; i < 20; ++i)
        deep += (i == 0 ? "" : "/") + std::string(199, static_cast<char>('a' + i));
    struct Row {
        const char* damage;
        std::function<void(std::vector<std::string>& disks)> arrange;
        std::string err;
    };
    const Row rows[] = {
        {"a cluster chain that loops",
         [&](auto&) { image(disk1, [&](std::string& b) { SetFat12Entry(fat(b), 2, 2); }); },
         disk1 + ": setup.exe: its cluster chain loops back to cluster 2"},
        {"a device name",
         [&](auto&) {
             image(disk1,
                   [](std::string& b) { b.replace(b.find("SETUP   INF"), 11, "CON        "); });
         },
         disk1 + ": holds CON, a name no Windows folder can take"},
        {"a truncated image", [&](auto&) { image(disk2, [](std::string& b) { b.resize(9999); }); },
         disk2 + ": ends after 9999 bytes, before the 1474560 its boot sector declares"},
        {"an ImageDisk header on a raw image",
         [&](auto&) { image(disk2, [](std::string& b) { b.replace(0, 10, "IMD 1.18: "); }); },
         disk2 + ": an ImageDisk image: " + kRefusedHeader +
             " (libdsk: Unsupported IMD status 0xb0)"},
        {"a zipped image", [&](auto&) { Write("media/DISK2.IMG", "PK\3\4 zipped"); },
         disk2 + ": a zip archive: Truncated ZIP file header"},
        {"a truncated ImageDisk image",
         made("dsktrans -itype raw -otype imd media/DISK1.IMG d.imd && head -c 9000 d.imd >bad",
              {"bad"}),
         bad + ": an ImageDisk image: damaged: its records end early or cannot be read"},
        {"a TeleDisk image with a bad header",
         made("dsktrans -itype raw -otype tele media/DISK1.IMG bad && printf '\\377' | dd of=bad "
              "bs=1 seek=4 conv=notrunc",
              {"bad", "media/DISK2.IMG"}),
         bad + ": a TeleDisk image: " + kRefusedHeader},
        {"a zip bomb: a member that claims gigabytes",
         made(python + "zipfile.ZipFile('bad', 'w', 8).write('media/DISK1.IMG', 'DISK1.IMG'); "
                       "d = bytearray(open('bad', 'rb').read()); c = d.rfind(b'PK\\1\\2'); "
                       "d[22:26] = d[c + 24:c + 28] = (15 << 28).to_bytes(4, 'little'); "
                       "open('bad', 'wb').write(d)\"",
              {"bad"}),
         bad + ": a zip archive: DISK1.IMG: claims 4026531840 bytes, more than the 167772160 "
               "bytes a member may hold"},
        {"a zip member named ../x",
         made(python + "z = zipfile.ZipFile('bad', 'w'); z.write('media/DISK1.IMG', 'DISK1.IMG'); "
                       "z.writestr('../x', 'out')\"",
              {"bad"}),
         bad + ": a zip archive: ../x: a member name that leads out of the archive"},
        {"a link in a tar archive",
         made("ln -s media/DISK1.IMG link && bsdtar -cf bad media/DISK2.IMG link", {"bad"}),
         bad + ": a tar archive: link: a link or device; only files and folders are read"},
        {"an encrypted zip member", made("zip -qj -P secret - media/DISK1.IMG >bad", {"bad"}),
         bad + ": a zip archive: DISK1.IMG: encrypted"},
        {"an archive inside an archive",
         made("cd media && zip -q inner.zip DISK1.IMG DISK2.IMG && zip -q - inner.zip >../bad",
              {"bad"}),
         bad + ": inner.zip: a zip archive: an archive inside an archive: unpack the outer one "
               "first"},
        {"a CD image whose folder holds the root: a loop",
         made(iso + " && " + python + kBreakIso + "\" loop", {"bad"}),
         bad + ": a CD image (ISO 9660): Directory structure contains loop"},
        {"a CD image with a file beyond its end",
         made(iso + " && " + python + kBreakIso + "\" beyond", {"bad"}),
         bad + ": a CD image (ISO 9660): Invalid location of extent of file"},
        {"no image at all", [&](auto&) { Write("media/DISK2.IMG", "text"); },
         disk2 + ": holds 4 bytes, fewer than a boot sector"},
        {"a disk that is not there", [&](auto& d) { d[1] = media + "/DISK3.IMG"; },
         media + "/DISK3.IMG: cannot read: No such file or directory"},
        {"a compressed file cut short",
         [&](auto&) {
             image(disk1, [](std::string& b) { ++b[b.find("SZDD\x88\xF0\x27\x33") + 10]; });
         },
         disk1 +
             ": TW/A.DL_: stream ends early: fewer bytes than the header's length "
             "(" +
             disk1 + ": SETUP.INF line 10)"},
        {"a compressed file that is not",
         onFolders([&] { Write("media/DISK2/WIN/HELP.HL_", "plain help"); }),
         folder2 + ": WIN/HELP.HL_: not an SZDD compressed file (wrong signature) (" + folder1 +
             ": SETUP.INF line 12)"},
        {"a listed file missing", onFolders([&] { fs::remove(media + "/DISK1/WIN/A.INI"); }),
         folder1 +
             ": SETUP.INF line 11: WIN/A.INI, of disk 1, is on none of the disks given (disk 1 "
             "is " +
             folder1 + ")"},
        {"a disk not given", [&](auto& d) { d.pop_back(); },
         disk1 + ": SETUP.INF line 13: WIN/B.INI, of disk 2, is on none of the disks given, and "
                 "none holds the files of disk 2"},
        {"no script", [&](auto& d) { d.erase(d.begin()); },
         "none of the disks holds SETUP.INF at its top"},
        {"names one disk cannot tell apart",
         onFolders([&] { Write("media/DISK2/WIN/b.ini", "other"); }),
         folder2 + ": holds both WIN/B.INI and WIN/b.ini, which a FAT disk cannot tell apart"},
        {"a [Dirs] name leading out", onFolders([&] { script("1 = WIN", "1 = ..\\WIN"); }),
         folder1 + ": SETUP.INF line 11: [Dirs] name \"..\\WIN\" leads out of its folder"},
        {"one original, two contents", onFolders([&] { script("B.INI, GUI.INI", "B.INI, A.INI"); }),
         folder1 + ": SETUP.INF line 13: cannot put it in place: WIN/A.INI is also written for "
                   "line 11 with "
                   "other contents"},
        {"a path too long for DIR",
         onFolders([&] { Write("media/DISK2/" + deep + "/DEEP.TXT", "deep"); }),
         folder2 + ": " + deep.substr(0, 60) + "..." + deep.substr(deep.size() - 51) +
             "/DEEP.TXT (4008 bytes, 20 folders deep): cannot be written in " + out +
             ": a path of 4023 bytes, more than the " + std::to_string(4095 - 33 - out.size()) +
             " the file system takes there"},
        {"an out that is not empty", [&](auto&) { Write("imported/keep.txt", "keep"); },
         out + ": exists and is not empty (--force replaces it)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.damage);
        TearDown();
        SetUp();
        ASSERT_EQ(Build(dir.string(), media, "1.44M").status, 0);
        std::vector<std::string> disks = {disk1, disk2};
        row.arrange(disks);
        const std::map<std::string, std::string> before = Tree(dir, true);
        ProgramRun run = Import(disks);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(row.err + "\n"), std::string::npos) << run.err;
        EXPECT_LT(run.err.size(), 600u) << "one short error";
        EXPECT_NE(run.err.find("inftool import: nothing was written\n"), std::string::npos);
        EXPECT_EQ(Tree(dir, true), before);
    }
}

// A Japanese set: a script in code page 932 whose names end in the trail byte 0x5C (表 95 5C,
// ソ 83 5C, 能 94 5C), built for a Windows of that code page and imported back, gives the same
// script and originals, byte for byte; mtools, with code page 932 for short names, reads the
// names back. A disk 2 of another version beside it is named, and --strict refuses it.
TEST_F(ImportTest, AJapaneseSetComesBackByteForByte) {
    const std::string soft = "\x83\x5C\x83\x74\x83\x67"; // ソフト
    std::string inf;
    for (const std::string& line :
         std::vector<std::string>{"[Application]", "AppName = " + soft, "[Disks]",
                                  "1 = " + soft + " 1", "2 = " + soft + " 2", "[Dirs]", "1 = WIN",
                                  "[Files]", std::string("A, \x95\x5C.TX_, \x95\x5C.TXT, 1, 1, Y"),
                                  "B, " + soft + ".DLL, " + soft + ".DLL, 1, 1, N",
                                  std::string("C, \x94\x5C.IN_, \x94\x5C.INI, 1, 2, Y"),
                                  std::string("[PM Info]"), std::string("[End]")})
        inf += line + "\r\n";
    Write("SETUP.INF", inf);
    fs::remove_all(dir / "orig");
    Write("orig/WIN/\xE8\xA1\xA8.TXT", std::string(3000, 'h')); // 表
    Write("orig/WIN/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.DLL", "soft");
    Write("orig/WIN/\xE8\x83\xBD.INI", std::string(2000, 'n')); // 能
    std::vector<std::string> args = {"build",       (dir / "SETUP.INF").string(),
                                     "--from",      (dir / "orig").string(),
                                     "--setup",     (dir / "setup.exe").string(),
                                     "--follow-on", (dir / "follow.exe").string(),
                                     "--out",       media,
                                     "--disk-size", "1.44M",
                                     "--images",    "--codepage",
                                     "932",         "--system-codepage",
                                     "932",         "--strict"};
    ProgramRun run = RunInftool(args);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const std::vector<std::string> images = {media + "/DISK1.IMG", media + "/DISK2.IMG"};
    run = Import(images, {"--system-codepage", "932"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, std::string> expected = Tree(dir / "orig");
    expected["SETUP.INF"] = inf;
    expected["setup.exe"] = Read("setup.exe");
    expected["photo/setup.EXE"] = Read("follow.exe");
    EXPECT_EQ(Tree(out), expected);

    Write("mtools.conf", "default_codepage=932\n");
    setenv("MTOOLSRC", (dir / "mtools.conf").c_str(), 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    run = RunProgram({"mdir", "-b", "-i", images[0], "::/WIN"});
    EXPECT_EQ(run.out, "::/WIN/\xE8\xA1\xA8.TX_\n::/WIN/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.DLL\n")
        << run.err;
    const std::string copied = (dir / "copied").string();
    run = RunProgram({"mcopy", "-n", "-i", images[1], "::/WIN/\xE8\x83\xBD.IN_", copied});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadWhole(copied), Read("media/DISK2/WIN/\xE8\x83\xBD.IN_"));
    // 表 is a short name of its own in code page 932, with no long name beside it.
    run = RunProgram({"mdir", "-i", images[0], "::/WIN"});
    EXPECT_NE(run.out.find("\n\xE8\xA1\xA8 "), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("\xE8\xA1\xA8.TX_"), std::string::npos) << run.out;
    run = RunProgram({"mdir", "-i", images[1], "::/"});
    EXPECT_NE(run.out.find("Volume in drive : is \xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88 2"),
              std::string::npos)
        << run.out;

    // Another version of disk 2: another label, other bytes at one path.
    Write("orig/WIN/\xE8\x83\xBD.INI", std::string(2000, 'v'));
    std::string v2 = inf;
    v2.replace(v2.find(" 2\r\n"), 2, " V2");
    Write("SETUP.INF", v2);
    args[9] = (dir / "v2").string(); // --out
    ASSERT_EQ(RunInftool(args).status, 0);
    fs::remove_all(out);
    const std::vector<std::string> mixed = {images[0], images[1], (dir / "v2/DISK2.IMG").string()};
    run = Import(mixed, {"--system-codepage", "932"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("inftool import: warning: " + images[1] +
                           " is labelled \"\xE3\x82\xBD"
                           "\xE3\x83\x95\xE3\x83\x88 2\" and " +
                           mixed[2] +
                           " \"\xE3\x82\xBD\xE3"
                           "\x83\x95\xE3\x83\x88 V2\": disks of two versions?"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(images[1] + ": WIN/\xE8\x83\xBD.IN_ and " + mixed[2] +
                           ": WIN/\xE8\x83\xBD.IN_ differ"),
              std::string::npos)
        << run.err;
    fs::remove_all(out);
    run = Import(mixed, {"--system-codepage", "932", "--strict"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("inftool import: --strict: the disks draw 3 warnings\n"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(out));
}

// /proc takes no new folder, not even from root.
TEST_F(ImportTest, AFailedWriteExits74) {
    ASSERT_EQ(Build(dir.string(), media, "1.44M").status, 0);
    ProgramRun run = RunInftool(
        {"import", media + "/DISK1.IMG", media + "/DISK2.IMG", "--out", "/proc/self/imported"});
    EXPECT_EQ(run.status, 74);
    EXPECT_NE(run.err.find("inftool import: /proc/self/imported.~inftool-lock: cannot lock: "),
              std::string::npos)
        << run.err;
}

} // namespace
