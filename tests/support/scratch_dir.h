#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

// A folder of the running test's own under the system's temporary folder, named so that
// tests run at once by CTest never share one.
inline std::filesystem::path ScratchDir(const std::string& prefix) {
    const ::testing::UnitTest* unit = ::testing::UnitTest::GetInstance();
    // The seed is 0 unless the tests are shuffled, and two suites may have a test of one name:
    // the process tells them apart, and the builds of other checkouts that test at once.
    return std::filesystem::temp_directory_path() /
           (prefix + std::to_string(getpid()) + "-" + unit->current_test_info()->test_suite_name() +
            "." + unit->current_test_info()->name());
}

// Writes bytes as the file name (a relative path) below dir, making the folders it needs;
// returns its path.
inline std::string WriteBelow(const std::filesystem::path& dir, const std::string& name,
                              const std::string& bytes) {
    const std::filesystem::path path = dir / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}
