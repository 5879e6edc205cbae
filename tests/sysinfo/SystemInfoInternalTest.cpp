#include <gtest/gtest.h>

#include <string>

#include "platform/CpuInfo.h"
#include "tqcore/diagnostics.h"
#include "tqcore/sysinfo.h"

namespace {

TEST(SystemInfoTest, NameTables) {
    EXPECT_STREQ(GetCPUArchName(0), "InvalidCPU");
    EXPECT_STREQ(GetCPUArchName(3), "X86");
    EXPECT_STREQ(GetCPUArchName(9), "x64");
    EXPECT_STREQ(GetCPUArchName(10), "PIC");
    EXPECT_STREQ(GetCPUArchName(11), "<unknown value>");
    EXPECT_STREQ(GetCPUArchName(-1), "<unknown value>");
    EXPECT_STREQ(GetOSNameFromID(0), "invalid OS target");
    EXPECT_STREQ(GetOSNameFromID(8), "Linux");
    EXPECT_STREQ(GetOSNameFromID(18), "Windows x64");
    EXPECT_STREQ(GetOSNameFromID(20), "Mac OS X x64");
    EXPECT_STREQ(GetOSNameFromID(21), "<unknown value>");
    EXPECT_STREQ(GetOSNameFromID(-5), "<unknown value>");
}

TEST(SystemInfoTest, FeatureFlags) {
    EXPECT_EQ(OpSystemFeatureFlags::kNone().Bits(), 0u);
    EXPECT_EQ(OpSystemFeatureFlags::kFirstBit().Bits(), 1u);
    EXPECT_EQ(OpSystemFeatureFlags::k64Bit().Bits(), 1u);
    EXPECT_EQ(OpSystemFeatureFlags::kIsNTOS().Bits(), 0x10000u);
    EXPECT_EQ(&OpSystemFeatureFlags::kIsNTOS(), &OpSystemFeatureFlags::kIsNTOS());
    const OpSystemFeatureFlags both = OpSystemFeatureFlags::k64Bit() | OpSystemFeatureFlags::kIsNTOS();
    EXPECT_TRUE(both.Has(OpSystemFeatureFlags::kIsNTOS()));
    EXPECT_FALSE(OpSystemFeatureFlags::k64Bit().Has(OpSystemFeatureFlags::kIsNTOS()));
}

TEST(SystemInfoTest, CpuInformationMatchesPlatformAndPrints) {
    CPUInformation* info = CPUInfo();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(CPUInfo(), info);
    EXPECT_EQ(info->NumLogicalCPUs(), tq::platform::NumLogicalProcessors());
    EXPECT_GE(info->NumPhysicalCPUs(), 1);
    EXPECT_LE(info->NumPhysicalCPUs(), info->NumLogicalCPUs());
#if defined(__x86_64__)
    EXPECT_EQ(info->Architecture(), kCPUX64);
    uInt32 r[4];
    ASSERT_TRUE(info->CPUID(0, 0, r));
    EXPECT_GE(r[0], 1u);
    EXPECT_EQ(info->Vendor().size(), 12u);
    EXPECT_FALSE(info->CPUID(0x7FFFFFFF, 0, r));
#endif
    DebugStream s("t", 1, "r", kDbgNote);
    ToDebugStream(s, info);
    EXPECT_EQ(std::string(s.Text()), std::string("CPUArch: ") + info->ArchitectureName() +
                                         ", NumLogicalCPUs: " + std::to_string(info->NumLogicalCPUs()));
    DebugStream n("t", 1, "r", kDbgNote);
    ToDebugStream(n, static_cast<const CPUInformation*>(nullptr));
    EXPECT_STREQ(n.Text(), "Invalid CPUInformation");
    UninitCPUInformation();
    UninitCPUInformation();
    EXPECT_EQ(CPUInfo()->NumLogicalCPUs(), tq::platform::NumLogicalProcessors());
}

TEST(SystemInfoTest, OperatingSystemIdentity) {
    const OpSystemInfo& os = OSInfo();
    EXPECT_EQ(&OSInfo(), &os);
    EXPECT_STREQ(os.TargetName(), GetOSNameFromID(os.TargetCode()));
    EXPECT_TRUE(os.Features().Has(OpSystemFeatureFlags::k64Bit()));
    char pair[32];
    std::snprintf(pair, sizeof pair, " %u.%u", os.MajorVersion(), os.MinorVersion());
    const std::string& v = os.VersionText();
    ASSERT_GT(v.size(), std::string(pair).size());
    EXPECT_EQ(v.substr(v.size() - std::string(pair).size()), pair);
    EXPECT_FALSE(os.ExtraText().empty());
    EXPECT_FALSE(HiResClock(HiResClock::kInitNow) < os.CreationTime());
#if defined(_WIN32)
    EXPECT_EQ(os.TargetCode(), kOSWindowsX64);
    EXPECT_TRUE(os.Features().Has(OpSystemFeatureFlags::kIsNTOS()));
#else
    EXPECT_EQ(os.TargetCode(), kOSLinuxX64);
    EXPECT_GE(os.MajorVersion(), 2u);
#endif
}

}  // namespace
