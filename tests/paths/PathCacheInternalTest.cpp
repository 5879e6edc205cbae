#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "PathTestSupport.h"
#include "clocks/MillisecsOffset.h"
#include "paths/PathCache.h"
#include "paths/PathItemElement.h"
#include "paths/PathItemStorage.h"
#include "paths/PathManagerImplementation.h"
#include "support/ReportCapture.h"
#include "tqcore/clocks.h"

namespace {

// Moves the millisecond clock forward for the life of the object.
class ClockAdvance {
  public:
    ClockAdvance() : start_(tq::MilliSecsOffset()) {}
    ~ClockAdvance() { tq::SetMilliSecsOffset(start_); }
    void By(uInt32 ms) { tq::SetMilliSecsOffset(tq::MilliSecsOffset() + ms); }

  private:
    uInt32 start_;
};

// Counts its destructions, so replacement and flushing can be seen to delete.
struct Counted : PathRef::CachedInt32 {
    Counted(std::atomic<int>* gone, uInt32 life, PathRef::RelationToMetaData r)
        : CachedInt32(life, 7, r), gone_(gone) {}
    ~Counted() override { ++*gone_; }
    std::atomic<int>* gone_;
};

const PathRef::CachedItem* Find(const PathRef& p, const char* key, const char* cls, int32 direction,
                                const PathItemElement** at = nullptr) {
    tq::paths::PathLock lock;
    return tq::paths::FindCachedLocked(p.Element(), key, cls, direction, at);
}

// Lifetimes and steps are long against the real clock, which keeps running under the offset: the answers
// hold however slowly the test runs, short of minutes between two lines.
constexpr uInt32 kLife = 1000000;
constexpr uInt32 kSlack = 100000;

TEST(PathCachedItems, ExpiryAndRottenOnTheMillisecondClock) {
    ClockAdvance clock;
    PathRef::CachedBool item(kLife, true, PathRef::kDependsOnMetaData);
    EXPECT_FALSE(item.Expired());
    EXPECT_EQ(item.Rotten(), 0u) << "nothing is rotten before its expiry";
    clock.By(kLife - kSlack);
    EXPECT_FALSE(item.Expired());
    clock.By(kSlack);
    EXPECT_TRUE(item.Expired()) << "expired at the expiry itself";
    EXPECT_LT(item.Rotten(), kSlack);
    clock.By(5 * kSlack);
    EXPECT_GE(item.Rotten(), 5 * kSlack);
    EXPECT_LT(item.Rotten(), 6 * kSlack);
    item.ResetBool(kLife, false);
    EXPECT_FALSE(item.Expired());
    EXPECT_FALSE(item.Value());
}

TEST(PathCachedItems, ExpiryAcrossTheClockWrap) {
    ClockAdvance clock;
    tq::SetMilliSecsOffset(tq::MilliSecsOffset() - MilliSecs() - kSlack / 2);  // now: 2^32 - kSlack / 2
    PathRef::CachedInt32 item(2 * kSlack, 3, PathRef::kIndependentOfMetaData);
    clock.By(kSlack);  // past the wrap, still before the expiry
    EXPECT_FALSE(item.Expired());
    clock.By(3 * kSlack / 2);
    EXPECT_TRUE(item.Expired());
    EXPECT_GE(item.Rotten(), kSlack / 2);
    EXPECT_LT(item.Rotten(), 3 * kSlack / 2);
}

TEST(PathCachedItems, KindsAnswerTheirNamesAndSizes) {
    const PathRef p = MakePath(kBaseAbsolute, {"D", "kinds"});
    PathRef::CachedBool b(1, true, PathRef::kIndependentOfMetaData);
    PathRef::CachedInt32 i(1, 5, PathRef::kIndependentOfMetaData);
    PathRef::CachedPath c(1, p, PathRef::kDependsOnMetaData);
    PathRef::CachedPathString s(1, "text", PathRef::kDependsOnMetaData);
    EXPECT_STREQ(PathRef::CachedItem::ClassName(), "CachedItem");
    EXPECT_TRUE(b.IsA("CachedBool") && b.IsA("CachedItem") && !b.IsA("CachedInt32") && !b.IsA(nullptr));
    EXPECT_TRUE(i.IsA("CachedInt32") && i.IsA("CachedItem") && !i.IsA("CachedBool"));
    EXPECT_TRUE(c.IsA("CachedPath") && c.IsA("CachedItem") && !c.IsA("CachedPathString"));
    EXPECT_TRUE(s.IsA("CachedPathString") && s.IsA("CachedItem") && !s.IsA("CachedPath"));
    EXPECT_EQ(b.Size(), 24u);
    EXPECT_EQ(i.Size(), 24u);
    EXPECT_EQ(c.Size(), 40u);
    EXPECT_EQ(s.Size(), 48u + s.Value().capacity());
    EXPECT_FALSE(b.Invalidate());
    EXPECT_TRUE(c.Invalidate());
    EXPECT_TRUE(c.Value().Equals(p, kCompareExact));
    c.ResetPath(1, PathRef(kBaseAbsolute));
    EXPECT_EQ(c.Value().ItemCount(), 0);
    s.ResetString(1, "other");
    EXPECT_EQ(s.Value(), "other");
    EXPECT_EQ(i.Value(), 5);
}

TEST(PathElementCache, StoreReplaceAndLookUpByDirection) {
    std::atomic<int> gone{0};
    PathRef parent = MakePath(kBaseAbsolute, {"D", "cache", "dir"});
    PathRef child = parent;
    child.Append("file");
    EXPECT_EQ(PathRef().Cache("k", new Counted(&gone, 1000, PathRef::kDependsOnMetaData)), 1);
    EXPECT_EQ(gone.load(), 1) << "a refused item is deleted, not leaked";
    ASSERT_EQ(parent.Cache("k", new Counted(&gone, 1000, PathRef::kDependsOnMetaData)), 0);
    ASSERT_EQ(parent.Cache("k", new Counted(&gone, 1000, PathRef::kDependsOnMetaData)), 0);
    EXPECT_EQ(gone.load(), 2) << "the replaced item is deleted";

    const PathItemElement* at = nullptr;
    EXPECT_NE(Find(child, "k", "CachedInt32", PathRef::kSearchUp, &at), nullptr);
    EXPECT_EQ(at, parent.Element());
    EXPECT_EQ(Find(child, "k", "CachedInt32", PathRef::kSearchHere), nullptr);
    EXPECT_EQ(Find(child, "k", "CachedBool", PathRef::kSearchUp), nullptr) << "the class must match";
    const PathRef top = MakePath(kBaseAbsolute, {"D", "cache"});
    EXPECT_NE(Find(top, "k", "CachedItem", PathRef::kSearchDown, &at), nullptr);
    EXPECT_EQ(at, parent.Element());
    EXPECT_EQ(Find(top, "k", "CachedItem", PathRef::kSearchUp), nullptr);

    // The nearest holder wins, even when its item does not count.
    ASSERT_EQ(child.Cache("k", new PathRef::CachedBool(1000, true, PathRef::kDependsOnMetaData)), 0);
    EXPECT_EQ(Find(child, "k", "CachedInt32", PathRef::kSearchUp, &at), nullptr);
    EXPECT_EQ(at, child.Element());
    child.FlushCache();
    parent.FlushCache();
    EXPECT_EQ(gone.load(), 3);
}

TEST(PathElementCache, ExpiredItemsAreNotFound) {
    ClockAdvance clock;
    const PathRef p = MakePath(kBaseAbsolute, {"D", "expiring"});
    ASSERT_EQ(p.Cache("IsSpecial", new PathRef::CachedBool(kLife, true, PathRef::kIndependentOfMetaData)), 0);
    EXPECT_NE(Find(p, "IsSpecial", "CachedBool", PathRef::kSearchHere), nullptr);
    clock.By(kLife);
    EXPECT_EQ(Find(p, "IsSpecial", "CachedBool", PathRef::kSearchHere), nullptr);
    EXPECT_EQ(PathRef(p).FlushCache(), 24u + tq::paths::kCacheEntryBytes + tq::paths::kCacheMapBytes);
}

TEST(PathElementCache, FlushKeepsTextAndDropsMetadataAndExpiredItems) {
    ClockAdvance clock;
    std::atomic<int> gone{0};
    PathRef p = MakePath(kBaseAbsolute, {"D", "flush", "me"});
    const std::string text = p.ToString(PathRef::StringDisplay());
    ASSERT_EQ(p.Cache("meta", new Counted(&gone, 10 * kLife, PathRef::kDependsOnMetaData)), 0);
    ASSERT_EQ(p.Cache("short", new Counted(&gone, kLife, PathRef::kIndependentOfMetaData)), 0);
    ASSERT_EQ(p.Cache("long", new Counted(&gone, 10 * kLife, PathRef::kIndependentOfMetaData)), 0);
    EXPECT_EQ(p.FlushCache(), 24u + tq::paths::kCacheEntryBytes) << "only the metadata item goes at first";
    EXPECT_EQ(gone.load(), 1);
    clock.By(kLife);
    EXPECT_EQ(p.FlushCache(), 24u + tq::paths::kCacheEntryBytes);
    EXPECT_EQ(gone.load(), 2);
    EXPECT_NE(Find(p, "internal_display", "CachedPathString", PathRef::kSearchHere), nullptr)
        << "converted text survives flushes";
    EXPECT_NE(Find(p, "long", "CachedInt32", PathRef::kSearchHere), nullptr);
    EXPECT_EQ(PathRef().FlushCache(), 0u);
}

TEST(PathElementCache, CachedPathsOnDyingElementsAreReleased) {
    const PathRef e = MakePath(kBaseAbsolute, {"E"}), d = MakePath(kBaseAbsolute, {"Dying"});
    {
        PathRef holder = MakePath(kBaseAbsolute, {"Dying", "holder"});
        PathRef target = MakePath(kBaseAbsolute, {"E", "target", "deep"});
        ASSERT_EQ(holder.Cache("_pathref_corrected_case_",
                               new PathRef::CachedPath(100000, target, PathRef::kDependsOnMetaData)),
                  0);
        ASSERT_EQ(
            target.Cache("x", new PathRef::CachedPath(100000, MakePath(kBaseAbsolute, {"Dying", "other"}),
                                                      PathRef::kIndependentOfMetaData)),
            0);
    }
    // holder's element dies with its cache, which held the last use of target's chain, whose cache held
    // the last use of Dying/other: every element below the two anchors is gone.
    EXPECT_TRUE(e.Element()->children.empty());
    EXPECT_TRUE(d.Element()->children.empty());
    EXPECT_EQ(e.Element()->retains.load(), 1);
}

TEST(PathStandardLocations, RegisterOnceAndLookUp) {
    const PathRef app = MakePath(kBaseAbsolute, {"opt", "app"});
    EXPECT_STREQ(PathRef::ApplicationPath(), "os_app");
    EXPECT_STREQ(PathRef::TempDir(), "os_temp");
    EXPECT_STREQ(PathRef::PreferenceDir(), "os_pref");
    EXPECT_STREQ(PathRef::DocumentsDir(), "os_doc");
    EXPECT_PKEXCEPT(PathRef("test_loc_missing"), kErrArgument, "Unknown standardLocationName");
    EXPECT_EQ(PathRef(app).AssignToName("test_loc_app"), 0);
    EXPECT_EQ(MakePath(kBaseAbsolute, {"elsewhere"}).AssignToName("test_loc_app"), 1);
    EXPECT_EQ(PathRef().AssignToName("test_loc_none"), 1);
    const PathRef found("test_loc_app");
    EXPECT_EQ(found.Element(), app.Element());
    EXPECT_PKEXCEPT(PathRef(static_cast<const char*>(nullptr)), kErrArgument, "Unknown standardLocationName");
}

// The pool figures count whole buffers of 512 slots.
constexpr uInt64 kBuffer = 49168;

TEST(PathStorage, ABufferOfReleasedElementsIsCollected) {
    PathRef::GarbageCollect(1);
    const uInt64 start = tq::paths::StorageBytes();
    {
        std::vector<PathRef> paths;
        PathRef base = MakePath(kBaseAbsolute, {"D", "pool"});
        for (int i = 0; i < 1100; ++i) {
            PathRef p = base;
            p.Append("n" + std::to_string(i));
            paths.push_back(p);
        }
        EXPECT_GE(tq::paths::StorageBytes(), start + 2 * kBuffer);
    }
    ReportCapture capture;
    const uInt64 reclaimed = PathRef::GarbageCollect(1);
    EXPECT_GE(reclaimed, kBuffer);
    EXPECT_EQ(reclaimed % kBuffer, 0u);
    EXPECT_LE(tq::paths::StorageBytes(), start);
    EXPECT_EQ(ReportCapture::Count(kDbgNote,
                                   "Path Garbage Collect: " + std::to_string(reclaimed) + " bytes reclaimed"),
              1);
    EXPECT_EQ(PathRef::GarbageCollect(0), 0u) << "method 0 frees nothing";
}

TEST(PathStorage, MethodTwoReportsElementsHeldBeyondTheirChildren) {
    ReportCapture capture;
    const PathRef held = MakePath(kBaseAbsolute, {"D", "leaky"});
    PathRef::GarbageCollect(2);
    EXPECT_EQ(ReportCapture::Count(kDbgWarn, "Leaked Path Element: 1 refs to leaky"), 1);
}

// Four threads build, copy and drop paths while collections run: no element still referenced is ever
// freed, and when the last path is gone the pool is back at its starting size.
TEST(PathStorage, CollectionNeverFreesAReferencedElement) {
    PathRef::GarbageCollect(1);
    const uInt64 start = tq::paths::StorageBytes();
    constexpr int kThreads = 4, kRounds = 400;
    std::atomic<int> broken{0};
    std::atomic<bool> done{false};
    std::thread collector([&] {
        while (!done.load()) PathRef::GarbageCollect(1);
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < kRounds; ++r) {
                std::vector<PathRef> kept;
                PathRef p = MakePath(kBaseAbsolute, {"gc", ("t" + std::to_string(t)).c_str()});
                for (int k = 0; k < 40; ++k) {
                    p.Append("r" + std::to_string(r) + "k" + std::to_string(k));
                    kept.push_back(p);
                    if (k % 7 == 0) p = p.GetParentDirectory();
                }
                for (size_t k = 0; k < kept.size(); k += 3) {
                    const PathRef copy = kept[k];
                    if (!copy.IsValid() || copy.Name().rfind("r" + std::to_string(r), 0) != 0) ++broken;
                }
                if (!kept.back().IsSane(false)) ++broken;
            }
        });
    }
    for (auto& th : threads) th.join();
    done = true;
    collector.join();
    EXPECT_EQ(broken.load(), 0);
    PathRef::GarbageCollect(1);
    EXPECT_EQ(tq::paths::StorageBytes(), start);
}

}  // namespace
