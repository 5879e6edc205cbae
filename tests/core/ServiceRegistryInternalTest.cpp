#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ServiceDependencyList.h"
#include "core/ServiceRegistry.h"
#include "support/ReportCapture.h"

namespace {

std::vector<std::string> gLog;

class FakeService final : public IServiceObject {
  public:
    std::string name = "fake";
    std::vector<IServiceObject*> deps;
    TqErr initResult = kErrNone;
    TqErr uninitResult = kErrNone;

    TqErr Init() override {
        gLog.push_back("init " + name);
        return initResult;
    }
    TqErr Uninit() override {
        gLog.push_back("uninit " + name);
        return uninitResult;
    }
    const char* Name() override { return name.c_str(); }
    void Dependencies(IServiceDependencyList& list) override {
        for (IServiceObject* d : deps) list.Add(d);
    }
};

// Services in one array: their addresses rise with the index, which decides ties.
struct Services {
    FakeService s[4];
    Services() {
        for (int i = 0; i < 4; ++i) s[i].name = "s" + std::to_string(i);
    }
};

class ServiceRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { gLog.clear(); }
    void TearDown() override {
        if (registry) registry->Release();
    }
    tq::core::ServiceRegistry* Make(std::vector<IServiceObject*> services) {
        services.push_back(nullptr);
        registry = static_cast<tq::core::ServiceRegistry*>(CreateServiceRegistry(services.data()));
        return registry;
    }
    tq::core::ServiceRegistry* registry = nullptr;
};

TEST_F(ServiceRegistryTest, StartsAfterDependenciesWithTiesByAddressAndStopsInReverse) {
    Services v;
    v.s[0].deps = {&v.s[2]};
    v.s[3].deps = {&v.s[1], &v.s[1]};  // a dependency listed twice is still met once started
    Make({&v.s[3], &v.s[2], &v.s[1], &v.s[0]});
    ASSERT_EQ(registry->InitAll(), kErrNone);
    // s0 waits for s2; after each start the scan begins again at the lowest address.
    EXPECT_EQ(gLog, (std::vector<std::string>{"init s1", "init s2", "init s0", "init s3"}));
    EXPECT_EQ(registry->StartedCount(), 4);
    for (auto& s : v.s) EXPECT_TRUE(tq::core::IsServiceStarted(&s));
    const auto& order = registry->StartOrder();
    EXPECT_LE(order[0]->startBegin, order[0]->startEnd);
    gLog.clear();
    ASSERT_EQ(registry->UninitAll(), kErrNone);
    EXPECT_EQ(gLog, (std::vector<std::string>{"uninit s3", "uninit s0", "uninit s2", "uninit s1"}));
    EXPECT_EQ(registry->StartedCount(), 0);
    for (auto& s : v.s) EXPECT_FALSE(tq::core::IsServiceStarted(&s));
    gLog.clear();
    EXPECT_EQ(registry->UninitAll(), kErrNone);
    EXPECT_TRUE(gLog.empty());
}

TEST_F(ServiceRegistryTest, CycleIsReportedAndEmptiesRegistry) {
    ReportCapture capture;
    Services v;
    v.s[0].deps = {&v.s[1]};
    v.s[1].deps = {&v.s[0]};
    Make({&v.s[0], &v.s[1], &v.s[2]});
    EXPECT_EQ(registry->InitAll(), kErrNone);
    EXPECT_TRUE(gLog.empty());
    EXPECT_EQ(registry->Size(), 0u);
    EXPECT_FALSE(registry->IsRegistered(&v.s[2]));
    ASSERT_EQ(capture.All().size(), 1u);
    EXPECT_EQ(capture.All()[0].level, kDbgFatal);
    EXPECT_EQ(capture.All()[0].file, "source\\ServiceRegistry");
    EXPECT_EQ(capture.All()[0].text, "ServiceRegistry: Service dependencies form a cycle.");
}

TEST_F(ServiceRegistryTest, MissingDependencyStartsNothing) {
    ReportCapture capture;
    Services v;
    v.s[1].deps = {&v.s[3]};
    Make({&v.s[0], &v.s[1]});
    EXPECT_EQ(registry->InitAll(), kErrNone);
    EXPECT_TRUE(gLog.empty());
    EXPECT_TRUE(registry->StartOrder().empty());
    EXPECT_EQ(registry->Size(), 2u);
    ASSERT_EQ(capture.All().size(), 1u);
    EXPECT_EQ(capture.All()[0].level, kDbgFatal);
    EXPECT_EQ(capture.All()[0].text,
              "ServiceRegistry: Service \"s1\" has a dependency \"s3\" that does not exist!");
}

TEST_F(ServiceRegistryTest, DependencyStartedByAnotherRegistryIsMet) {
    Services v;
    v.s[1].deps = {&v.s[0]};
    IServiceObject* first[] = {&v.s[0], nullptr};
    IServiceRegistry* other = CreateServiceRegistry(first);
    ASSERT_EQ(other->InitAll(), kErrNone);
    Make({&v.s[1]});
    EXPECT_EQ(registry->InitAll(), kErrNone);
    EXPECT_EQ(gLog, (std::vector<std::string>{"init s0", "init s1"}));
    EXPECT_EQ(registry->UninitAll(), kErrNone);
    EXPECT_EQ(other->UninitAll(), kErrNone);
    other->Release();
    // Once stopped, the dependency is missing again.
    ReportCapture capture;
    gLog.clear();
    EXPECT_EQ(registry->InitAll(), kErrNone);
    EXPECT_TRUE(gLog.empty());
    EXPECT_EQ(capture.All().size(), 1u);
}

TEST_F(ServiceRegistryTest, DuplicateInArrayIsReportedByNameAndRegisteredOnce) {
    ReportCapture capture;
    Services v;
    Make({&v.s[0], &v.s[1], &v.s[0]});
    ASSERT_NE(registry, nullptr);
    EXPECT_EQ(registry->Size(), 2u);
    ASSERT_EQ(capture.All().size(), 1u);
    EXPECT_EQ(capture.All()[0].level, kDbgFatal);
    EXPECT_EQ(capture.All()[0].text,
              "ServiceRegistry: A service has already been registered that has the name \"s0\".");
    EXPECT_EQ(CreateServiceRegistry(nullptr), nullptr);
}

TEST_F(ServiceRegistryTest, RegisterAndUnregisterRules) {
    ReportCapture capture;
    Services v;
    Make({});
    EXPECT_EQ(registry->Register(nullptr), kErrArgument);
    EXPECT_EQ(registry->Register(&v.s[0]), kErrNone);
    EXPECT_EQ(registry->Register(&v.s[0]), kErrArgument);
    EXPECT_TRUE(capture.All().empty());
    EXPECT_EQ(registry->Unregister(&v.s[1]), kErrArgument);
    EXPECT_EQ(registry->Unregister(nullptr), kErrArgument);
    EXPECT_EQ(registry->Register(&v.s[1]), kErrNone);
    ASSERT_EQ(registry->InitAll(), kErrNone);
    EXPECT_EQ(registry->Register(&v.s[2]), kErrGeneric);
    EXPECT_EQ(registry->Unregister(&v.s[0]), kErrGeneric);
    EXPECT_TRUE(registry->IsRegistered(&v.s[0]));
    ASSERT_EQ(registry->UninitAll(), kErrNone);
    EXPECT_EQ(registry->Unregister(&v.s[0]), kErrNone);
    EXPECT_FALSE(registry->IsRegistered(&v.s[0]));
    EXPECT_EQ(registry->Register(&v.s[2]), kErrNone);
}

TEST_F(ServiceRegistryTest, FailingStartStopsInitAllAndFailingStopStopsUninitAll) {
    ReportCapture capture;
    Services v;
    v.s[1].initResult = kErrNotFound;
    Make({&v.s[0], &v.s[1], &v.s[2]});
    EXPECT_EQ(registry->InitAll(), kErrNotFound);
    EXPECT_EQ(gLog, (std::vector<std::string>{"init s0", "init s1"}));
    EXPECT_EQ(registry->StartedCount(), 1);
    ASSERT_EQ(capture.All().size(), 1u);
    EXPECT_EQ(capture.All()[0].level, kDbgNote);
    EXPECT_EQ(capture.All()[0].text, "ServiceRegistry: Service s1 init failed with error 7");
    EXPECT_EQ(registry->StartOrder()[1]->startResult, kErrNotFound);

    v.s[0].uninitResult = kErrIO;
    gLog.clear();
    EXPECT_EQ(registry->UninitAll(), kErrIO);
    EXPECT_EQ(registry->StartedCount(), 1);
    EXPECT_TRUE(tq::core::IsServiceStarted(&v.s[0]));
    EXPECT_EQ(capture.All().back().text, "ServiceRegistry: Service s0 uninit failed with error 6");
    v.s[0].uninitResult = kErrNone;
    EXPECT_EQ(registry->UninitAll(), kErrNone);
    EXPECT_EQ(registry->StartedCount(), 0);
}

TEST(ServiceDependencyListTest, AddAndAtReportMisuse) {
    ReportCapture capture;
    tq::core::ServiceDependencyList list;
    FakeService a;
    list.Add(nullptr);
    ASSERT_EQ(capture.All().size(), 1u);
    EXPECT_EQ(capture.All()[0].level, kDbgError);
    EXPECT_EQ(capture.All()[0].file, "source\\ServiceDependencyList");
    EXPECT_EQ(capture.All()[0].text, "Cannot add null service dependency to dependency list.");
    EXPECT_EQ(list.Count(), 0);
    list.Add(&a);
    list.Add(&a);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(1), &a);
    EXPECT_EQ(list.At(2), nullptr);
    EXPECT_EQ(capture.All().back().level, kDbgFatal);
    EXPECT_EQ(capture.All().back().text, "Service dependency index 2 not in range 0..2");
    EXPECT_EQ(list.At(-1), nullptr);

    while (list.Count() < tq::core::ServiceDependencyList::kMaxEntries) list.Add(&a);
    const size_t before = capture.All().size();
    list.Add(&a);
    EXPECT_EQ(list.Count(), 1024);
    ASSERT_EQ(capture.All().size(), before + 1);
    EXPECT_EQ(capture.All().back().text, "Too many service dependencies (1024).");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

class CountingService final : public RefcountedServiceObject_T<CountingService> {
  public:
    static inline int initCalls = 0;
    static inline int uninitCalls = 0;
    static inline TqErr result = kErrNone;
    static inline TqErr reentrantResult = -1;

    const char* Name() override { return "Counting"; }
    void Dependencies(IServiceDependencyList&) override {}
    TqErr InitService() override {
        ++initCalls;
        // A start asked for while the first is still running sees the creation value.
        reentrantResult = Init();
        return result;
    }
    TqErr UninitService() override {
        ++uninitCalls;
        return kErrEndOfFile;
    }
};

TEST(RefcountedServiceTest, FirstStartRunsOnceAndLastStopDestroys) {
    CountingService::initCalls = CountingService::uninitCalls = 0;
    CountingService::result = kErrNotFound;
    CountingService* s = CountingService::Get();
    EXPECT_EQ(s->StartCount(), 0);
    EXPECT_EQ(s->Init(), kErrNotFound);
    EXPECT_EQ(CountingService::reentrantResult, kErrGeneric);
    // The failed first start's result stays the answer.
    CountingService::result = kErrNone;
    EXPECT_EQ(s->Init(), kErrNotFound);
    EXPECT_EQ(CountingService::initCalls, 1);
    // Init ran three times counting the re-entrant one: three stops bring it down.
    EXPECT_EQ(s->Uninit(), kErrNone);
    EXPECT_EQ(s->Uninit(), kErrNone);
    EXPECT_EQ(CountingService::uninitCalls, 0);
    EXPECT_EQ(CountingService::Peek(), s);
    EXPECT_EQ(s->Uninit(), kErrEndOfFile);
    EXPECT_EQ(CountingService::uninitCalls, 1);
    EXPECT_EQ(CountingService::Peek(), nullptr);
    CountingService* fresh = CountingService::Get();
    EXPECT_EQ(fresh->StartCount(), 0);
    EXPECT_EQ(fresh->Init(), kErrNone);
    EXPECT_EQ(fresh->Uninit(), kErrNone);
    EXPECT_EQ(fresh->Uninit(), kErrEndOfFile);
}

}  // namespace
