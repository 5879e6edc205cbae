#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "tqcore/core.h"

namespace {

class FakeApp final : public TQAppInterface {
  public:
    explicit FakeApp(int32 base) : base_(base) {}
    const char* ProductName() override { return "product"; }
    const char* AppName() override { return "app"; }
    int32 AppAPIVersion() override { return base_ + 1; }
    int32 AppEditorVersion() override { return base_ + 2; }
    const char* BuiltAppName() override { return "built"; }
    bool IsTopLevel() override { return base_ & 1; }
    bool IsBoundApp() override { return base_ & 2; }
    bool IsRunTime() override { return base_ & 4; }
    bool IsFullFeatureRunTime() override { return base_ & 8; }
    bool IsEmbeddedRunTime() override { return false; }
    void PrepareAppFileName() override {}
    bool AcceptsLeadingPlus() override { return false; }
    const char* LanguageName() override { return "English"; }
    int32 StringResourceRefNum() override { return 0; }

  private:
    int32 base_;
};

std::vector<int32> Ask(TQAppInterface* app) {
    return {TQGetAppAPIVersion(app), TQGetAppEditorVersion(app), TQGetIsTopLevel(app),
            TQGetIsBoundApp(app),    TQGetIsRunTime(app),        TQGetIsFullFeatureRunTime(app)};
}

TEST(AppInterfaceTest, QueriesUseGivenThenInstalledInterfaceElseZero) {
    ASSERT_EQ(TQApp(), nullptr);
    EXPECT_EQ(Ask(nullptr), std::vector<int32>(6, 0));
    FakeApp installed(0x10 | 1 | 4);  // top level, run-time
    FakeApp given(2 | 8);             // bound, full-feature
    EXPECT_EQ(Ask(&given), (std::vector<int32>{11, 12, 0, 1, 0, 1}));
    TQAppInterfaceSet(&installed);
    EXPECT_EQ(TQApp(), &installed);
    EXPECT_EQ(Ask(nullptr), (std::vector<int32>{22, 23, 1, 0, 1, 0}));
    EXPECT_EQ(Ask(&given), (std::vector<int32>{11, 12, 0, 1, 0, 1}));
    TQAppInterfaceSet(nullptr);
    EXPECT_EQ(TQGetIsRunTime(nullptr), 0);
}

std::vector<std::string> gDestroyed;

struct Singleton {
    std::string name;
    explicit Singleton(std::string n) : name(std::move(n)) {}
    ~Singleton() { gDestroyed.push_back(name); }
};

TEST(PlacementCleanupTest, RunsLastRegisteredFirstAndOnlyOnce) {
    alignas(Singleton) static unsigned char storage[3][sizeof(Singleton)];
    const char* names[] = {"first", "second", "third"};
    for (int i = 0; i < 3; ++i) {
        auto* s = new (storage[i]) Singleton(names[i]);
        TQPlacementNewRegisterDeletor(new TQPlacementDelete<Singleton>(s));
    }
    TQPlacementNewRegisterDeletor(nullptr);
    gDestroyed.clear();
    TQPlacementNewRunCleanup();
    EXPECT_EQ(gDestroyed, (std::vector<std::string>{"third", "second", "first"}));
    TQPlacementNewRunCleanup();
    EXPECT_EQ(gDestroyed.size(), 3u);
}

class Named final : public TQUnknown {
  public:
    int32 AddRef() override { return ++refs_; }
    int32 Release() override { return --refs_; }
    void WriteToDebugStream(DebugStream& stream) const override { stream.Append("Named object"); }

  private:
    int32 refs_ = 1;
};

TEST(TQUnknownTest, ClassIdAndDebugText) {
    const PKGuidType& id = TQUnknown::ClassID();
    const unsigned char tail[8] = {0x96, 0x2c, 0xfe, 0x1b, 0x55, 0x47, 0xf5, 0x29};
    EXPECT_EQ(id.data1, 0x04c7fa68u);
    EXPECT_EQ(id.data2, 0x5a10u);
    EXPECT_EQ(id.data3, 0x49d3u);
    EXPECT_EQ(std::memcmp(id.data4, tail, 8), 0);

    Named object;
    DebugStream s("unit", 1, "r", kDbgNote);
    ToDebugStream(s, static_cast<const TQUnknown*>(&object));
    s.Append(" / ");
    ToDebugStream(s, static_cast<const TQUnknown*>(nullptr));
    EXPECT_STREQ(s.Text(), "Named object / <invalid TQUnknown object>");
}

}  // namespace
