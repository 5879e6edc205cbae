#include <gtest/gtest.h>

#include <string>

#include "platform/DynamicLibrary.h"
#include "platform/ModulePath.h"

namespace {

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

TEST(ModulePathTest, ExecutableAndLibraryPathsNameThisProgram) {
    const std::string exe = tq::platform::ModuleFilePath(nullptr);
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(BaseName(exe).rfind("tqcore_platform_internal_tests", 0), 0u) << exe;
    EXPECT_NE(exe.find_first_of("/\\"), std::string::npos) << "not a full path: " << exe;
    // The tests link the library's objects statically: its code lives in this program.
    EXPECT_EQ(tq::platform::LibraryPath(), exe);
}

TEST(DynamicLibraryTest, MissingOrEmptyNamesLoadNothing) {
    EXPECT_EQ(tq::platform::LoadLibraryByName(nullptr), nullptr);
    EXPECT_EQ(tq::platform::LoadLibraryByName(""), nullptr);
    EXPECT_EQ(tq::platform::LoadLibraryByName("tqcore-no-such-library-4711.dll"), nullptr);
}

}  // namespace
