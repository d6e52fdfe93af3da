#include "formats/szdd.h"

#include "run_inftool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

// Word salad: compresses like ordinary text.
Bytes TextBytes(size_t n, uint32_t seed) {
    static const char* const kWords[] = {"the ",    "setup ", "file ",     "copy ",   "disk ",
                                         "WINDOWS", "\r\n",   "TWAIN_32 ", "expand ", "of "};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < n) {
        const char* word = kWords[rng() % std::size(kWords)];
        out.insert(out.end(), word, word + std::char_traits<char>::length(word));
    }
    out.resize(n);
    return out;
}

Bytes PatternBytes(size_t n, size_t period) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>('a' + i % period);
    return out;
}

Bytes Header(uint32_t length, uint8_t mode = kSzddModeA, uint8_t lastChar = 0) {
    Bytes out(std::begin(kSzddMagic), std::end(kSzddMagic));
    out.push_back(mode);
    out.push_back(lastChar);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(length >> shift));
    return out;
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Compress(const Bytes& in, char lastChar = 0) {
    Bytes out;
    EXPECT_TRUE(SzddCompress(in.data(), in.size(), lastChar, out));
    return out;
}

void ExpectRoundTrip(const Bytes& in) {
    const Bytes packed = Compress(in);
    // Never worse than all literals: one control byte per eight input bytes.
    EXPECT_LE(packed.size(), kSzddHeaderSize + in.size() + (in.size() + 7) / 8);
    Bytes back;
    ASSERT_EQ(SzddExpand(packed.data(), packed.size(), back), SzddStatus::Ok);
    ASSERT_EQ(back.size(), in.size());
    EXPECT_TRUE(back == in);
}

TEST(SzddRoundTrip, AssortedInputs) {
    const struct {
        const char* name;
        Bytes data;
    } cases[] = {
        {"empty", {}},
        {"one byte", {0x41}},
        {"one space", {0x20}},
        {"two bytes", {0x00, 0xFF}},
        {"leading spaces", Concat(Bytes(5000, ' '), TextBytes(300, 1))},
        {"zeros", Bytes(100000, 0)},
        {"period 19, then a run", Concat(PatternBytes(7000, 19), PatternBytes(7000, 1))},
        {"period 4096", Concat(RandomBytes(4096, 2), RandomBytes(4096, 2))},
        {"period 4097", Concat(RandomBytes(4097, 3), RandomBytes(4097, 3))},
        {"random", RandomBytes(10000, 4)},
        {"text", TextBytes(50000, 5)},
        {"random 1 MiB", RandomBytes(1 << 20, 6)},
        {"text 1 MiB", TextBytes(1 << 20, 7)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRoundTrip(c.data);
    }
}

TEST(SzddRoundTrip, EveryLengthAroundTheWindow) {
    const Bytes random = RandomBytes(8200, 8);
    const Bytes text = TextBytes(8200, 9);
    const Bytes pattern = PatternBytes(8200, 37);
    for (const auto& range : {std::pair<size_t, size_t>{4080, 4112}, {8170, 8200}}) {
        for (size_t n = range.first; n <= range.second; ++n) {
            SCOPED_TRACE(n);
            for (const Bytes* source : {&random, &text, &pattern}) {
                ExpectRoundTrip(Bytes(source->begin(), source->begin() + n));
            }
        }
    }
}

TEST(SzddCompress, HeaderFields) {
    const Bytes in = TextBytes(70000, 10);
    const Bytes packed = Compress(in, 'L');
    ASSERT_GE(packed.size(), kSzddHeaderSize);
    EXPECT_TRUE(std::equal(std::begin(kSzddMagic), std::end(kSzddMagic), packed.begin()));
    SzddHeader header = {};
    ASSERT_EQ(SzddReadHeader(packed.data(), packed.size(), header), SzddStatus::Ok);
    EXPECT_EQ(header.mode, 'A');
    EXPECT_EQ(header.lastNameChar, 'L');
    EXPECT_EQ(header.expandedLength, 70000u);
    EXPECT_EQ(packed[10], 0x70); // 70000 = 0x00011170, little-endian
    EXPECT_EQ(packed[11], 0x11);
    EXPECT_EQ(packed[12], 0x01);
    EXPECT_EQ(packed[13], 0x00);
}

TEST(SzddCompress, ExactEncodings) {
    const struct {
        const char* name;
        Bytes in;
        Bytes stream;
    } cases[] = {
        {"empty has no stream", {}, {}},
        {"literal", {'x'}, {0x01, 'x'}},
        // Eighteen spaces come straight from the space-filled ring.
        {"spaces from the ring", Bytes(18, ' '), {0x00, 0xEF, 0xFF}},
        // 'a' then a match one back, overlapping its own output.
        {"overlapping run", Bytes(19, 'a'), {0x01, 'a', 0xF0, 0xFF}},
        {"nine literals open a second group",
         {'1', '2', '3', '4', '5', '6', '7', '8', '9'},
         {0xFF, '1', '2', '3', '4', '5', '6', '7', '8', 0x01, '9'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes packed = Compress(c.in);
        EXPECT_EQ(Bytes(packed.begin() + kSzddHeaderSize, packed.end()), c.stream);
    }
}

TEST(SzddCompress, CompressesRedundantData) {
    EXPECT_LT(Compress(Bytes(100000, 0)).size(), 100000u / 8);
    EXPECT_LT(Compress(TextBytes(100000, 11)).size(), 100000u / 2);
}

TEST(SzddCompress, RefusesInputAboveTheLimit) {
    const uint8_t byte = 0;
    Bytes out = {1, 2, 3};
    EXPECT_FALSE(SzddCompress(&byte, size_t{kSzddMaxExpanded} + 1, 0, out));
    EXPECT_TRUE(out.empty());
}

TEST(SzddLastNameChar, FromTheBasename) {
    const struct {
        const char* path;
        char expected;
    } cases[] = {
        {"SCAN.DLL", 'L'},
        {"dir/readme.txt", 't'},
        {"C:\\WIN\\TWAIN.DS", 'S'},
        {"a.b/noext", 0},
        {"README", 0},
        {"FOO.", 0},
        {".profile", 0},
        {"", 0},
        {"x.c", 'c'},
        {"archive.tar.gz", 'z'},
        {"dir/", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(SzddLastNameChar(c.path), c.expected);
    }
}

TEST(SzddExpand, RingBufferDetails) {
    Bytes twenty;
    for (int i = 0; i < 20; ++i)
        twenty.push_back(static_cast<uint8_t>('A' + i));
    const struct {
        const char* name;
        Bytes file;
        std::string expected;
    } cases[] = {
        {"match across the ring's end",
         Concat(Header(24), {0xFF, 'A', 'B', 'C', 'D', 'E',  'F', 'G', 'H', 0xFF, 'I',  'J', 'K',
                             'L',  'M', 'N', 'O', 'P', 0x0F, 'Q', 'R', 'S', 'T',  0xFE, 0xF1}),
         "ABCDEFGHIJKLMNOPQRSTOPQR"},
        {"initial ring is spaces", Concat(Header(5), {0x00, 0x00, 0x02}), "     "},
        {"overlapping copy repeats", Concat(Header(6), {0x03, 'x', 'y', 0xF0, 0xF1}), "xyxyxy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out;
        ASSERT_EQ(SzddExpand(c.file.data(), c.file.size(), out), SzddStatus::Ok);
        EXPECT_EQ(std::string(out.begin(), out.end()), c.expected);
    }
}

TEST(SzddExpand, RejectsBadInput) {
    const Bytes magic(std::begin(kSzddMagic), std::end(kSzddMagic));
    const struct {
        const char* name;
        Bytes file;
        SzddStatus expected;
    } cases[] = {
        {"empty", {}, SzddStatus::HeaderTooShort},
        {"part of the signature", Bytes(magic.begin(), magic.begin() + 5),
         SzddStatus::HeaderTooShort},
        {"13 header bytes", Concat(magic, {kSzddModeA, 0, 0, 0, 0}), SzddStatus::HeaderTooShort},
        {"executable",
         {'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF, 0},
         SzddStatus::NotSzdd},
        {"other signature",
         Concat({'K', 'W', 'A', 'J', 0x88, 0xF0, 0x27, 0xD1}, {0, 0, 0, 0, 0, 0}),
         SzddStatus::NotSzdd},
        {"short and wrong", {'S', 'Z', 'D', 'X'}, SzddStatus::NotSzdd},
        {"mode B", Header(0, 'B'), SzddStatus::UnknownMode},
        {"mode 0", Concat(Header(1, 0), {0x01, 'a'}), SzddStatus::UnknownMode},
        {"declared 4 GiB", Concat(Header(0xFFFFFFFF), {0x00, 0x00, 0x0F}), SzddStatus::TooLarge},
        {"declared above limit", Header(kSzddMaxExpanded + 1), SzddStatus::TooLarge},
        {"declared but no stream", Header(1), SzddStatus::Truncated},
        {"fewer literals than declared", Concat(Header(5), {0xFF, 'a', 'b', 'c'}),
         SzddStatus::Truncated},
        {"control byte and nothing else", Concat(Header(3), {0xFF}), SzddStatus::Truncated},
        {"more than the stream could make", Concat(Header(19), {0x00, 0x00, 0x0F}),
         SzddStatus::Truncated},
        {"match cut after one byte", Concat(Header(10), {0x00, 0x00}), SzddStatus::CutMatch},
        {"match cut after literals", Concat(Header(10), {0x03, 'a', 'b', 0x12}),
         SzddStatus::CutMatch},
        {"stream on an empty file", Concat(Header(0), {0x01, 0x00}), SzddStatus::ExtraData},
        {"one literal too many", Concat(Header(3), {0xFF, 'a', 'b', 'c', 'd'}),
         SzddStatus::ExtraData},
        {"match runs past the length", Concat(Header(4), {0xFC, 'a', 'b', 0x00, 0x00}),
         SzddStatus::ExtraData},
        {"control byte and an item after the end",
         Concat(Header(3), {0x07, 'a', 'b', 'c', 0x01, 'd'}), SzddStatus::ExtraData},
        {"item after the length inside the last group",
         Concat(Header(3), {0x07, 'a', 'b', 'c', 0x00}), SzddStatus::ExtraData},
        {"lone control byte after a full group",
         Concat(Header(8), {0xFF, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x00}), SzddStatus::Ok},
        {"lone control byte on an empty file", Concat(Header(0), {0x01}), SzddStatus::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out = {9, 9, 9};
        EXPECT_EQ(SzddExpand(c.file.data(), c.file.size(), out), c.expected);
        SzddHeader header = {};
        if (SzddReadHeader(c.file.data(), c.file.size(), header) == SzddStatus::Ok) {
            EXPECT_LE(out.size(), header.expandedLength);
        } else {
            EXPECT_TRUE(out.empty());
        }
    }
}

TEST(SzddExpand, EveryTruncationFailsAndKeepsAPrefix) {
    const Bytes in = TextBytes(3000, 12);
    const Bytes packed = Compress(in);
    for (size_t cut = 0; cut < packed.size(); ++cut) {
        SCOPED_TRACE(cut);
        Bytes out;
        const SzddStatus status = SzddExpand(packed.data(), cut, out);
        EXPECT_TRUE(status == SzddStatus::HeaderTooShort || status == SzddStatus::Truncated ||
                    status == SzddStatus::CutMatch)
            << SzddStatusText(status);
        ASSERT_LE(out.size(), in.size());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), in.begin()));
    }
    for (uint8_t extra : {uint8_t{0x00}, uint8_t{0x01}, uint8_t{0xFF}}) {
        Bytes longer = Concat(packed, {extra});
        Bytes out;
        EXPECT_EQ(SzddExpand(longer.data(), longer.size(), out), SzddStatus::ExtraData);
    }
}

// The densest stream of m bytes: groups of matches of 18 spaces, a final odd byte a literal.
Bytes DensestStream(size_t m) {
    Bytes stream;
    while (stream.size() < m) {
        const size_t control = stream.size();
        stream.push_back(0);
        for (unsigned item = 0; item < 8 && stream.size() < m; ++item) {
            if (m - stream.size() >= 2) {
                stream.insert(stream.end(), {0x00, 0x0F});
            } else {
                stream[control] = static_cast<uint8_t>(stream[control] | (1u << item));
                stream.push_back(' ');
            }
        }
    }
    return stream;
}

TEST(SzddExpand, LargestExpansionIsExact) {
    for (size_t m : {0u, 2u, 3u, 16u, 17u, 19u, 20u, 33u, 34u, 1000u}) {
        SCOPED_TRACE(m);
        const Bytes stream = DensestStream(m);
        const uint32_t most = static_cast<uint32_t>(SzddMaxExpansion(m));
        Bytes out;
        const Bytes exact = Concat(Header(most), stream);
        ASSERT_EQ(SzddExpand(exact.data(), exact.size(), out), SzddStatus::Ok);
        EXPECT_EQ(out, Bytes(most, ' '));
        const Bytes beyond = Concat(Header(most + 1), stream);
        EXPECT_EQ(SzddExpand(beyond.data(), beyond.size(), out), SzddStatus::Truncated);
    }
}

TEST(SzddStatusText, DistinctForEveryStatus) {
    const SzddStatus all[] = {SzddStatus::Ok,       SzddStatus::HeaderTooShort,
                              SzddStatus::NotSzdd,  SzddStatus::UnknownMode,
                              SzddStatus::TooLarge, SzddStatus::Truncated,
                              SzddStatus::CutMatch, SzddStatus::ExtraData};
    std::vector<std::string> seen;
    for (SzddStatus status : all) {
        const std::string text = SzddStatusText(status);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(std::find(seen.begin(), seen.end(), text), seen.end()) << text;
        seen.push_back(text);
    }
}

// The command line, run as a separate process in a scratch directory.
class SzddCli : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               (std::string("szdd_cli_") + info->name() + "_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Each runs in the scratch directory and returns the exit code; the output is kept.
    int Inftool(std::vector<std::string> args) {
        last_ = RunInftool(std::move(args), dir_.string());
        return last_.status;
    }
    int Debian(std::vector<std::string> args, const std::string& in = {}) {
        last_ = RunProgram(std::move(args), dir_.string(), in);
        return last_.status;
    }
    Bytes Stdout() const { return Bytes(last_.out.begin(), last_.out.end()); }
    const std::string& Stderr() const { return last_.err; }
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    static Bytes ReadFile(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    static void WriteFile(const fs::path& path, const Bytes& data) {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
    }

    fs::path dir_;
    ProgramRun last_{-1, {}, {}};
};

// A real executable: the tool itself, cut to a few hundred KiB.
Bytes CliProgramBytes() {
    std::ifstream file(INFTOOL_PATH, std::ios::binary);
    Bytes data(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>{});
    if (data.size() > 400000) data.resize(400000);
    return data;
}

bool HaveTool(const char* name) {
    return RunProgram({"sh", "-c", "command -v \"$1\"", "sh", name}).status == 0;
}

// Inputs for the command line and the cross-checks.
std::vector<std::pair<std::string, Bytes>> SampleInputs() {
    return {
        {"one.txt", {'x'}},
        {"text.txt", TextBytes(40000, 20)},
        {"spaces.txt", Concat(Bytes(4200, ' '), TextBytes(4200, 21))},
        {"zeros.bin", Bytes(70000, 0)},
        {"random.bin", RandomBytes(30000, 22)},
        {"period.bin", Concat(RandomBytes(4096, 23), RandomBytes(4096, 23))},
        {"program.exe", CliProgramBytes()},
    };
}

TEST_F(SzddCli, CompressThenExpand) {
    const Bytes in = TextBytes(20000, 30);
    WriteFile(Path("SCAN.DLL"), in);
    ASSERT_EQ(Inftool({"compress", "SCAN.DLL", "SCAN.DL_"}), 0) << Stderr();
    const Bytes packed = ReadFile(Path("SCAN.DL_"));
    ASSERT_GE(packed.size(), kSzddHeaderSize);
    EXPECT_EQ(packed[9], 'L');
    EXPECT_EQ(packed[10] | (packed[11] << 8) | (packed[12] << 16) | (packed[13] << 24), 20000);
    ASSERT_EQ(Inftool({"expand", "SCAN.DL_", "back.dll"}), 0) << Stderr();
    EXPECT_TRUE(ReadFile(Path("back.dll")) == in);
    EXPECT_EQ(Listing(), (std::vector<std::string>{"SCAN.DLL", "SCAN.DL_", "back.dll"}));
}

TEST_F(SzddCli, SuccessReplacesAnExistingOutput) {
    WriteFile(Path("in"), Bytes(5000, 'q'));
    WriteFile(Path("out"), TextBytes(90000, 31));
    ASSERT_EQ(Inftool({"compress", "in", "out"}), 0) << Stderr();
    EXPECT_EQ(ReadFile(Path("out"))[9], 0); // no extension, no kept character
    // Its own input it does not replace.
    const std::vector<uint8_t> packed = ReadFile(Path("out"));
    EXPECT_EQ(Inftool({"expand", "out", "out"}), 2);
    EXPECT_EQ(ReadFile(Path("out")), packed);
    ASSERT_EQ(Inftool({"expand", "out", "in"}), 0) << Stderr();
    EXPECT_EQ(ReadFile(Path("in")), Bytes(5000, 'q'));
    EXPECT_EQ(Listing(), (std::vector<std::string>{"in", "out"}));
}

TEST_F(SzddCli, UsageErrors) {
    WriteFile(Path("a"), {'a'});
    const std::vector<std::string> cases[] = {
        {"compress"}, {"compress", "a"}, {"compress", "a", "b", "c"},
        {"expand"},   {"expand", "a"},   {"expand", "a", "b", "c"},
    };
    for (const std::vector<std::string>& args : cases) {
        SCOPED_TRACE(args[0] + " with " + std::to_string(args.size() - 1) + " arguments");
        EXPECT_EQ(Inftool(args), 64);
        EXPECT_NE(Stderr().find("usage"), std::string::npos) << Stderr();
    }
    EXPECT_EQ(Listing(), std::vector<std::string>{"a"});
}

TEST_F(SzddCli, UnreadableInput) {
    fs::create_directory(dir_ / "folder");
    for (const char* command : {"compress", "expand"}) {
        for (const char* in : {"missing", "folder"}) {
            SCOPED_TRACE(std::string(command) + " " + in);
            EXPECT_EQ(Inftool({command, in, "out"}), 2);
            EXPECT_NE(Stderr().find(in), std::string::npos) << Stderr();
            EXPECT_EQ(Listing(), std::vector<std::string>{"folder"});
        }
    }
}

TEST_F(SzddCli, UnwritableOutputLeavesNothing) {
    WriteFile(Path("in"), Bytes(100, 'z'));
    EXPECT_EQ(Inftool({"compress", "in", "no/such/dir/out"}), 2);
    EXPECT_NE(Stderr().find("no/such/dir/out"), std::string::npos) << Stderr();
    EXPECT_EQ(Listing(), std::vector<std::string>{"in"});
}

TEST_F(SzddCli, DamagedInputLeavesOutputAlone) {
    const Bytes good = Compress(TextBytes(9000, 32));
    const struct {
        const char* name;
        Bytes file;
    } cases[] = {
        {"truncated", Bytes(good.begin(), good.end() - 40)},
        {"cut match", Concat(Header(10), {0x00, 0x00})},
        {"extra data", Concat(good, {0x00})},
        {"short header", Bytes(good.begin(), good.begin() + 9)},
        {"not szdd", TextBytes(300, 33)},
        {"unknown mode", Concat(Header(1, 'Q'), {0x01, 'a'})},
        {"too large", Header(0xFFFFFFF0)},
    };
    const Bytes keep = TextBytes(1234, 34);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool outExists : {false, true}) {
            WriteFile(Path("bad.dl_"), c.file);
            fs::remove(Path("out.dll"));
            if (outExists) WriteFile(Path("out.dll"), keep);
            EXPECT_EQ(Inftool({"expand", "bad.dl_", "out.dll"}), 2);
            const std::string err = Stderr();
            EXPECT_NE(err.find("bad.dl_: "), std::string::npos) << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
            Bytes out;
            const std::string reason =
                SzddStatusText(SzddExpand(c.file.data(), c.file.size(), out));
            EXPECT_NE(err.find(reason), std::string::npos) << err;
            if (outExists) {
                EXPECT_EQ(ReadFile(Path("out.dll")), keep);
                EXPECT_EQ(Listing(), (std::vector<std::string>{"bad.dl_", "out.dll"}));
            } else {
                EXPECT_EQ(Listing(), std::vector<std::string>{"bad.dl_"});
            }
        }
    }
}

// "-" is standard input for IN and standard output for OUT, in binary.
TEST_F(SzddCli, DashIsStandardInputOrOutput) {
    const Bytes in = Concat(TextBytes(20000, 35), {'\r', '\n', 0x1A, 0});
    WriteFile(Path("SCAN.DLL"), in);
    ASSERT_EQ(Inftool({"compress", "SCAN.DLL", "file.DL_"}), 0) << Stderr();
    Bytes nameless = ReadFile(Path("file.DL_"));
    nameless[9] = 0; // from standard input there is no name to keep a character of

    ASSERT_EQ(Debian({INFTOOL_PATH, "compress", "-", "-"}, "SCAN.DLL"), 0) << Stderr();
    EXPECT_TRUE(Stdout() == nameless);
    ASSERT_EQ(Debian({INFTOOL_PATH, "compress", "-", "in.DL_"}, "SCAN.DLL"), 0) << Stderr();
    EXPECT_TRUE(ReadFile(Path("in.DL_")) == nameless);
    ASSERT_EQ(Debian({INFTOOL_PATH, "expand", "-", "-"}, "file.DL_"), 0) << Stderr();
    EXPECT_TRUE(Stdout() == in);
    ASSERT_EQ(Inftool({"expand", "file.DL_", "-"}), 0) << Stderr();
    EXPECT_TRUE(Stdout() == in);
    ASSERT_EQ(Debian({INFTOOL_PATH, "expand", "-", "back.dll"}, "in.DL_"), 0) << Stderr();
    EXPECT_TRUE(ReadFile(Path("back.dll")) == in);
    // A file named "-" is reached through a path.
    WriteFile(Path("-"), {'x'});
    ASSERT_EQ(Inftool({"compress", "./-", "dash.sz"}), 0) << Stderr();
    ASSERT_EQ(Inftool({"expand", "--", "dash.sz", "-"}), 0) << Stderr();
    EXPECT_EQ(Stdout(), Bytes{'x'});
}

// Files we write must expand byte for byte with the Debian tools, and the other way round;
// ours must also be no larger.
TEST_F(SzddCli, DebianMsexpandReadsOurFiles) {
    if (!HaveTool("msexpand")) GTEST_SKIP() << "msexpand not installed (Debian package mscompress)";
    for (const auto& [name, data] : SampleInputs()) {
        SCOPED_TRACE(name);
        WriteFile(Path(name), data);
        ASSERT_EQ(Inftool({"compress", name, "ours.sz"}), 0) << Stderr();
        ASSERT_EQ(Debian({"msexpand"}, "ours.sz"), 0) << Stderr();
        EXPECT_TRUE(Stdout() == data);
    }
}

TEST_F(SzddCli, WeExpandDebianMscompressFiles) {
    if (!HaveTool("mscompress"))
        GTEST_SKIP() << "mscompress not installed (Debian package mscompress)";
    for (const auto& [name, data] : SampleInputs()) {
        SCOPED_TRACE(name);
        if (data.size() < 16) continue; // Debian's mscompress garbles inputs under 16 bytes
        WriteFile(Path(name), data);
        ASSERT_EQ(Debian({"mscompress", name}), 0) << Stderr();
        ASSERT_EQ(Inftool({"expand", name + "_", "back"}), 0) << Stderr();
        EXPECT_TRUE(ReadFile(Path("back")) == data);
        ASSERT_EQ(Inftool({"compress", name, "ours.sz"}), 0) << Stderr();
        EXPECT_LE(fs::file_size(Path("ours.sz")), fs::file_size(Path(name + "_")));
    }
}

} // namespace
