#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tqcore/sysinfo.h"

namespace {

TEST(ModulePathsTest, NameFolderAndPathOfTheExecutableAgree) {
    const std::string path = MSWinGetModuleLongPath(nullptr);
    const std::string name = MSWinGetModuleLongFileName(nullptr);
    const std::string folder = MSWinGetModuleLongLocation(nullptr);
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(name.rfind("tqcore_sysinfo_tests", 0), 0u) << name;
    ASSERT_GT(path.size(), folder.size() + 1);
    EXPECT_EQ(path.substr(0, folder.size()), folder);
    EXPECT_TRUE(path[folder.size()] == '/' || path[folder.size()] == '\\');
    EXPECT_EQ(path.substr(folder.size() + 1), name);

    char buffer[kModulePathBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(MSWinGetModulePath(nullptr, buffer), int32(path.size()));
    if (path.size() < sizeof buffer) {
        EXPECT_EQ(std::string(buffer), path);
    }
    EXPECT_EQ(MSWinGetModuleFileName(nullptr, buffer), int32(name.size()));
    EXPECT_EQ(std::string(buffer), name);
    EXPECT_EQ(MSWinGetModuleLocation(nullptr, nullptr), int32(folder.size()));
}

TEST(ModulePathsTest, ModificationDateText) {
    char date[32];
    MSWinGetModuleModDate(nullptr, date);
    int month = 0, day = 0, year = 0, hour = -1, minute = -1;
    char zone[4] = {};
    ASSERT_EQ(std::sscanf(date, "%2d/%2d/%4d %2d:%2d %3s", &month, &day, &year, &hour, &minute, zone), 6)
        << date;
    EXPECT_EQ(std::strlen(date), 20u) << date;
    EXPECT_STREQ(zone, "GMT");
    EXPECT_GE(year, 2024);
    EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour <= 23 && minute <= 59) << date;
    MSWinGetModuleModDate(nullptr, nullptr);
}

}  // namespace
