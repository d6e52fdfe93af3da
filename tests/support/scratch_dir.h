#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// A folder of the running test's own under the system's temporary folder, named so that
// tests run at once by CTest never share one.
inline std::filesystem::path ScratchDir(const std::string& prefix) {
    const ::testing::UnitTest* unit = ::testing::UnitTest::GetInstance();
    return std::filesystem::temp_directory_path() /
           (prefix + std::to_string(unit->random_seed()) + "-" +
            unit->current_test_info()->name());
}
