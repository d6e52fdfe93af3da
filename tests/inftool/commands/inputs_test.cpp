#include "read_whole.h"
#include "run_inftool.h"
#include "scratch_dir.h"
#include "script_lines.h"
#include "tiny_pe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kScript =
    Lines({"[Application]", "AppName = Tools", "GroupName = T.GRP, Tools", "[Disks]", "1 = Disk 1",
           "[Dirs]", "1 = WINDOWS", "[Files]", "Settings, A.INI, A.INI, 1, 1, N",
           "Library, A.DL_, A.DLL, 1, 1, Y", "[End]"});

// Every writing command, given as an output each way a path can lead to what it reads. All
// paths are relative to the scratch folder the command runs in.
class InputsTest : public ::testing::Test {
  protected:
    fs::path dir = ScratchDir("inftool-inputs-");

    fs::path made = ScratchDir("inftool-inputs-made-");

    // The inputs are made once, then copied for each row.
    void Fresh() {
        fs::remove_all(dir);
        if (!fs::exists(made)) {
            WriteBelow(made, "s.inf", kScript);
            WriteBelow(made, "drv/WINDOWS/A.INI", "[settings]");
            WriteBelow(made, "drv/WINDOWS/A.DLL", std::string(2000, 'd'));
            WriteBelow(made, "setup.exe", TinyPe());
            WriteBelow(made, "follow.exe", "MZ follow-on");
            WriteBelow(made, "a.dll", std::string(3000, 'x'));
            ASSERT_EQ(RunInftool({"compress", "a.dll", "a.dl_"}, made.string()).status, 0);
            ASSERT_EQ(RunInftool({"build", "s.inf", "--from", "drv", "--setup", "setup.exe",
                                  "--follow-on", "follow.exe", "--out", "disk1", "--disk-size",
                                  "1.44M", "--images"},
                                 made.string())
                          .status,
                      0);
        }
        fs::copy(made, dir, fs::copy_options::recursive);
    }
    void TearDown() override {
        fs::remove_all(dir);
        fs::remove_all(made);
    }

    ProgramRun Run(const std::vector<std::string>& args) { return RunInftool(args, dir.string()); }

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

std::vector<std::string> Build(const std::string& out) {
    return {"build",       "s.inf",      "--from", "drv", "--setup", "setup.exe",
            "--follow-on", "follow.exe", "--out",  out,   "--force"};
}
std::vector<std::string> Init(const std::string& out) {
    return {"init", "drv", "--out", out, "--force"};
}
std::vector<std::string> Compress(const std::string& out) {
    return {"compress", "a.dll", out};
}
std::vector<std::string> Expand(const std::string& out) {
    return {"expand", "a.dl_", out};
}
std::vector<std::string> Import(const std::string& out) {
    return {"import", "disk1", "disk1.IMG", "--out", out, "--force"};
}

TEST_F(InputsTest, NoOutputIsAnInputHoldsOneOrLiesInAFolderImportReads) {
    struct Row {
        const char* name;
        std::function<std::vector<std::string>(const std::string&)> command;
        std::string out;
        const char* link;    // made before the run: a hard link "=PATH" or a symlink "PATH"
        std::string refusal; // "" when the run is harmless; else what stderr says after OUT
    };
    fs::remove_all(made);
    const Row rows[] = {
        {"build: the script", Build, "s.inf", nullptr, ": is s.inf, which build reads"},
        {"build: ./ spelling of --from", Build, "./drv/../drv", nullptr,
         ": is drv, which build reads"},
        {"build: a hard link to an original", Build, "link", "=drv/WINDOWS/A.INI",
         ": is drv/WINDOWS/A.INI, which build reads"},
        {"build: a symlink to the originals' folder", Build, "link", "drv/WINDOWS",
         ": holds drv/WINDOWS/A"},
        {"build: OUT the folder of the originals", Build, "drv/WINDOWS", nullptr,
         ": holds drv/WINDOWS/A"},
        {"build: OUT holding the script", Build, ".", nullptr, ": holds s.inf, which build reads"},
        {"build: a new folder inside --from", Build, "drv/media", nullptr, ""},
        {"build: a dangling symlink at the temporary name", Build, "out", "out.~inftool0", ""},
        {"build: a dangling symlink at OUT.IMG's temporary name",
         [](const std::string& out) {
             std::vector<std::string> args = Build(out);
             args.insert(args.end(), {"--disk-size", "1.44M", "--images"});
             return args;
         },
         "out", "out.IMG.~inftool0", ""},
        {"init: an original", Init, "drv/WINDOWS/A.INI", nullptr,
         ": is drv/WINDOWS/A.INI, which init reads"},
        {"init: ./ spelling of an original", Init, "./drv/./WINDOWS/A.INI", nullptr,
         ": is drv/WINDOWS/A.INI, which init reads"},
        {"init: a hard link to an original", Init, "link", "=drv/WINDOWS/A.DLL",
         ": is drv/WINDOWS/A.DLL, which init reads"},
        {"init: a symlink to an original", Init, "link", "drv/WINDOWS/A.INI",
         ": is drv/WINDOWS/A.INI, which init reads"},
        {"init: OUT the folder it reads", Init, "drv", nullptr, ": is drv, which init reads"},
        {"init: OUT holding an original", Init, "drv/WINDOWS", nullptr, ": holds drv/WINDOWS/A"},
        {"init: a dangling symlink at the temporary name", Init, "new.inf", "new.inf.~inftool0",
         ""},
        {"compress: the same name", Compress, "a.dll", nullptr, ": is a.dll, which compress reads"},
        {"compress: ./ spelling", Compress, "./a.dll", nullptr, ": is a.dll, which compress reads"},
        {"compress: a hard link", Compress, "link", "=a.dll", ": is a.dll, which compress reads"},
        {"compress: a symlink", Compress, "link", "a.dll", ": is a.dll, which compress reads"},
        {"compress: OUT holding IN", Compress, ".", nullptr, ": holds a.dll, which compress reads"},
        {"compress: a dangling symlink at the temporary name", Compress, "b.dl_", "b.dl_.~inftool0",
         ""},
        {"expand: the same name", Expand, "a.dl_", nullptr, ": is a.dl_, which expand reads"},
        {"expand: ./ spelling", Expand, "./a.dl_", nullptr, ": is a.dl_, which expand reads"},
        {"expand: a hard link", Expand, "link", "=a.dl_", ": is a.dl_, which expand reads"},
        {"expand: a symlink", Expand, "link", "a.dl_", ": is a.dl_, which expand reads"},
        {"expand: OUT holding IN", Expand, ".", nullptr, ": holds a.dl_, which expand reads"},
        {"expand: a dangling symlink at the temporary name", Expand, "b.dll", "b.dll.~inftool0",
         ""},
        {"import: a disk's folder", Import, "disk1", nullptr, ": is disk1, which import reads"},
        {"import: ./ spelling of it", Import, "./disk1/.", nullptr,
         ": is disk1, which import reads"},
        {"import: a hard link to the image", Import, "link", "=disk1.IMG",
         ": is disk1.IMG, which import reads"},
        {"import: a symlink to the disk's folder", Import, "link", "disk1",
         ": is disk1, which import reads"},
        {"import: OUT holding the disks", Import, ".", nullptr, ": holds disk1"},
        {"import: OUT inside a disk's folder", Import, "disk1/restored", nullptr,
         ": lies inside disk1, which import reads"},
        {"import: a dangling symlink at the temporary name", Import, "restored",
         "restored.~inftool0", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Fresh();
        if (row.link != nullptr && row.link[0] == '=')
            fs::create_hard_link(dir / (row.link + 1), dir / row.out);
        else if (row.link != nullptr && std::string(row.link).find("~inftool") != std::string::npos)
            fs::create_symlink(dir / "victim", dir / row.link);
        else if (row.link != nullptr)
            fs::create_symlink(dir / row.link, dir / row.out);
        const std::map<std::string, std::string> before = Files();
        const ProgramRun run = Run(row.command(row.out));
        if (row.refusal.empty()) {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "victim")));
            EXPECT_TRUE(row.link == nullptr || fs::is_symlink(dir / row.link))
                << "a symlink is no leftover of inftool's";
            std::map<std::string, std::string> after = Files();
            for (const auto& [path, bytes] : before)
                EXPECT_EQ(after[path], bytes) << path;
        } else {
            EXPECT_EQ(run.status, 2);
            const std::string command = row.command(row.out)[0];
            EXPECT_EQ(run.err.rfind("inftool " + command + ": " + row.out + row.refusal, 0), 0u)
                << run.err;
            EXPECT_EQ(Files(), before) << "nothing written";
        }
    }
}

} // namespace
