#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config/Services.h"
#include "support/ReportCapture.h"
#include "threads/Services.h"
#include "tqcore/clocks.h"
#include "tqcore/core.h"

namespace {

// Reports of the registry itself; managers may leave notes of their own while stopping.
size_t RegistryReports(const ReportCapture& capture) {
    size_t n = 0;
    for (const auto& r : capture.All())
        if (r.file == "source\\ServiceRegistry" || r.file == "source\\ServiceDependencyList") ++n;
    return n;
}

std::vector<TQServiceRecord> Records() {
    std::vector<TQServiceRecord> records(16);
    const int32 n = TQCoreBaseServiceRecords(records.data(), int32(records.size()));
    records.resize(size_t(n));
    return records;
}

// The base services and what each must follow.
const std::map<std::string, std::vector<std::string>> kBaseDependencies = {
    {"DebugStream_Service", {}},
    {"FloatingPointConstants", {}},
    {"ThEvent", {}},
    {"ThMutex", {"ThEvent"}},
    {"StringUtilsLocaleCache", {}},
    {"ProtectedAtomicOperations", {"ThMutex"}},
    {"MemoryManager", {"ThMutex", "ProtectedAtomicOperations"}},
    {"TrackedMallocFree", {"MemoryManager"}},
    {"PathManager", {"TrackedMallocFree", "MemoryManager"}},
    {"FileManager", {"PathManager", "MemoryManager"}},
};

TEST(CoreInitTest, BaseStartsTenServicesInDependencyOrderAndKeepsStopRecords) {
    ReportCapture capture;
    ASSERT_EQ(InitTQCoreBase(), kErrNone);
    std::vector<TQServiceRecord> records = Records();
    ASSERT_EQ(records.size(), 10u);
    std::map<std::string, size_t> position;
    for (size_t i = 0; i < records.size(); ++i) {
        position[records[i].name] = i;
        EXPECT_EQ(records[i].startResult, kErrNone);
        EXPECT_EQ(records[i].running, 1);
        EXPECT_LE(MillisecCmp(records[i].startBegin, records[i].startEnd), 0);
    }
    ASSERT_EQ(position.size(), 10u);
    for (const auto& [name, deps] : kBaseDependencies) {
        ASSERT_TRUE(position.count(name)) << name;
        for (const std::string& d : deps) EXPECT_LT(position[d], position[name]) << d << " before " << name;
    }
    // A short buffer still learns the full count.
    TQServiceRecord one;
    EXPECT_EQ(TQCoreBaseServiceRecords(&one, 1), 10);
    EXPECT_EQ(std::string(one.name), records[0].name);

    EXPECT_EQ(UninitTQCoreBase(), kErrNone);
    records = Records();
    ASSERT_EQ(records.size(), 10u);
    for (const TQServiceRecord& r : records) {
        EXPECT_EQ(r.running, 0) << r.name;
        EXPECT_EQ(r.stopResult, kErrNone);
        EXPECT_LE(MillisecCmp(r.startEnd, r.stopBegin), 0);
    }
    EXPECT_EQ(UninitTQCoreBase(), kErrNone);
    EXPECT_EQ(RegistryReports(capture), 0u);
}

TEST(CoreInitTest, BaseTwiceCountsStartsAndHostRegistryNeedsUnstartedDependencies) {
    ASSERT_EQ(InitTQCoreBase(), kErrNone);
    ASSERT_EQ(InitTQCoreAppSupport(), kErrNone);
    EXPECT_EQ(InitTQCoreAppSupport(), kErrNone);

    // ThThread was started directly, so a host registry with OccurrenceManager misses it.
    ReportCapture capture;
    IServiceObject* host[] = {OccurrenceManagerService(), HardWaitBehaviorService(), nullptr};
    IServiceRegistry* registry = CreateServiceRegistry(host);
    ASSERT_NE(registry, nullptr);
    EXPECT_EQ(registry->InitAll(), kErrNone);
    ASSERT_EQ(capture.All().size(), 1u);
    EXPECT_NE(capture.All()[0].text.find("that does not exist!"), std::string::npos);
    registry->Release();

    // With the app-support services in it, the host registry starts; the shared ones only gain a count.
    IServiceObject* full[] = {OccurrenceManagerService(),           HardWaitBehaviorService(),
                              tq::threads::ThThreadService(),       tq::config::ConfigManagerService(),
                              tq::config::ConfigCoreTypesService(), nullptr};
    registry = CreateServiceRegistry(full);
    EXPECT_EQ(registry->InitAll(), kErrNone);
    EXPECT_EQ(registry->UninitAll(), kErrNone);
    registry->Release();
    EXPECT_EQ(UninitTQCoreAppSupport(), kErrNone);
    EXPECT_EQ(UninitTQCoreAppSupport(), kErrNone);
    EXPECT_EQ(UninitTQCoreBase(), kErrNone);
    EXPECT_EQ(RegistryReports(capture), 1u);
}

}  // namespace
