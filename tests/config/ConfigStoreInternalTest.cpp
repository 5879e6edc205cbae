// The INI file store against real files, and the memory store.
#include <gtest/gtest.h>

#include <thread>

#include "config/ConfigOperations.h"
#include "config/ConfigTestSupport.h"
#include "config/IniFile.h"
#include "platform/Syscalls.h"
#include "support/ReportCapture.h"

using tq::config::KEINIConfigOperations;
using tq::config::MemoryMapConfigOperations;
using tq::test::OsPath;
using tq::test::ReadText;
using tq::test::ScratchFolder;
using tq::test::WriteText;

namespace {

class IniStoreTest : public ReportCaptureTest {
  protected:
    std::string Read(KEINIConfigOperations& store, const char* section, const char* key, TqErr expected) {
        std::string value = "<untouched>";
        EXPECT_EQ(store.ReadValue(section, key, &value), expected) << section << "/" << key;
        return value;
    }
    ScratchFolder folder_;
};

TEST_F(IniStoreTest, PathTextRoundTripsThroughTheOsForm) {
    const std::string file = folder_.OsName("a.ini");
    EXPECT_EQ(tq::config::OsPathText(OsPath(file)), file);
}

TEST_F(IniStoreTest, ABareKeyFileGetsTheStoresSectionOnFirstAccess) {
    const std::string file = folder_.OsName("bare.ini");
    WriteText(file, "key=1\n");
    KEINIConfigOperations store(OsPath(file), "Host");
    EXPECT_EQ(Read(store, "Host", "key", kErrNone), "1");
    EXPECT_EQ(ReadText(file), "[Host]\nkey=1\n");
}

TEST_F(IniStoreTest, WritesKeepQuotesCommentsAndUnrecognisedLinesAndUseLineFeeds) {
    const std::string file = folder_.OsName("keep.ini");
    WriteText(file, "; top\r\n[S]\r\nName = \"a b\"\r\nKeyOnly=\r\n");
    KEINIConfigOperations store(OsPath(file), "S");
    EXPECT_EQ(Read(store, "S", "Name", kErrNone), "a b");
    EXPECT_EQ(Read(store, "S", "KeyOnly", kErrConfigNotFound), "<untouched>");
    ASSERT_EQ(store.WriteValue("S", "New", "2"), kErrNone);
    // The key-only line was pending at the end of the file: it stays a trailing line.
    EXPECT_EQ(ReadText(file), "; top\n[S]\nName=\"a b\"\nNew=2\nKeyOnly=\n");
    EXPECT_EQ(folder_.CountOthers("keep.ini"), 0);  // no temporary file left behind
}

TEST_F(IniStoreTest, OwnSectionFormsUseTheStoresSection) {
    const std::string file = folder_.OsName("own.ini");
    KEINIConfigOperations store(OsPath(file), "Mine");
    ASSERT_EQ(store.WriteValue("k", "v"), kErrNone);
    EXPECT_TRUE(store.KeyExists("K"));
    std::string v;
    EXPECT_EQ(store.ReadValue("k", &v), kErrNone);
    EXPECT_EQ(v, "v");
    std::vector<std::string> names;
    EXPECT_EQ(store.GetKeyNames(&names), kErrNone);
    EXPECT_EQ(names, std::vector<std::string>{"k"});
    ASSERT_EQ(store.SetSection("Other"), kErrNone);
    EXPECT_EQ(store.GetSection(), "Other");
    EXPECT_FALSE(store.KeyExists("k"));
    EXPECT_EQ(store.RemoveKey("Mine", "k"), kErrNone);
    EXPECT_EQ(ReadText(file), "[Mine]\n");
}

TEST_F(IniStoreTest, EmptyNamesAndNullOutputsAreArguments) {
    KEINIConfigOperations store(OsPath(folder_.OsName("e.ini")), "S");
    std::string v;
    EXPECT_EQ(store.ReadValue("", "k", &v), kErrArgument);
    EXPECT_EQ(store.ReadValue("S", "", &v), kErrArgument);
    EXPECT_EQ(store.ReadValue("S", "k", nullptr), kErrArgument);
    EXPECT_EQ(store.WriteValue("", "k", "v"), kErrArgument);
    EXPECT_EQ(store.RemoveKey("S", ""), kErrArgument);
    EXPECT_FALSE(store.KeyExists("", "k"));
}

TEST_F(IniStoreTest, AMissingFileIsNotFoundForReadsAndMadeByAWrite) {
    const std::string file = folder_.OsName("sub/deeper/new.ini");
    KEINIConfigOperations store(OsPath(file), "S");
    EXPECT_EQ(Read(store, "S", "k", kErrConfigNotFound), "<untouched>");
    EXPECT_EQ(store.RemoveKey("S", "k"), kErrNotFound);
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(store.GetSectionNames(&names), kErrNotFound);
    EXPECT_TRUE(names.empty());
    ASSERT_EQ(store.WriteValue("S", "k", "v"), kErrNone);  // makes the folders too
    EXPECT_EQ(ReadText(file), "[S]\nk=v\n");
}

TEST_F(IniStoreTest, AUtf16FileCannotBeRead) {
    const std::string file = folder_.OsName("wide.ini");
    WriteText(file, std::string("\xFF\xFE[\0S\0]\0", 8));
    KEINIConfigOperations store(OsPath(file), "S");
    std::vector<std::string> names;
    EXPECT_EQ(store.GetSectionNames(&names), kErrNotSupported);
}

TEST_F(IniStoreTest, WhenEveryTemporaryNameIsTakenTheWriteFailsAndTheFileStays) {
    const std::string file = folder_.OsName("full.ini");
    WriteText(file, "[S]\nk=old\n");
    for (int n = 0; n < 1000; ++n) WriteText(folder_.OsName("ini$$" + std::to_string(n) + ".TMP"), "");
    KEINIConfigOperations store(OsPath(file), "S");
    EXPECT_EQ(store.WriteValue("S", "k", "new"), kErrIO);
    EXPECT_EQ(ReadText(file), "[S]\nk=old\n");
    std::filesystem::remove(folder_.OsName("ini$$0.TMP"));
    EXPECT_EQ(store.WriteValue("S", "k", "new"), kErrNone);
    EXPECT_EQ(ReadText(file), "[S]\nk=new\n");
    EXPECT_FALSE(std::filesystem::exists(folder_.OsName("ini$$0.TMP")));
}

TEST_F(IniStoreTest, ChangesOnDiskAreSeenAfterTheOneSecondCheck) {
    const std::string file = folder_.OsName("shared.ini");
    WriteText(file, "[S]\nk=1\n");
    KEINIConfigOperations a(OsPath(file), "S");
    KEINIConfigOperations b(OsPath(file), "S");
    EXPECT_EQ(Read(a, "S", "k", kErrNone), "1");
    ASSERT_EQ(b.WriteValue("S", "k", "2"), kErrNone);
    // Seen once a second has passed since a's last check; the clock is not bounded from above.
    std::string seen;
    for (int i = 0; i < 100 && seen != "2"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        seen = Read(a, "S", "k", kErrNone);
    }
    EXPECT_EQ(seen, "2");
}

TEST_F(IniStoreTest, AReadOnlyTargetIsAPermissionFailure) {
    const std::string file = folder_.OsName("ro.ini");
    WriteText(file, "[S]\nk=1\n");
    KEINIConfigOperations store(OsPath(file), "S");
    std::filesystem::permissions(file,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    // A privileged user may write anyway; the test only judges the outcome it can see.
    const TqErr r = store.WriteValue("S", "k", "2");
    if (r != kErrNone) {
        EXPECT_EQ(r, kErrPermission);
        EXPECT_EQ(ReadText(file), "[S]\nk=1\n");
    }
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

TEST(MemoryStore, MapsSectionsToKeysExactly) {
    MemoryMapConfigOperations m("");
    std::string v;
    EXPECT_EQ(m.ReadValue("S", "k", &v), kErrConfigNotFound);
    ASSERT_EQ(m.WriteValue("S", "k", "1"), kErrNone);
    ASSERT_EQ(m.WriteValue("S", "b", "2"), kErrNone);
    EXPECT_EQ(m.ReadValue("S", "K", &v), kErrConfigNotFound);  // case counts here
    EXPECT_EQ(m.ReadValue("S", "k", &v), kErrNone);
    EXPECT_EQ(v, "1");
    std::vector<std::string> names;
    EXPECT_EQ(m.GetKeyNames("S", &names), kErrNone);
    EXPECT_EQ(names, (std::vector<std::string>{"b", "k"}));
    EXPECT_EQ(m.RemoveKey("S", "k"), kErrNone);
    EXPECT_FALSE(m.KeyExists("S", "k"));
    EXPECT_EQ(m.ReadValue("", "k", &v), kErrArgument);
}

TEST(IniCodes, EveryEngineCodeMapsAsTheTableSays) {
    using tq::config::IniCodeToErr;
    const std::pair<int32, TqErr> table[] = {
        {-5021, kErrArgument},  {-5024, kErrArgument},   {-5, kErrIO},
        {-5002, kErrIO},        {-5003, kErrIO},         {-5004, kErrIO},
        {-22, kErrNotFound},    {-5001, kErrNotFound},   {-13, kErrPermission},
        {-28, kErrDiskFull},    {-24, kErrTooManyFiles}, {-6, kErrConfigBadType},
        {-12, kErrConfigAlloc}, {-3, kErrNotSupported},  {-2, kErrGeneric},
        {0, kErrNone},          {1, kErrNone},
    };
    for (auto [code, err] : table) EXPECT_EQ(IniCodeToErr(code), err) << code;
    ReportCapture capture;
    EXPECT_EQ(IniCodeToErr(7), kErrNone);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "Warning, unexpected result."), 1);
}

}  // namespace
