#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/sysinfo.h"

namespace {

using V = std::vector<std::string>;

std::vector<std::string> Strings(int32 n, char** a) {
    return std::vector<std::string>(a, a + n);
}

class CommandLineTest : public ::testing::Test {
  protected:
    void TearDown() override { UninitUserCommandLine(); }
    std::vector<std::string> App() {
        int32 n;
        char** a;
        GetAppCommandLine(&n, &a);
        return Strings(n, a);
    }
    std::vector<std::string> User() {
        int32 n;
        char** a;
        GetUserCommandLine(&n, &a);
        return Strings(n, a);
    }
};

TEST_F(CommandLineTest, SplitsAtSeparatorUnlessIgnored) {
    char* args[] = {(char*)"prog", (char*)"a", (char*)"--", (char*)"b", (char*)"c"};
    ASSERT_EQ(InitUserCommandLine(5, args), kErrNone);
    EXPECT_EQ(App(), (V{"prog", "a"}));
    EXPECT_EQ(User(), (V{"prog", "b", "c"}));
    int32 n;
    char** raw;
    GetRawCommandLine(&n, &raw);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(raw, args);
    EXPECT_EQ(InitUserCommandLine(5, args), kErrArgument);  // already initialised
    UninitUserCommandLine();
    EXPECT_EQ(User(), V{});

    SetIgnoreCommandLine(1);
    ASSERT_EQ(InitUserCommandLine(5, args), kErrNone);
    EXPECT_EQ(App().size(), 5u);
    EXPECT_EQ(User(), V{"prog"});
    UninitUserCommandLine();

    char* plain[] = {(char*)"prog", (char*)"x"};
    ASSERT_EQ(InitUserCommandLine(2, plain), kErrNone);  // Uninit cleared the ignore flag
    EXPECT_EQ(App(), (V{"prog", "x"}));
    EXPECT_EQ(User(), V{"prog"});
    UninitUserCommandLine();
    EXPECT_EQ(InitUserCommandLine(0, args), kErrArgument);
    EXPECT_EQ(InitUserCommandLine(3, nullptr), kErrArgument);
}

TEST_F(CommandLineTest, PreferencePath) {
    EXPECT_EQ(GetPrefsPath(), nullptr);
    char* args[] = {(char*)"prog", (char*)"-pref", (char*)"x",     (char*)"-pref",
                    (char*)"y",    (char*)"--",    (char*)"-pref", (char*)"z"};
    ASSERT_EQ(InitUserCommandLine(8, args), kErrNone);
    EXPECT_STREQ(GetPrefsPath(), "y");
    ASSERT_EQ(SetPrefsPath("set.ini"), kErrNone);
    EXPECT_STREQ(GetPrefsPath(), "set.ini");
    ASSERT_EQ(SetPrefsPath(nullptr), kErrNone);
    EXPECT_STREQ(GetPrefsPath(), "y");
    UninitUserCommandLine();
    char* trailing[] = {(char*)"prog", (char*)"-pref", (char*)"x", (char*)"-pref"};
    ASSERT_EQ(InitUserCommandLine(4, trailing), kErrNone);
    EXPECT_STREQ(GetPrefsPath(), "x");
}

TEST_F(CommandLineTest, ArgumentsTheLibraryConsumes) {
    int32 skip = 0;
    EXPECT_TRUE(ShouldIgnoreCommandLineArg("-pref", &skip));
    EXPECT_EQ(skip, 1);
    EXPECT_TRUE(ShouldIgnoreCommandLineArg("PK_ALLOC_TRACKER=1", &skip));
    EXPECT_TRUE(ShouldIgnoreCommandLineArg("PK_USE_MALLOC=", &skip));
    EXPECT_TRUE(ShouldIgnoreCommandLineArg("tqcore=x", &skip));
    EXPECT_EQ(skip, 1);
    for (const char* keep : {"-prefs", "pref", "PK_ALLOC_TRACKER", "tqcore", "x=PK_USE_MALLOC=", ""})
        EXPECT_FALSE(ShouldIgnoreCommandLineArg(keep, &skip)) << keep;
    EXPECT_FALSE(ShouldIgnoreCommandLineArg(nullptr, &skip));
    EXPECT_TRUE(ShouldIgnoreCommandLineArg("-pref", nullptr));
}

class EmbeddedApp final : public TQAppInterface {
  public:
    const char* ProductName() override { return "p"; }
    const char* AppName() override { return "a"; }
    int32 AppAPIVersion() override { return 0; }
    int32 AppEditorVersion() override { return 0; }
    const char* BuiltAppName() override { return "b"; }
    bool IsTopLevel() override { return false; }
    bool IsBoundApp() override { return false; }
    bool IsRunTime() override { return true; }
    bool IsFullFeatureRunTime() override { return false; }
    bool IsEmbeddedRunTime() override { return true; }
    void PrepareAppFileName() override {}
    bool AcceptsLeadingPlus() override { return false; }
    const char* LanguageName() override { return "English"; }
    int32 StringResourceRefNum() override { return 0; }
};

TEST_F(CommandLineTest, EmbeddedHostKeepsTheCommandLine) {
    EmbeddedApp app;
    TQAppInterfaceSet(&app);
    char* args[] = {(char*)"prog", (char*)"--", (char*)"u"};
    EXPECT_EQ(InitUserCommandLine(3, args), kErrNotSupported);
    int32 n = -1;
    GetRawCommandLine(&n, nullptr);
    EXPECT_EQ(n, 0);
    SetIgnoreCommandLine(1);
    TQAppInterfaceSet(nullptr);
    ASSERT_EQ(InitUserCommandLine(3, args), kErrNone);  // the flag was left alone
    EXPECT_EQ(User(), (V{"prog", "u"}));
}

V Split(const char* line, const char* prog = "prog") {
    int32 n = -1;
    char** a = nullptr;
    EXPECT_EQ(NewCommandLineArgsFromSingleLine(line, prog, &n, &a), kErrNone);
    V out = Strings(n, a);
    DeleteCommandLineArgsFromSingleLine(n, a);
    return out;
}

TEST_F(CommandLineTest, SingleLineSplitting) {
    EXPECT_EQ(Split("one  two \"three four\""), (V{"prog", "one", "two", "three four"}));
    EXPECT_EQ(Split("one\t\ttwo\t\"a\tb\""), (V{"prog", "one", "two", "a\tb"}));
    EXPECT_EQ(Split(""), V{"prog"});
    EXPECT_EQ(Split(" \t "), V{"prog"});
    EXPECT_EQ(Split("\"\" x"), (V{"prog", "", "x"}));
    EXPECT_EQ(Split("\"unterminated arg"), (V{"prog", "unterminated arg"}));
    EXPECT_EQ(Split("\"ab\"cd"), (V{"prog", "ab", "cd"}));
    EXPECT_EQ(Split("mid\"dle x\""), (V{"prog", "mid\"dle", "x\""}));
    EXPECT_EQ(Split("x", nullptr), (V{"", "x"}));
    int32 n = 7;
    char** a = reinterpret_cast<char**>(1);
    EXPECT_EQ(NewCommandLineArgsFromSingleLine(nullptr, "p", &n, &a), kErrArgument);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(a, nullptr);
    DeleteCommandLineArgsFromSingleLine(0, nullptr);
}

}  // namespace
