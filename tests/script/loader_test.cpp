#include "script_platform.h"
#include "script_test_support.h"

#include <utility>

using namespace script_test;

namespace {

const Catalogue& C() {
    return g_Catalogue;
}

int32_t Load(const std::string& path) {
    return InfQuery(LoadScript, 0, const_cast<char*>(path.c_str()));
}

// A whole-catalogue snapshot, to prove a failed load changes nothing at all.
std::vector<unsigned char> Snapshot() {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&g_Catalogue);
    return std::vector<unsigned char>(bytes, bytes + sizeof g_Catalogue);
}

// Comment lines padded so that the text is exactly `size` bytes, ending in `last`.
std::string PaddedTo(size_t size, const std::string& last) {
    std::string text = "[Application]\r\n";
    while (text.size() + last.size() < size) {
        const size_t room = size - text.size() - last.size();
        const size_t line = room > 80 ? 80 : room;
        text += line >= 3 ? ";" + Repeat('-', line - 3) + "\r\n" : Repeat(' ', line);
    }
    return text + last;
}

TEST(Loader, LoadsTheSampleThroughEitherEntry) {
    const std::string path = SamplePath("worked.inf");
    ASSERT_EQ(LoadSetupScript(path.c_str()), 0);
    const std::vector<unsigned char> direct = Snapshot();
    ParseText("");
    // Only the low 16 bits of the index count, and LoadScript uses none of them.
    ASSERT_EQ(InfQuery(LoadScript, 0xFFFF1234u, const_cast<char*>(path.c_str())), 0);
    EXPECT_EQ(Snapshot(), direct);
    EXPECT_STREQ(C().App.AppName, "Scanner Utilities");
}

TEST(Loader, FailedLoadsLeaveTheCatalogueAsItWas) {
    const std::string worked = SamplePath("worked.inf");
    const std::string missing = testing::TempDir() + "no_such_dir/SETUP.INF";
    ASSERT_EQ(Load(worked), 0);
    const std::vector<unsigned char> before = Snapshot();

    EXPECT_EQ(Load(missing), 2);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Load(""), 2);
    EXPECT_EQ(Snapshot(), before);

    // Memory is asked for before the file is opened, so it is reported even for a missing file.
    ScriptFailNextAlloc();
    EXPECT_EQ(Load(SamplePath("full.inf")), 1);
    EXPECT_EQ(Snapshot(), before);
    ScriptFailNextAlloc();
    EXPECT_EQ(Load(missing), 1);
    EXPECT_EQ(Snapshot(), before);

    // The failure is one-shot: the next load works.
    EXPECT_EQ(Load(SamplePath("full.inf")), 0);
    EXPECT_NE(Snapshot(), before);
}

TEST(Loader, DirectoryOpensButReadsAsAnEmptyText) {
    ASSERT_EQ(Load(SamplePath("worked.inf")), 0);
    EXPECT_EQ(Load(testing::TempDir()), 0);
    EXPECT_EQ(C().FileCount, 0);
    EXPECT_EQ(C().DiskCount, 0);
    EXPECT_STREQ(C().App.AppName, "");
}

TEST(Loader, ReadsAtMostTheFirst10240Bytes) {
    const std::string app = "AppName = Edge\r\n";
    const std::string exact = PaddedTo(kScriptReadSize, app);
    ASSERT_EQ(exact.size(), kScriptReadSize);
    const std::string last_cr = PaddedTo(kScriptReadSize, "AppName = Cr\r");
    const std::string straddle = PaddedTo(kScriptReadSize + 5, "DfltDir = cut\r\n");
    struct Row {
        std::string bytes;
        const char* app_name;
        const char* dflt_dir;
    };
    const Row rows[] = {
        {exact, "Edge", ""},
        {exact + "DfltDir = beyond\r\n", "Edge", ""},
        {last_cr, "Cr", ""},
        {last_cr + "\nDfltDir = beyond\r\n", "Cr", ""},
        {straddle, "", ""},
        {PaddedTo(kScriptReadSize - 1, app), "Edge", ""},
        {exact + Repeat('\r', 100000), "Edge", ""},
    };
    for (const Row& row : rows) {
        TempScript file(row.bytes);
        SCOPED_TRACE(row.bytes.size());
        ASSERT_EQ(Load(file.path), 0);
        EXPECT_STREQ(C().App.AppName, row.app_name);
        EXPECT_STREQ(C().App.DfltDir, row.dflt_dir);
    }
}

TEST(Loader, BadFilesLoadToADefinedCatalogue) {
    std::string garbage;
    uint32_t seed = 99;
    for (int i = 0; i < 30000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        garbage += static_cast<char>(seed >> 24);
    }
    const std::string nuls(5000, '\0');
    const std::string huge_line = "[Files]\r\n" + Repeat('x', 20000) + ",S,D,1,1,Y\r\n";
    const std::string crs(12000, '\r');
    for (const std::string* bytes : {&std::as_const(garbage), &nuls, &crs, &huge_line}) {
        TempScript file(*bytes);
        EXPECT_EQ(Load(file.path), 0);
        EXPECT_LE(C().FileCount, kMaxFiles);
        EXPECT_LE(C().DiskCount, kMaxDisks);
    }
    // The huge line's CR lies beyond the bytes read: nothing after the header is stored.
    EXPECT_EQ(C().FileCount, 0);
}

TEST(Loader, SecondLoadReplacesValuesAndCounts) {
    ASSERT_EQ(Load(SamplePath("capacity.inf")), 0);
    ASSERT_EQ(C().FileCount, kMaxFiles);
    ASSERT_EQ(Load(SamplePath("worked.inf")), 0);
    EXPECT_EQ(C().FileCount, 3);
    EXPECT_EQ(C().DiskCount, 2);
    EXPECT_EQ(C().DirCount, 2);
    EXPECT_EQ(C().PmItemCount, 2);
    EXPECT_STREQ(C().Files[0].Description, "Scanner driver");
    EXPECT_EQ(Ask(GetFileDescription, 3, kDescriptionWidth).text, "");
    EXPECT_EQ(Ask(FindFileDir, 0, 0, "D4.TXT").result, -1);
}

TEST(Loader, OtherSamplesLoad) {
    ASSERT_EQ(Load(SamplePath("full.inf")), 0);
    EXPECT_STREQ(C().App.AppName, "Media \x01Tools\x7f; not a comment");
    EXPECT_EQ(C().App.MinHDSpace, 4464);
    EXPECT_STREQ(C().App.GroupTitle, "Tools, Extra");
    EXPECT_EQ(C().DiskCount, 3);
    EXPECT_EQ(C().DirCount, 3);
    EXPECT_EQ(C().FileCount, 5);
    EXPECT_EQ(C().PmItemCount, 3);
    EXPECT_EQ(Ask(FindDir, 2, 0).result, 2);
    EXPECT_EQ(Ask(FindFileDir, 0, 0, "B.TXT").result, -1);

    ASSERT_EQ(Load(SamplePath("odd.inf")), 0);
    EXPECT_STREQ(C().App.GroupFile, "LONELY.GRP");
    EXPECT_STREQ(C().App.GroupTitle, "");
    EXPECT_EQ(C().DiskCount, 1);
    EXPECT_EQ(C().FileCount, 2);
    EXPECT_EQ(C().PmItemCount, 1);
    EXPECT_EQ(C().PmItems[0].ItemNumber, 65535);

    ASSERT_EQ(Load(SamplePath("lf_only.inf")), 0);
    EXPECT_EQ(C().FileCount, 0);
}

} // namespace
