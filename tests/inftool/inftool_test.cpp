#include "cli/dispatch.h"
#include "cli/exit_codes.h"
#include "commands/commands.h"

#include "inf_query.h"
#include "script_platform.h"

#include "resources/version.h"

#include "read_whole.h"
#include "run_inftool.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kSamples = SAMPLES_DIR;
const std::string kWorked = kSamples + "/scripts/worked.inf";

const char kWorkedJson[] = R"({
  "AppName": "Scanner Utilities",
  "DfltDir": "C:\\SCANUTIL",
  "MinHDSpace": 1500,
  "GroupFile": "SCANUTIL.GRP",
  "GroupTitle": "Scanner Utilities",
  "Disks": [
    {"Number": 1, "Name": "Setup Disk 1"},
    {"Number": 2, "Name": "Setup Disk 2"}
  ],
  "Dirs": [
    {"Number": 1, "Name": "WINDOWS"},
    {"Number": 2, "Name": "TWAIN"}
  ],
  "Files": [
    {"Description": "Scanner driver", "SourceName": "SCANDRV.DL_", "DestName": "SCANDRV.DLL", "DirNumber": 2, "DiskNumber": 1, "Compressed": 1},
    {"Description": "Driver settings", "SourceName": "SCANDRV.INI", "DestName": "SCANDRV.INI", "DirNumber": 1, "DiskNumber": 1, "Compressed": 0},
    {"Description": "Scanner program", "SourceName": "SCANUTIL.EX_", "DestName": "SCANUTIL.EXE", "DirNumber": 1, "DiskNumber": 2, "Compressed": 1}
  ],
  "PmItems": [
    {"ItemFile": "SCANUTIL.EXE", "ItemTitle": "Scanner Utilities", "ItemAltFile": "", "ItemNumber": 0},
    {"ItemFile": "SCANDRV.DLL", "ItemTitle": "Driver Setup", "ItemAltFile": "SCANUTIL.EXE", "ItemNumber": 2}
  ]
}
)";

TEST(InftoolDump, WorkedExample) {
    const ProgramRun run = RunInftool({"dump", kWorked});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kWorkedJson);
    EXPECT_EQ(run.err, "");
}

// The expected files that the Windows loader's output is compared with must be what the
// host build prints.
TEST(InftoolDump, MatchesTheCommittedExpectedFiles) {
    for (const char* name : {"worked", "full", "odd", "lf_only", "capacity", "oversize"}) {
        const std::string expected =
            ReadWhole(kSamples + "/../tests/windows/expected/" + name + ".json");
        ASSERT_FALSE(expected.empty()) << name;
        const ProgramRun run = RunInftool({"dump", kSamples + "/scripts/" + name + ".inf"});
        EXPECT_EQ(run.status, 0) << name;
        EXPECT_EQ(run.out, expected) << name;
    }
}

TEST(InftoolQuery, AnswersTheWorkedExampleTable) {
    struct Row {
        std::vector<std::string> args; // CODE [INDEX [TEXT]]
        std::string out;
    };
    const Row rows[] = {
        {{"GetDiskCount"}, R"({"result": 2, "buffer": ""})"},
        {{"GetFileCount"}, R"({"result": 3, "buffer": ""})"},
        {{"GetFileDir", "0"}, R"({"result": 2, "buffer": "TWAIN"})"},
        {{"GetFileDir", "1"}, R"({"result": 1, "buffer": "WINDOWS"})"},
        {{"GetFileDisk", "2"}, R"({"result": 2, "buffer": "Setup Disk 2"})"},
        {{"GetFileCompressed", "1"}, R"({"result": 0, "buffer": ""})"},
        {{"FindDir", "2"}, R"({"result": 1, "buffer": ""})"},
        {{"FindDisk", "3"}, R"({"result": -1, "buffer": ""})"},
        {{"FindFileDir", "0", "scanutil.exe"}, R"({"result": 0, "buffer": "scanutil.exe"})"},
        {{"GetPmItemFile", "1"}, R"({"result": 1, "buffer": "SCANDRV.DLL"})"},
        {{"GetPmItemAltFile", "1"}, R"({"result": 131072, "buffer": "SCANUTIL.EXE"})"},
        {{"GetPmItemAltFile", "0"}, R"({"result": 0, "buffer": "SCANUTIL.EXE"})"},
        {{"GetGroupFile"}, R"({"result": 0, "buffer": "SCANUTIL.GRP"})"},
        {{"GetGroupTitle"}, R"({"result": 0, "buffer": "Scanner Utilities"})"},
        // Names in any letter case.
        {{"getfilecount"}, R"({"result": 3, "buffer": ""})"},
        {{"FINDFILEDIR", "0", "scanutil.exe"}, R"({"result": 0, "buffer": "scanutil.exe"})"},
        // Codes by number, high index bits, and codes past the enumeration.
        {{"4"}, R"({"result": 2, "buffer": ""})"},
        {{"2", "0"}, R"({"result": 0, "buffer": "C:\\SCANUTIL"})"},
        {{"GetDiskName", "65537"}, R"({"result": 0, "buffer": "Setup Disk 2"})"},
        {{"FindDisk", "4294901762"}, R"({"result": 1, "buffer": ""})"},
        {{"24", "0", "kept"}, R"({"result": 0, "buffer": "kept"})"},
        {{"4294967295", "4294967295", "kept"}, R"({"result": 0, "buffer": "kept"})"},
        {{"GetAppName", "0", "a long preset text"},
         R"({"result": 0, "buffer": "Scanner Utilities"})"},
        {{"LoadScript", "0", kSamples + "/scripts/lf_only.inf"},
         (R"({"result": 0, "buffer": ")" + kSamples + R"(/scripts/lf_only.inf"})")},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"query", kWorked};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const ProgramRun run = RunInftool(args);
        SCOPED_TRACE(row.args[0]);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, row.out + "\n");
        EXPECT_EQ(run.err, "");
    }
}

// Every wrong call names the command and the argument at fault on its first line, then
// gives the command's help, on stderr, and exits 64 with nothing on stdout.
TEST(Inftool, WrongCallsNameTheArgumentAndExit64) {
    struct Row {
        std::vector<std::string> args;
        std::string line; // the first line on stderr
    };
    const std::string missing = kSamples + "/missing.inf";
    const Row rows[] = {
        {{"dump"}, "inftool dump: missing argument FILE"},
        {{"dump", kWorked, "extra"}, "inftool dump: unexpected argument extra"},
        {{"dump", "--json", kWorked}, "inftool dump: unknown option --json"},
        {{"query"}, "inftool query: missing argument FILE"},
        {{"query", kWorked}, "inftool query: missing argument CODE"},
        {{"query", kWorked, "NoSuchCode"}, "inftool query: unknown query code NoSuchCode"},
        {{"query", kWorked, "getappnames"}, "inftool query: unknown query code getappnames"},
        {{"query", kWorked, ""}, "inftool query: unknown query code "},
        {{"query", kWorked, "4294967296"}, "inftool query: unknown query code 4294967296"},
        {{"query", kWorked, "-1"}, "inftool query: unknown query code -1"},
        {{"query", kWorked, "GetDiskName", "x"},
         "inftool query: INDEX is not an unsigned 32-bit number: x"},
        {{"query", kWorked, "GetDiskName", "-1"}, "inftool query: INDEX is negative: -1"},
        {{"query", kWorked, "GetDiskName", "--", "-1"}, "inftool query: INDEX is negative: -1"},
        {{"query", kWorked, "GetDiskName", "-0"}, "inftool query: INDEX is negative: -0"},
        {{"query", kWorked, "GetDiskName", "-"},
         "inftool query: INDEX is not an unsigned 32-bit number: -"},
        {{"query", kWorked, "GetDiskName", "4294967296"},
         "inftool query: INDEX is not an unsigned 32-bit number: 4294967296"},
        {{"query", kWorked, "GetDiskName", "99999999999999999999"},
         "inftool query: INDEX is not an unsigned 32-bit number: 99999999999999999999"},
        {{"query", kWorked, "GetDiskName", ""},
         "inftool query: INDEX is not an unsigned 32-bit number: "},
        {{"query", kWorked, "GetDiskName", " 1"},
         "inftool query: INDEX is not an unsigned 32-bit number:  1"},
        {{"query", kWorked, "GetDiskName", "0", "TEXT", "extra"},
         "inftool query: unexpected argument extra"},
        {{"query", missing, "NoSuchCode"}, "inftool query: unknown query code NoSuchCode"},
        {{"check"}, "inftool check: missing argument FILE"},
        {{"check", kWorked, "--media"}, "inftool check: option --media needs a value (PATH)"},
        {{"check", kWorked, "--mediums=x"}, "inftool check: unknown option --mediums"},
        {{"check", kWorked, "--system-codepage", "437"},
         "inftool check: --system-codepage 437: not an ANSI code page of Windows (874, 932, 936, "
         "949, 950, 1250 to 1258)"},
        {{"dump", kWorked, "--system-codepage=x"},
         "inftool dump: --system-codepage x: not an ANSI code page of Windows (874, 932, 936, "
         "949, 950, 1250 to 1258)"},
        {{"build", kWorked, "--frm", "x"}, "inftool build: unknown option --frm"},
        {{"build", kWorked, "--from", "o", "--setup", "s", "--follow-on", "f"},
         "inftool build: missing option --out OUT"},
        {{"build", kWorked, "--force=yes"}, "inftool build: option --force takes no value"},
        {{"build", kWorked, "--from=", "--setup", "s", "--follow-on", "f", "--out", "o"},
         "inftool build: option --from is empty: it needs a value (DIR)"},
        {{"build", kWorked, "--from", "d", "--setup", "s", "--follow-on", "f", "--out="},
         "inftool build: option --out is empty: it needs a value (OUT)"},
        {{"compress", "a"}, "inftool compress: missing argument OUT"},
        {{"init", "originals"}, "inftool init: missing option --out FILE"},
        {{"init", "--out", "S.INF"}, "inftool init: missing argument DIR"},
        {{"init", "originals", "--out", "S.INF", "--disk-size=2M"},
         "inftool init: --disk-size 2M: not one of 160K, 180K, 320K, 360K, 720K, 1.2M, 1.44M, "
         "1.68M, 2.88M or a byte count"},
        {{"compress", "-x", "a", "b"}, "inftool compress: unknown option -x"},
        {{"import", "--out", "o"}, "inftool import: missing argument IMAGE|FOLDER"},
        {{"import", "d"}, "inftool import: missing option --out DIR"},
        {{"expand", "a", "b", "c"}, "inftool expand: unexpected argument c"},
        {{}, "inftool: missing command"},
        {{"nosuch"}, "inftool: unknown command nosuch"},
        {{"nosuch", "--help"}, "inftool: unknown command nosuch"},
        {{"--helps"}, "inftool: unknown option --helps"},
        {{"--help", "dump"}, "inftool --help: unexpected argument dump"},
        {{"--version", "extra"}, "inftool --version: unexpected argument extra"},
        {{"help", "nosuch"}, "inftool help: unknown command nosuch"},
        {{"help", "dump", "query"}, "inftool help: unexpected argument query"},
    };
    for (const Row& row : rows) {
        const ProgramRun run = RunInftool(row.args);
        SCOPED_TRACE(row.line);
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), row.line) << run.err;
        EXPECT_NE(run.err.find("\nusage: inftool "), std::string::npos) << run.err;
    }
}

TEST(Inftool, HelpGoesToStdoutAndExits0) {
    const ProgramRun all = RunInftool({"--help"});
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(all.err, "");
    EXPECT_EQ(RunInftool({"help"}).out, all.out);
    EXPECT_EQ(RunInftool({"-h"}).out, all.out);
    for (const char* command : {"init", "dump", "query", "check", "build", "compress", "expand"}) {
        SCOPED_TRACE(command);
        EXPECT_NE(all.out.find(std::string("\n  ") + command + " "), std::string::npos) << all.out;
        const ProgramRun one = RunInftool({command, "--help"});
        EXPECT_EQ(one.status, 0);
        EXPECT_EQ(one.err, "");
        EXPECT_EQ(one.out.rfind(std::string("usage: inftool ") + command + " ", 0), 0u) << one.out;
        EXPECT_NE(one.out.find("\n  -h, --help "), std::string::npos) << one.out;
        // Every way of asking gives the same help: -h, help COMMAND, and --help even after
        // what would be a wrong call, but not after "--".
        EXPECT_EQ(RunInftool({command, "-h"}).out, one.out);
        EXPECT_EQ(RunInftool({"help", command}).out, one.out);
        EXPECT_EQ(RunInftool({command, "--no-such-option", "--help"}).out, one.out);
        EXPECT_EQ(RunInftool({command, "--", "--help", "a", "b", "c", "d"}).status, kExitUsage);
        // A wrong call of the same command prints the same help, on stderr.
        const ProgramRun wrong = RunInftool({command, "--no-such-option", "a", "b", "c", "d"});
        EXPECT_EQ(wrong.status, kExitUsage);
        EXPECT_EQ(wrong.out, "");
        EXPECT_NE(wrong.err.find(one.out), std::string::npos) << wrong.err;
    }
}

// help query lists every code the installer's query knows, with its number.
TEST(Inftool, HelpQueryListsEveryCode) {
    const std::string help = RunInftool({"help", "query"}).out;
    for (uint32_t code = 0; code < InfQueryCodeCount; ++code) {
        const std::string entry = " " + std::to_string(code) + " " + InfQueryCodeName(code);
        EXPECT_NE(help.find(entry + ","), help.find(entry + "\n")) << entry << "\n" << help;
    }
}

TEST(Inftool, VersionIsTheInstallersVersionRecord) {
    const ProgramRun run = RunInftool({"--version"});
    EXPECT_EQ(run.status, 0);
    // The record's text form, "1, 0, 0, 1", with dots.
    std::string dotted = SETUP_VERSION_TEXT;
    for (size_t comma; (comma = dotted.find(", ")) != std::string::npos;)
        dotted.replace(comma, 2, ".");
    EXPECT_EQ(run.out, "inftool " + dotted + "\n");
    EXPECT_EQ(run.err, "");
}

// "-" reads the script from standard input, as the loader reads a file: its first 10,240
// bytes, the rest ignored.
TEST(Inftool, DashReadsTheScriptFromStandardInput) {
    const ProgramRun dump = RunProgram({INFTOOL_PATH, "dump", "-"}, {}, kWorked);
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out, kWorkedJson);
    const std::string oversize = kSamples + "/scripts/oversize.inf";
    EXPECT_EQ(RunProgram({INFTOOL_PATH, "dump", "-"}, {}, oversize).out,
              RunInftool({"dump", oversize}).out);
    const ProgramRun query = RunProgram({INFTOOL_PATH, "query", "-", "GetFileCount"}, {}, kWorked);
    EXPECT_EQ(query.out, "{\"result\": 3, \"buffer\": \"\"}\n");
}

TEST(Inftool, AStandardOutputThatCannotBeWrittenExits74) {
    const ProgramRun run =
        RunProgram({"sh", "-c", "exec \"$0\" dump \"$1\" >/dev/full", INFTOOL_PATH, kWorked});
    EXPECT_EQ(run.status, 74);
    EXPECT_EQ(run.err.rfind("inftool dump: cannot write standard output: ", 0), 0u) << run.err;
    // A command whose output is standard output says its failure once.
    for (const char* command :
         {"exec \"$0\" init \"$1/originals\" --out -", "exec \"$0\" compress \"$1/SETUP.INF\" -",
          "\"$0\" compress \"$1/SETUP.INF\" - | \"$0\" expand - -"}) {
        SCOPED_TRACE(command);
        const ProgramRun full =
            RunProgram({"sh", "-c", command + std::string(" >/dev/full"), INFTOOL_PATH, kSamples});
        EXPECT_EQ(full.status, 74);
        EXPECT_NE(full.err.find(": standard output: cannot write: No space left on device\n"),
                  std::string::npos)
            << full.err;
        EXPECT_EQ(std::count(full.err.begin(), full.err.end(), '\n'), 1) << full.err;
    }
}

// A script that cannot be opened, a folder or a block device is refused with the system's
// reason, on one line; a pipe is read as a file is.
TEST(Inftool, UnopenableFileExits2NamingIt) {
    struct Row {
        std::string path;
        std::string why;
    };
    std::vector<Row> rows = {{kSamples + "/scripts/no such file.inf", "No such file or directory"},
                             {kSamples + "/scripts", "Is a directory"}};
    for (const auto& entry : std::filesystem::directory_iterator("/dev")) {
        if (!entry.is_block_file()) continue;
        rows.push_back({entry.path().string(), "a block device, not a file"});
        break;
    }
    for (const Row& row : rows) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"dump", row.path},
              std::vector<std::string>{"query", row.path, "GetFileCount"},
              std::vector<std::string>{"check", row.path}}) {
            SCOPED_TRACE(args[0] + " " + row.path);
            const ProgramRun run = RunInftool(args);
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.out, "");
            const std::string opened = args[0] == "check" ? row.path + ": cannot read: "
                                                          : "cannot open " + row.path + ": ";
            EXPECT_EQ(run.err, "inftool " + args[0] + ": " + opened + row.why + "\n");
        }
    }
    const ProgramRun piped =
        RunProgram({"sh", "-c", "cat \"$1\" | \"$0\" dump /dev/stdin", INFTOOL_PATH, kWorked});
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, kWorkedJson);
}

TEST(Inftool, NoMemoryExits2) {
    std::string path = kWorked;
    char* dump_args[] = {path.data()};
    ScriptFailNextAlloc();
    EXPECT_EQ(RunCommand(kDumpCommand, 1, dump_args), 2);
    char code[] = "GetFileCount";
    char* query_args[] = {path.data(), code};
    ScriptFailNextAlloc();
    EXPECT_EQ(RunCommand(kQueryCommand, 2, query_args), 2);
}

// Each byte beyond ASCII is its Latin-1 character, or, with --system-codepage, the text as
// a Windows of that code page shows it: 83 5C 94 5C B1 are ソ能ｱ in 932 and ѓ\”\± in 1251; 81
// is a lead byte in 932 and Ѓ in 1251.
TEST(InftoolDump, SystemCodePageShowsTheTextInUtf8) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("inftool-dump-" + std::to_string(getpid()) + ".inf"))
                                 .string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("[Application]\r\nAppName = \x83\x5C\x94\x5C\xB1\x81\r\n[End]\r\n", file);
    std::fclose(file);
    struct Row {
        std::vector<std::string> options;
        std::string appName; // as JSON shows it, "\\" a backslash
    };
    const Row rows[] = {
        {{},
         R"(\u0083\\\u0094\\)"
         "\xC2\xB1"
         R"(\u0081)"},
        {{"--system-codepage", "932"}, "\xE3\x82\xBD\xE8\x83\xBD\xEF\xBD\xB1\xEF\xBF\xBD"},
        {{"--system-codepage", "1251"},
         "\xD1\x93"
         R"(\\)"
         "\xE2\x80\x9D"
         R"(\\)"
         "\xC2\xB1\xD0\x83"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"dump", path};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const ProgramRun run = RunInftool(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("\"AppName\": \"" + row.appName + "\",\n"), std::string::npos)
            << run.out;
    }
    std::remove(path.c_str());
}

TEST(Json, QueryEncodesScriptAndArgumentBytes) {
    const ProgramRun text = RunInftool({"query", kWorked, "FindFileDir", "0", "\x01\xe9\"\t\x7f"});
    EXPECT_EQ(text.out, "{\"result\": -1, \"buffer\": \"\\u0001\xc3\xa9\\\"\\t\\u007f\"}\n");
    const ProgramRun odd =
        RunInftool({"query", kSamples + "/scripts/odd.inf", "GetFileDestName", "1"});
    EXPECT_EQ(odd.out, "{\"result\": 0, \"buffer\": \"\xc3\xbf.TXT\"}\n");
    const ProgramRun title =
        RunInftool({"query", kSamples + "/scripts/odd.inf", "GetPmItemTitle", "0"});
    EXPECT_EQ(title.out, R"({"result": 0, "buffer": "\"quoted\\title\""})"
                         "\n");
}

} // namespace
