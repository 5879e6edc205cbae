// Typed settings and setting groups over the main manager; the hard-wait setting as their client.
#include <gtest/gtest.h>

#include "config/CfgSettingsRegistry.h"
#include "config/ConfigOperations.h"
#include "config/ConfigTestSupport.h"
#include "config/Services.h"
#include "support/ReportCapture.h"
#include "tqcore/config.h"
#include "tqcore/sysinfo.h"
#include "tqcore/threads.h"

using tq::test::ReadText;
using tq::test::ScratchFolder;
using tq::test::WriteText;

namespace {

using IntSetting = CfgData_T<int32, TQFourCC("I32 ")>;
using IntNoDefault = CfgDataNoDefault_T<int32, TQFourCC("I32 ")>;

struct TwoInts : CfgSettingsData {
    int32 Count() override { return 2; }
    CfgData* At(int32 i) override { return i == 0 ? static_cast<CfgData*>(&a) : &b; }
    IntSetting a{"Alpha", 10};
    IntNoDefault b{"Beta", 0};
};

// Validates everything and refuses negative values.
class NonNegative : public CfgDataValidator {
  public:
    CfgDataValidationPolicy Policy(int32) override { return cfgAlwaysValidatePolicy; }
    TqErr operator()(CfgData& d, TqErr, int64, int32, CfgSettings*) override {
        return *static_cast<int32*>(d.Value()) < 0 ? kErrArgument : kErrNone;
    }
};

class PolicyThree : public DefaultCfgValidator {
  public:
    CfgDataValidationPolicy Policy(int32) override { return cfgAlwaysUseDefaultValuePolicy; }
};

class SettingsTest : public tq::test::MainManagerFixture {
  protected:
    SettingsTest() : MainManagerFixture("[TQCore]\n") {}
};

TEST_F(SettingsTest, AnAbsentTokenWithADefaultLoadsTheDefault) {
    IntSetting s("Missing", 5, 99);
    EXPECT_EQ(CfgDataInit(s, nullptr, nullptr, 0, 0, nullptr), kErrNone);
    EXPECT_EQ(s.Get(), 5);
    IntNoDefault n("Missing", 99);
    EXPECT_EQ(CfgDataInit(n, nullptr, nullptr, 0, 0, nullptr), kErrConfigNotFound);
    EXPECT_EQ(n.Get(), 99);
}

TEST_F(SettingsTest, AGroupLoadsValidatesAndEntersTheRegistry) {
    WriteText(file_, "[TQCore]\nAlpha=-3\nBeta=4\n");
    CfgSettings_T<TwoInts, NonNegative> group("Two");
    EXPECT_EQ(group.Init(0, nullptr), kErrNone);
    EXPECT_EQ(group.GetData()->a.Get(), 10);  // refused, back to its default
    EXPECT_EQ(group.GetData()->b.Get(), 4);
    EXPECT_TRUE(tq::config::SettingsRegistryHolds(&group));
    EXPECT_EQ(group.Uninit(cfgNeverSavePolicy, nullptr), kErrNone);
    EXPECT_FALSE(tq::config::SettingsRegistryHolds(&group));
}

TEST_F(SettingsTest, SavePolicies) {
    CfgSettings_T<TwoInts, DefaultCfgValidator> group("Save");
    ASSERT_EQ(group.Init(0, nullptr), kErrConfigNotFound);  // Beta has no default and no token
    TwoInts& d = *group.GetData();
    int32 v = 11;
    d.a.SetValue(&v);
    d.b.SetValue(&v);
    EXPECT_EQ(group.Save(cfgSaveUnlessDefaultIfDefaultPolicy, nullptr), kErrNone);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nAlpha=11\n");
    EXPECT_EQ(group.Save(cfgSaveUnlessDefaultPolicy, nullptr), kErrNone);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nAlpha=11\nBeta=11\n");
    d.a.ResetToDefault();
    EXPECT_EQ(CfgSettingsSaveOneSetting(&group, 0, nullptr, cfgSaveUnlessDefaultPolicy), kErrNone);
    EXPECT_EQ(ReadText(file_), "[TQCore]\nBeta=11\n");  // equal to its default: removed
    EXPECT_EQ(CfgSettingsSaveOneSetting(&group, -1, nullptr, cfgAlwaysSavePolicy), kErrArgument);
    EXPECT_EQ(CfgSettingsSaveOneSetting(&group, -1, nullptr, cfgNeverSavePolicy), kErrNone);
    EXPECT_EQ(CfgSettingsSaveOneSetting(&group, 1, nullptr, 9), kErrArgument);
    EXPECT_EQ(group.Uninit(cfgAlwaysRemovePolicy, nullptr), kErrNone);
    EXPECT_EQ(ReadText(file_), "[TQCore]\n");
}

TEST_F(SettingsTest, AlwaysTheDefaultNeedsADefault) {
    PolicyThree v;
    IntNoDefault n("Beta", 1);
    EXPECT_EQ(CfgDataInit(n, nullptr, &v, 0, 0, nullptr), kErrArgument);
    EXPECT_EQ(ReportCapture::Count(kDbgError, "cfgAlwaysUseDefaultValuePolicy cannot be used"), 1);
    WriteText(file_, "[TQCore]\nAlpha=3\n");
    IntSetting s("Alpha", 8, 0);
    EXPECT_EQ(CfgDataInit(s, nullptr, &v, 0, 0, nullptr), kErrNone);
    EXPECT_EQ(s.Get(), 8);
}

TEST_F(SettingsTest, SettingsCompareAndCopyByTypeAndName) {
    IntSetting a("A", 1, 2), a2("A", 5, 2), b("B", 1, 2);
    CfgData_T<std::string, TQFourCC("NStr")> s("A", "x");
    EXPECT_TRUE(a.Equals(a2, true));
    EXPECT_FALSE(a.Equals(b, true));
    EXPECT_TRUE(a.Equals(b, false));
    EXPECT_FALSE(a.Equals(s, false));
    EXPECT_EQ(a.CopyFrom(s, false), kErrArgument);
    EXPECT_EQ(b.CopyFrom(a2, true), kErrArgument);
    int32 seven = 7;
    a2.SetValue(&seven);
    EXPECT_EQ(b.CopyFrom(a2, false), kErrNone);
    EXPECT_EQ(b.Get(), 7);
    EXPECT_FALSE(b.IsDefault());
}

using PathSetting = CfgPathRef;
struct OnePath : CfgSettingsData {
    int32 Count() override { return 1; }
    CfgData* At(int32) override { return &path; }
    PathSetting path{"Where", PathRef()};
};

TEST_F(SettingsTest, APathOfTheWrongKindBecomesNotAPath) {
    const std::string folderText =
        tq::config::PathFromOsText(folder_.Root().string()).ToString(PathRef::StringDisplay());
    WriteText(file_, "[TQCore]\nWhere=" + folderText + "\n");
    CfgPathValidator v;
    PathSetting s("Where", PathRef());
    // Kind 1 (a file) asked of a folder.
    EXPECT_EQ(CfgDataInit(s, nullptr, &v, 1, 0, nullptr), kErrNone);
    EXPECT_FALSE(s.Get().IsValid());
    // Asked directly, the check says the path is of another kind.
    PathRef folderPath = tq::config::PathFromOsText(folder_.Root().string());
    PathSetting direct("Where", PathRef(kBaseNotAPath), folderPath);
    const int64 checkDefault = int64(~uInt64(0) << 31);
    // The default (not a path) fails, so the value's own answer counts.
    EXPECT_EQ(v(direct, 0, checkDefault | 1, 0, nullptr), kErrDuplicatePath);
    PathSetting withFolder("Where", folderPath, folderPath);
    EXPECT_EQ(v(withFolder, 0, checkDefault | 1, 0, nullptr), kErrDuplicatePath);
    EXPECT_FALSE(withFolder.Get().IsValid());
    PathSetting ok("Where", folderPath, folderPath);
    EXPECT_EQ(v(ok, 0, checkDefault | 2, 0, nullptr), kErrNone);
    EXPECT_TRUE(ok.Get().IsValid());
    EXPECT_EQ(v(ok, 0, 0x7FFFFFFF, 0, nullptr), kErrNone);
    EXPECT_EQ(v(ok, 0, 5, 0, nullptr), kErrArgument);
}

TEST_F(SettingsTest, TheHardWaitSettingIsReadFromThePreferences) {
    WriteText(file_, "[TQCore]\nHardWaitTimeCritical=1\n");
    ASSERT_EQ(HardWaitBehaviorService()->Init(), kErrNone);
    EXPECT_EQ(GetHardWaitTimeCritical(), 1);
    HardWaitBehaviorService()->Uninit();
    WriteText(file_, "[TQCore]\nHardWaitTimeCritical=0\n");
    ConfigManager* m = GetMainCfgAccess();
    int32 zero = 0;
    ASSERT_EQ(m->Write(TQFourCC("I32 "), std::string("HardWaitTimeCritical"), &zero, 0), kErrNone);
    ASSERT_EQ(HardWaitBehaviorService()->Init(), kErrNone);
    EXPECT_EQ(GetHardWaitTimeCritical(), 0);
    HardWaitBehaviorService()->Uninit();
}

}  // namespace
