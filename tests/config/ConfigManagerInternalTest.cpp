// The configuration manager, its typed tokens and the plain functions over the main manager.
#include <gtest/gtest.h>

#include "config/ConfigManagerDefaults.h"
#include "config/ConfigOperations.h"
#include "config/ConfigTestSupport.h"
#include "config/Services.h"
#include "support/ReportCapture.h"
#include "support/TestHost.h"
#include "tqcore/config.h"
#include "tqcore/memory.h"
#include "tqcore/sysinfo.h"

using tq::test::CommandLineText;
using tq::test::ReadText;
using tq::test::ScratchFolder;
using tq::test::WriteText;

namespace {

constexpr int32 kBool = TQFourCC("Bool");
constexpr int32 kI32 = TQFourCC("I32 ");
constexpr int32 kPStr = TQFourCC("PStr");
constexpr int32 kNStr = TQFourCC("NStr");

// A Pascal string for a token.
struct P {
    explicit P(const char* s) {
        b[0] = uChar(std::strlen(s));
        std::memcpy(b + 1, s, b[0]);
    }
    operator ConstPStr() const { return b; }
    Str255 b;
};

class MainManagerTest : public tq::test::MainManagerFixture {
  protected:
    std::string Section() {
        LStrHandle h = nullptr;
        EXPECT_EQ(CfgGetHostPrefsSection(&h), kErrNone);
        std::string s(reinterpret_cast<const char*>((*h)->str), size_t((*h)->cnt));
        DSDisposeHandle(reinterpret_cast<UHandle>(h));
        return s;
    }
};

TEST(ConfigBeforeStart, EveryPlainFunctionAnswersGeneric) {
    int32 v = 0;
    EXPECT_EQ(GetMainCfgAccess(), nullptr);
    EXPECT_EQ(CfgGetDefault(kI32, P("x"), &v), kErrGeneric);
    EXPECT_EQ(CfgWrite(kI32, P("x"), &v), kErrGeneric);
    EXPECT_EQ(CfgRemove(kI32, P("x")), kErrGeneric);
    std::string text;
    EXPECT_EQ(ConfigTypeToString(kI32, &v, &text), kErrGeneric);
    EXPECT_EQ(RegisterConfigType(kI32, nullptr, nullptr), kErrGeneric);
}

TEST_F(MainManagerTest, ThePreferenceFileIsTheOneNamedAndTheSectionTheHosts) {
    Path p = nullptr;
    ASSERT_EQ(CfgGetPrefFilePath(&p), kErrNone);
    EXPECT_EQ(tq::config::OsPathText(*p), file_);
    PathRef::DisposePath(p);
    EXPECT_EQ(Section(), "TQCore");
    int32 v = 5;
    ASSERT_EQ(CfgWrite(kI32, P("Count"), &v), kErrNone);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nCount=5\n");
}

TEST_F(MainManagerTest, BooleansWriteTrueAndReadTheWordsOnly) {
    int32 one = 1;
    ASSERT_EQ(CfgWrite(kBool, P("Flag"), &one), kErrNone);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nFlag=True\n");
    const std::pair<const char*, TqErr> cases[] = {{"yes", kErrNone},
                                                   {"YES", kErrNone},
                                                   {"On", kErrNone},
                                                   {"1", kErrConfigParse},
                                                   {"0", kErrConfigParse}};
    for (auto [text, expected] : cases) {
        WriteText(file_, std::string("[TQCore]\nFlag=") + text + "\n");
        ConfigManager* fresh = nullptr;
        ASSERT_EQ(ConstructCfgAccessCStr(CommandLineText(file_).c_str(), &fresh), kErrNone);
        int32 v = -1;
        EXPECT_EQ(fresh->GetDefault(kBool, std::string("Flag"), &v), expected) << text;
        if (expected == kErrNone) {
            EXPECT_EQ(v, 1) << text;
        }
        fresh->RemoveRef();
    }
}

TEST_F(MainManagerTest, APascalStringIsStoredInQuotesAndReadsBackPlain) {
    UHandle h = DSNewHandle(4);
    (*h)[0] = 3;
    std::memcpy(*h + 1, "a b", 3);
    ASSERT_EQ(CfgWrite(kPStr, P("Name"), &h), kErrNone);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nName=\"a b\"\n");
    UHandle back = nullptr;
    ASSERT_EQ(CfgGetDefault(kPStr, P("Name"), &back), kErrNone);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(*back + 1), (*back)[0]), "a b");
    DSDisposeHandle(h);
    DSDisposeHandle(back);
}

TEST_F(MainManagerTest, AMemoryTokenWinsOverTheFile) {
    WriteText(file_, "[TQCore]\nLimit=1\n");
    ConfigManager* m = GetMainCfgAccess();
    int32 mem = 7;
    ASSERT_EQ(m->Write(kI32, std::string("Limit"), &mem, 1), kErrNone);
    int32 v = 0;
    ASSERT_EQ(CfgGetDefault(kI32, P("Limit"), &v), kErrNone);
    EXPECT_EQ(v, 7);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nLimit=1\n");
    _LStrArray** tokens = nullptr;
    _LStrArray** values = nullptr;
    int32 count = 0;
    ASSERT_EQ(m->GetInMemoryConfigList(&tokens, &values, &count), kErrNone);
    EXPECT_EQ(count, 1);
    DSDisposeHandle(reinterpret_cast<UHandle>((*tokens)->elt[0]));
    DSDisposeHandle(reinterpret_cast<UHandle>((*values)->elt[0]));
    DSDisposeHandle(reinterpret_cast<UHandle>(tokens));
    DSDisposeHandle(reinterpret_cast<UHandle>(values));
    // Asking a memory token to persist says so and writes both stores.
    ASSERT_EQ(CfgWrite(kI32, P("Limit"), &mem), kErrNone);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "In Memory Config Token (Limit) is now asked to persist"), 1);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nLimit=7\n");
    ASSERT_EQ(CfgRemove(kI32, P("Limit")), kErrNone);
    EXPECT_EQ(CfgGetDefault(kI32, P("Limit"), &v), kErrConfigNotFound);
}

TEST_F(MainManagerTest, TokensAreTrimmedAndEmptyOnesRefused) {
    int32 v = 3;
    ASSERT_EQ(CfgWrite(kI32, P("  Spaced  "), &v), kErrNone);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nSpaced=3\n");
    EXPECT_EQ(CfgWrite(kI32, P("   "), &v), kErrArgument);
    EXPECT_EQ(CfgWrite(kI32, P(""), &v), kErrArgument);
    EXPECT_EQ(CfgGetDefault(kI32, P("Spaced"), nullptr), kErrArgument);
}

TEST_F(MainManagerTest, KnownTokensMatchWithoutCaseAndOthersAreReported) {
    static const KnownToken known[] = {{"Alpha"}, {"Beta"}};
    GetMainCfgAccess()->SetKnownTokens(known, 2);
    int32 v = 1;
    ASSERT_EQ(CfgWrite(kI32, P("ALPHA"), &v), kErrNone);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "Unknown INI token"), 0);
    ASSERT_EQ(CfgWrite(kI32, P("Gamma"), &v), kErrNone);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "Unknown INI token: Gamma"), 1);
    GetMainCfgAccess()->SetKnownTokens(nullptr, 0);
}

TEST_F(MainManagerTest, AnUnknownTypeIsBadTypeWithItsFourCharacters) {
    int32 v = 1;
    EXPECT_EQ(CfgWrite(TQFourCC("Zzz?"), P("T"), &v), kErrConfigBadType);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Unknown config type 'Zzz?'."), 1);
}

TEST_F(MainManagerTest, TheRegistryRefusesADuplicateAndForgetsOnRequest) {
    EXPECT_EQ(RegisterConfigType(kI32, nullptr, nullptr), kErrGeneric);
    int32 kind = -1;
    auto from = [](const std::string& t, void* v) -> TqErr {
        *static_cast<int32*>(v) = t == "red" ? 1 : 2;
        return kErrNone;
    };
    auto to = [](const void* v, std::string* t) -> TqErr {
        *t = *static_cast<const int32*>(v) == 1 ? "red" : "blue";
        return kErrNone;
    };
    ASSERT_EQ(CfgEnumTypeInit(TQFourCC("Colr"), from, to, 42, &kind), kErrNone);
    EXPECT_EQ(kind, 42);
    int32 red = 1;
    ASSERT_EQ(CfgWrite(TQFourCC("Colr"), P("Colour"), &red), kErrNone);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nColour=red\n");
    ASSERT_EQ(CfgEnumTypeUninit(TQFourCC("Colr"), &kind), kErrNone);
    EXPECT_EQ(kind, 0);
    int32 v = 0;
    EXPECT_EQ(CfgGetDefault(TQFourCC("Colr"), P("Colour"), &v), kErrConfigBadType);
}

TEST_F(MainManagerTest, ATemporaryManagerReadsAnotherFile) {
    const std::string other = folder_.OsName("other.ini");
    WriteText(other, "[TQCore]\nN=12\n");
    PathRef p = tq::config::PathFromOsText(other);
    int32 v = 0;
    ASSERT_EQ(CfgGetDefaultFrom(&p, kI32, P("N"), &v), kErrNone);
    EXPECT_EQ(v, 12);
    PathRef bad(kBaseNotAPath);
    v = 0;
    EXPECT_EQ(CfgGetDefaultFrom(&bad, kI32, P("N"), &v), kErrNone);
    EXPECT_EQ(v, 0);
    ConfigManager* m = reinterpret_cast<ConfigManager*>(1);
    EXPECT_EQ(ConstructCfgAccess(&bad, &m), kErrNone);
    EXPECT_EQ(m, reinterpret_cast<ConfigManager*>(1));
    EXPECT_EQ(ConstructCfgAccessPathRef(bad, &m), kErrArgument);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "Not a Valid path to a preference file."), 1);
}

TEST_F(MainManagerTest, TheServiceStartsOnce) {
    EXPECT_NE(GetMainCfgAccess(), nullptr);
    EXPECT_EQ(tq::config::StartMainManager(), kErrGeneric);
}

TEST(PrefCommandLine, ThePrefArgumentNamesThePreferenceFile) {
    ScratchFolder folder;
    const std::string file = folder.OsName("from-command-line.ini");
    std::string text = CommandLineText(file);
    char program[] = "prog", pref[] = "-pref", separator[] = "--", user[] = "-pref";
    char other[] = "ignored.ini";
    char* argv[] = {program, pref, text.data(), separator, user, other};
    ASSERT_EQ(InitUserCommandLine(6, argv), kErrNone);
    ASSERT_EQ(tq::config::ConfigManagerService()->Init(), kErrNone);
    Path p = nullptr;
    ASSERT_EQ(CfgGetPrefFilePath(&p), kErrNone);
    EXPECT_EQ(tq::config::OsPathText(*p), file);
    PathRef::DisposePath(p);
    tq::config::ConfigManagerService()->Uninit();
    ASSERT_EQ(UninitUserCommandLine(), kErrNone);
}

TEST(HostSection, FollowsTheHostInterface) {
    struct Host : TestHost {
        const char* ProductName() override { return "Prod"; }
        const char* AppName() override { return "App"; }
        const char* BuiltAppName() override { return "Built"; }
        bool IsBoundApp() override { return bound; }
        bool IsRunTime() override { return runTime; }
        bool IsFullFeatureRunTime() override { return full; }
        bool IsEmbeddedRunTime() override { return embedded; }
        bool bound = false, runTime = false, full = false, embedded = false;
    } host;
    TQAppInterfaceSet(&host);
    TQAppInterfaceSet(nullptr);
    EXPECT_EQ(tq::config::HostPrefsSection(), "TQCore");
    TQAppInterfaceSet(&host);
    EXPECT_EQ(tq::config::HostPrefsSection(), "Prod");
    host.full = true;
    EXPECT_EQ(tq::config::HostPrefsSection(), "AppFFRT");
    host.runTime = true;
    EXPECT_EQ(tq::config::HostPrefsSection(), "AppRT");
    host.bound = true;
    EXPECT_EQ(tq::config::HostPrefsSection(), "Built");
    host.embedded = true;
    EXPECT_EQ(tq::config::HostPrefsSection(), "pkrt");
    TQAppInterfaceSet(nullptr);
}

TEST(ConfigNames, AProgramNameGivesItsIniName) {
    char out[256];
    const std::pair<const char*, const char*> cases[] = {{"C:\\dir\\app.exe", "C:\\dir\\app.ini"},
                                                         {"/usr/bin/app.exe", "/usr/bin/app.ini"},
                                                         {"name", "name.ini"},
                                                         {".hidden", ".hidden.ini"},
                                                         {"a.b.c", "a.b.ini"},
                                                         {"", ".ini"}};
    for (auto [in, expected] : cases) {
        GetConfigPath(in, out);
        EXPECT_STREQ(out, expected) << in;
    }
}

TEST(ConfigNames, PreviousVersionsAreFoundThroughTheRegistryOnly) {
    char out[kCfgPreviousPathSize];
    EXPECT_EQ(CfgGetPathToPreviousVersion("NoSuchProduct", "0.0", "x.exe", out), kErrNotFound);
    EXPECT_EQ(CfgGetPathToPreviousVersion(nullptr, "0.0", "x.exe", out), kErrArgument);
}

}  // namespace
