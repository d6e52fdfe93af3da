#include "read_whole.h"
#include "run_inftool.h"
#include "scratch_dir.h"
#include "script_lines.h"
#include "tiny_pe.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kScript =
    Lines({"[Application]", "AppName = Tools", "GroupName = T.GRP, Tools", "[Disks]", "1 = Disk 1",
           "[Dirs]", "1 = WINDOWS", "[Files]", "Settings, A.INI, A.INI, 1, 1, N",
           "Library, A.DL_, A.DLL, 1, 1, Y", "[End]"});

// Every writing command, given as an output each way a path can lead to what it reads. All
// paths are relative to the scratch folder the command runs in, a fresh copy of made.
class InputsTest : public ::testing::Test {
  protected:
    fs::path dir = ScratchDir("inftool-inputs-");
    fs::path made = ScratchDir("inftool-inputs-made-");

    void SetUp() override {
        fs::remove_all(made);
        for (const auto& [name, bytes] :
             std::map<std::string, std::string>{{"s.inf", kScript},
                                                {"drv/WINDOWS/A.INI", "[settings]"},
                                                {"drv/WINDOWS/A.DLL", std::string(2000, 'd')},
                                                {"setup.exe", TinyPe()},
                                                {"follow.exe", "MZ follow-on"},
                                                {"a.dll", std::string(3000, 'x')}})
            WriteBelow(made, name, bytes);
        ASSERT_EQ(RunInftool({"compress", "a.dll", "a.dl_"}, made.string()).status, 0);
        ASSERT_EQ(
            RunInftool({"build", "s.inf", "--from", "drv", "--setup", "setup.exe", "--follow-on",
                        "follow.exe", "--out", "disk1", "--disk-size", "1.44M", "--images"},
                       made.string())
                .status,
            0);
    }
    void TearDown() override {
        fs::remove_all(dir);
        fs::remove_all(made);
    }

    // Every file below dir with its bytes.
    std::map<std::string, std::string> Files() {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (fs::is_regular_file(entry.symlink_status()))
                files[entry.path().lexically_relative(dir).string()] =
                    ReadWhole(entry.path().string());
        return files;
    }
};

// The command's call with out as its output; "build+" also writes OUT.IMG.
std::vector<std::string> Call(const std::string& command, const std::string& out) {
    if (command == "init") return {"init", "drv", "--out", out, "--force"};
    if (command == "compress") return {"compress", "a.dll", out};
    if (command == "expand") return {"expand", "a.dl_", out};
    if (command == "import") return {"import", "disk1", "disk1.IMG", "--out", out, "--force"};
    std::vector<std::string> args = {"build",   "s.inf",       "--from",    "drv",
                                     "--setup", "setup.exe",   "--out",     out,
                                     "--force", "--follow-on", "follow.exe"};
    if (command == "build+") args.insert(args.end(), {"--disk-size", "1.44M", "--images"});
    return args;
}

TEST_F(InputsTest, NoOutputIsAnInputHoldsOneOrLiesInAFolderImportReads) {
    struct Row {
        std::string command;
        std::string out;
        const char* link;    // made before the run: a hard link "=PATH" to out, a symlink
                             // "PATH" to out, or a dangling symlink "NAME.~inftool0"
        std::string refusal; // "" when the run is harmless; else what stderr says after OUT
    };
    const Row rows[] = {
        {"build", "s.inf", nullptr, "is s.inf"},
        {"build", "./drv/../drv", nullptr, "is drv"},
        {"build", "link", "=drv/WINDOWS/A.INI", "is drv/WINDOWS/A.INI"},
        {"build", "link", "drv/WINDOWS", "holds drv/WINDOWS/A"},
        {"build", "drv/WINDOWS", nullptr, "holds drv/WINDOWS/A"},
        {"build", ".", nullptr, "holds s.inf"},
        {"build", "drv/media", nullptr, ""},
        {"build", "out", "out.~inftool0", ""},
        {"build+", "out", "out.IMG.~inftool0", ""},
        {"init", "drv/WINDOWS/A.INI", nullptr, "is drv/WINDOWS/A.INI"},
        {"init", "./drv/./WINDOWS/A.INI", nullptr, "is drv/WINDOWS/A.INI"},
        {"init", "link", "=drv/WINDOWS/A.DLL", "is drv/WINDOWS/A.DLL"},
        {"init", "link", "drv/WINDOWS/A.INI", "is drv/WINDOWS/A.INI"},
        {"init", "drv", nullptr, "is drv"},
        {"init", "drv/WINDOWS", nullptr, "holds drv/WINDOWS/A"},
        {"init", "new.inf", "new.inf.~inftool0", ""},
        {"init", "drv/./new.inf", nullptr, "lies inside drv"},
        {"compress", "a.dll", nullptr, "is a.dll"},
        {"compress", "./a.dll", nullptr, "is a.dll"},
        {"compress", "link", "=a.dll", "is a.dll"},
        {"compress", "link", "a.dll", "is a.dll"},
        {"compress", ".", nullptr, "holds a.dll"},
        {"compress", "b.dl_", "b.dl_.~inftool0", ""},
        {"expand", "a.dl_", nullptr, "is a.dl_"},
        {"expand", "./a.dl_", nullptr, "is a.dl_"},
        {"expand", "link", "=a.dl_", "is a.dl_"},
        {"expand", "link", "a.dl_", "is a.dl_"},
        {"expand", ".", nullptr, "holds a.dl_"},
        {"expand", "b.dll", "b.dll.~inftool0", ""},
        {"import", "disk1", nullptr, "is disk1"},
        {"import", "./disk1/.", nullptr, "is disk1"},
        {"import", "link", "=disk1.IMG", "is disk1.IMG"},
        {"import", "link", "disk1", "is disk1"},
        {"import", ".", nullptr, "holds disk1"},
        {"import", "disk1/restored", nullptr, "lies inside disk1"},
        {"import", "restored", "restored.~inftool0", ""},
        {"import", "restored/", nullptr, ""},
    };
    for (const Row& row : rows) {
        const std::string link = row.link != nullptr ? row.link : "";
        SCOPED_TRACE(row.command + " " + row.out + " " + link);
        fs::remove_all(dir);
        fs::copy(made, dir, fs::copy_options::recursive);
        if (link.find("~inftool") != std::string::npos)
            fs::create_symlink(dir / "victim", dir / link);
        else if (!link.empty() && link[0] == '=')
            fs::create_hard_link(dir / link.substr(1), dir / row.out);
        else if (!link.empty())
            fs::create_symlink(dir / link, dir / row.out);
        const std::map<std::string, std::string> before = Files();
        const ProgramRun run = RunInftool(Call(row.command, row.out), dir.string());
        if (row.refusal.empty()) {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "victim")));
            EXPECT_TRUE(link.empty() || fs::is_symlink(dir / link)) << "not inftool's to remove";
            std::map<std::string, std::string> after = Files();
            for (const auto& [path, bytes] : before)
                EXPECT_EQ(after[path], bytes) << path;
        } else {
            const std::string command = Call(row.command, row.out)[0];
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.err.rfind("inftool " + command + ": " + row.out + ": " + row.refusal, 0),
                      0u)
                << run.err;
            EXPECT_NE(run.err.find(", which " + command + " reads\n"), std::string::npos);
            EXPECT_EQ(Files(), before) << "nothing written";
        }
    }
}

// A run removes what a stopped one left beside its output before it writes, so an input of such
// a name is an output too: refused, and kept.
TEST_F(InputsTest, AnInputNamedAsALeftoverBesideTheOutputIsKept) {
    for (const auto& [given, input, out] :
         {std::array<std::string, 3>{"disk1", "restored.~inftool7", "restored"},
          std::array<std::string, 3>{"a.dll", "b.~inftool1", "b"},
          std::array<std::string, 3>{"disk1", "restored.~inftool-old0", "restored"}}) {
        SCOPED_TRACE(input);
        fs::remove_all(dir);
        fs::copy(made, dir, fs::copy_options::recursive);
        fs::rename(dir / given, dir / input);
        const std::map<std::string, std::string> before = Files();
        const std::vector<std::string> call =
            given == "a.dll" ? std::vector<std::string>{"compress", input, out}
                             : std::vector<std::string>{"import", input, "--out", out};
        const ProgramRun run = RunInftool(call, dir.string());
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(input + ": is " + input + ", which " + call[0] + " reads"),
                  std::string::npos)
            << run.err;
        EXPECT_TRUE(Files() == before) << "the input was changed";
    }
}

// The spelling fuzzer: every writing command given OUT spelt, by a generator, each way a path
// can lead to its inputs or beside them: a/../b with a missing and present, ./, //, a trailing
// slash, a symlink to an input or to its folder, a chain of symlinks, an absolute path, another
// working folder, an input named as a leftover of OUT; with and without --force. The one
// invariant: after every run each input file holds its bytes, and a run that did not succeed
// was refused (exit 2) with nothing changed at all.
TEST_F(InputsTest, NoSpellingOfOutTouchesAnInput) {
    struct Writer {
        std::string command;
        std::vector<std::string> inputs;  // the first may be renamed as a leftover of OUT
        std::vector<std::string> targets; // what OUT's spelling starts from
    };
    const Writer writers[] = {
        {"build",
         {"s.inf", "drv", "setup.exe", "follow.exe"},
         {"s.inf", "drv", "drv/WINDOWS", "drv/WINDOWS/A.INI", "setup.exe", "new", "sub/new", "."}},
        {"import", {"disk1", "disk1.IMG"}, {"disk1", "disk1/SETUP.INF", "disk1.IMG", "new", "sub"}},
        {"init", {"drv"}, {"drv", "drv/WINDOWS/A.INI", "drv/x.inf", "new.inf", "sub"}},
        {"compress", {"a.dll"}, {"a.dll", "new", "sub/new", "."}},
        {"expand", {"a.dl_"}, {"a.dl_", "new", "sub/new"}},
    };
    const char* const tags[] = {".~inftool0", ".~inftool-old1", ".~inftool-lock"};
    std::mt19937 random(31);
    const auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
    // Every entry below dir: a file's bytes, a folder, or a symlink's target.
    const auto tree = [this] {
        std::map<std::string, std::string> entries;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const fs::file_status status = entry.symlink_status();
            const std::string name = entry.path().lexically_relative(dir).string();
            entries[name] = fs::is_symlink(status)     ? "-> " + fs::read_symlink(entry).string()
                            : fs::is_directory(status) ? "folder"
                                                       : ReadWhole(entry.path().string());
        }
        return entries;
    };
    for (int round = 0; round < 60; ++round) {
        for (const Writer& writer : writers) {
            fs::remove_all(dir);
            fs::copy(made, dir, fs::copy_options::recursive);
            fs::create_directory(dir / "sub");
            std::vector<std::string> inputs = writer.inputs;
            std::string out = writer.targets[pick(writer.targets.size())];
            if (pick(6) == 0) {
                out = "lo";
                inputs[0] = out + tags[pick(std::size(tags))];
                fs::rename(dir / writer.inputs[0], dir / inputs[0]);
            }
            std::string cwd;
            int links = 0;
            for (size_t steps = 1 + pick(3); steps > 0; --steps) {
                const std::string link = "ln" + std::to_string(links++);
                const size_t cut = out.rfind('/');
                switch (pick(9)) {
                case 0: out = "missing/../" + out; break;
                case 1: out = "sub/../" + out; break;
                case 2: out = "./" + out; break;
                case 3: out = cut == std::string::npos ? ".//" + out : out.insert(cut, "/"); break;
                case 4: out += "/"; break;
                case 5: fs::create_symlink(out, dir / link), out = link; break;
                case 6:
                    fs::create_symlink(cut == std::string::npos ? "." : out.substr(0, cut),
                                       dir / link);
                    out = link + (cut == std::string::npos ? "/" + out : out.substr(cut));
                    break;
                case 7:
                    fs::create_symlink(out, dir / (link + "b"));
                    fs::create_symlink(link + "b", dir / link);
                    out = link;
                    break;
                default: out = (dir / out).string(); break;
                }
            }
            if (out[0] != '/' && pick(4) == 0) cwd = "sub", out = "../" + out;
            const std::string up = cwd.empty() ? "" : "../";
            const bool force = pick(2) == 0;
            std::vector<std::string> args = {writer.command, up + inputs[0]};
            if (writer.command == "build")
                args.insert(args.end(), {"--from", up + "drv", "--setup", up + "setup.exe",
                                         "--follow-on", up + "follow.exe", "--out", out});
            else if (writer.command == "import")
                args.insert(args.end(), {up + "disk1.IMG", "--out", out});
            else if (writer.command == "init")
                args.insert(args.end(), {"--out", out});
            else
                args.push_back(out);
            if (force && args.size() > 3) args.push_back("--force");
            const std::map<std::string, std::string> before = tree();
            const ProgramRun run = RunInftool(args, (dir / cwd).string());
            std::string call;
            for (const std::string& arg : args)
                call += " " + arg;
            SCOPED_TRACE("round " + std::to_string(round) + " in ./" + cwd + ":" + call + "\n" +
                         run.err);
            const std::map<std::string, std::string> after = tree();
            if (run.status != 0) {
                EXPECT_EQ(run.status, 2);
                EXPECT_TRUE(after == before) << "a refused run changed something";
            }
            for (const auto& [name, bytes] : before) {
                for (const std::string& input : inputs) {
                    if (name == input || name.rfind(input + "/", 0) == 0) {
                        EXPECT_TRUE(after.count(name) != 0 && after.at(name) == bytes) << name;
                    }
                }
            }
        }
    }
}

// An output that is a character device or a FIFO is written as a stream, never replaced by a
// file; media are never put in its place. (Making a device takes root.)
TEST_F(InputsTest, DevicesAndFifosStayWhatTheyAre) {
    fs::copy(made, dir, fs::copy_options::recursive);
    const bool root =
        geteuid() == 0 && mknod((dir / "nul").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    ASSERT_EQ(mkfifo((dir / "ff").c_str(), 0666), 0);
    const std::vector<std::vector<std::string>> calls = {{"compress", "a.dll", "ff"},
                                                         {"expand", "a.dl_", "nul"},
                                                         {"init", "drv", "--out", "nul", "--force"},
                                                         {"build", "s.inf", "--from", "drv",
                                                          "--setup", "setup.exe", "--follow-on",
                                                          "follow.exe", "--out", "nul", "--force"}};
    for (const std::vector<std::string>& call : calls) {
        if (!root && call.back() != "ff") continue;
        SCOPED_TRACE(call[0]);
        std::string streamed;
        std::thread reader([&] {
            if (call.back() == "ff") streamed = ReadWhole((dir / "ff").string());
        });
        const ProgramRun run = RunInftool(call, dir.string());
        reader.join();
        EXPECT_EQ(run.status, call[0] == "build" ? 2 : 0) << run.err;
        const fs::file_status status =
            fs::symlink_status(dir / (call[0] == "compress" ? "ff" : "nul"));
        EXPECT_EQ(status.type(),
                  call[0] == "compress" ? fs::file_type::fifo : fs::file_type::character);
        if (call.back() == "ff") {
            EXPECT_EQ(streamed, ReadWhole((dir / "a.dl_").string()));
        }
    }
}

} // namespace
