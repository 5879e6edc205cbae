#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/Platform.h"
#include "support/ScopedEnv.h"
#include "support/ScratchFolder.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace {

namespace fs = std::filesystem;
using tq::test::NativePath;
using tq::test::ScopedEnv;

using tq::test::kWindows;

TEST(SystemDirs, EveryTypeIsAnAbsolutePathWithAName) {
    for (SystemDirType t = kUserHomeDir; t <= kPublicCacheDir; ++t) {
        const PathRef p = SystemDirs::Get(t, false);
        EXPECT_TRUE(p.StartsWith(kBaseAbsolute) || p.StartsWith(kBaseUNC)) << t;
        ASSERT_NE(SystemDirs::TypeName(t), nullptr);
        EXPECT_GT(std::strlen(SystemDirs::TypeName(t)), 0u);
    }
    EXPECT_STREQ(SystemDirs::TypeName(kUserHomeDir), "UserHomeDir");
    EXPECT_STREQ(SystemDirs::TypeName(kPublicCacheDir), "PublicCacheDir");
    EXPECT_EQ(SystemDirs::TypeName(14), nullptr);
    EXPECT_EQ(SystemDirs::TypeName(-1), nullptr);
}

TEST(SystemDirs, HomeTemporaryAndBootVolumeExist) {
    Path p = new PathRef(SystemDirs::GetUserHomeDir(false));
    EXPECT_GT(p->ItemCount(), 0);
    EXPECT_EQ(FExists(p), 2);
    *p = SystemDirs::GetUserTemporaryDir(false);
    EXPECT_EQ(FExists(p), 2);
    EXPECT_TRUE(p->Equals(NativePath(fs::canonical(fs::temp_directory_path()))))
        << p->ToString(PathRef::StringDisplay());
    *p = SystemDirs::GetBootVolumeRootDir(false);
    EXPECT_EQ(p->ItemCount(), kWindows ? 1 : 0) << "a volume root: \"/\" here, \"C:\\\" on Windows";
    EXPECT_EQ(FExists(p), 2);
    FDestroyPath(&p);
}

TEST(SystemDirs, PlainFormAndBadTypes) {
    Path p = new PathRef();
    EXPECT_EQ(GetSystemDir(kUserHomeDir, 0, p), 0);
    EXPECT_TRUE(p->Equals(SystemDirs::GetUserHomeDir(false), kCompareExact));
    EXPECT_EQ(GetSystemDir(14, 0, p), 1);
    EXPECT_EQ(GetSystemDir(-1, 0, p), 1);
    EXPECT_EQ(GetSystemDir(kUserHomeDir, 0, nullptr), 1);
    try {
        SystemDirs::Get(99, false);
        ADD_FAILURE() << "no exception";
    } catch (const PKExcept& e) {
        EXPECT_EQ(e.ErrorCode(), kErrArgument);
    }
    FDestroyPath(&p);
}

TEST(SystemDirs, AMissingTemporaryFolderThrows42) {
    if (kWindows) GTEST_SKIP() << "the temporary folder comes from the system there";
    tq::test::ScratchFolder scratch;
    const std::string missing = tq::test::Utf8(scratch.Root() / "missing");
    const ScopedEnv tmp("TMPDIR", missing.c_str());
    try {
        SystemDirs::GetUserTemporaryDir(false);
        ADD_FAILURE() << "no exception";
    } catch (const PKExcept& e) {
        EXPECT_EQ(e.ErrorCode(), kErrGeneric);
        EXPECT_EQ(std::string(e.Detail()).rfind("GetLongPathName() system call failed with error '", 0), 0u)
            << e.Detail();
    }
    Path p = new PathRef();
    EXPECT_EQ(GetSystemDir(kUserTemporaryDir, 0, p), kErrGeneric);
    FDestroyPath(&p);
}

TEST(SystemDirs, UserFoldersFollowTheEnvironmentAndAreMadeOnRequest) {
    if (kWindows) GTEST_SKIP() << "the shell's settings decide there";
    tq::test::ScratchFolder scratch;
    const std::string home = tq::test::Utf8(scratch.Root());
    const ScopedEnv homeVar("HOME", home.c_str());
    const ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    const ScopedEnv data("XDG_DATA_HOME", (home + "/data").c_str());
    EXPECT_TRUE(SystemDirs::GetUserPreferencesDir(false).Equals(NativePath(scratch.Root() / ".config")));
    EXPECT_TRUE(SystemDirs::GetUserApplicationDataDir(false).Equals(NativePath(scratch.Root() / "data")));
    EXPECT_FALSE(fs::exists(scratch.Root() / "data"));
    SystemDirs::GetUserApplicationDataDir(true);
    EXPECT_TRUE(fs::is_directory(scratch.Root() / "data"));
}

TEST(AppPath, TheRunningProgramsNameAndFolder) {
    Path name = new PathRef(), folder = new PathRef();
    ASSERT_EQ(FAppName(name), 0);
    ASSERT_EQ(FAppPath(folder), 0);
    EXPECT_EQ(name->Name().rfind("tqcore_files_tests", 0), 0u) << name->Name();
    EXPECT_TRUE(folder->IsParentDirectoryOf(*name));
    EXPECT_EQ(FExists(name), 1);
    char buf[1024];
    ASSERT_EQ(FAppCStr(buf, sizeof buf), 0);
    EXPECT_TRUE(NativePath(fs::u8path(buf)).Equals(*name)) << buf;
    char small[5];
    EXPECT_EQ(FAppCStr(small, sizeof small), 0);
    EXPECT_EQ(std::string(small), std::string(buf, 4));
    EXPECT_EQ(FAppCStr(nullptr, 10), 1);
    EXPECT_EQ(FAppCStr(buf, 0), 1);
    EXPECT_EQ(FAppName(nullptr), 1);
    EXPECT_EQ(FAppPath(nullptr), 1);
    FDestroyPath(&name);
    FDestroyPath(&folder);
}

}  // namespace
