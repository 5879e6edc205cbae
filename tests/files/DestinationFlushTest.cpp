// The file manager forgets what was cached about a path before it changes what the path names.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FilesTestSupport.h"
#include "tqcore/core.h"
#include "tqcore/files.h"
#include "tqcore/paths.h"

namespace {

namespace fs = std::filesystem;
using tq::test::CachedPathFlavor;
using tq::test::ScratchFolder;

constexpr uInt32 kLongLifetimeMs = 100000;

// Caches a metadata fact on p; true when the path's memory still holds it afterwards.
class CachedFact {
  public:
    explicit CachedFact(PathRef& p) : path_(p) {
        EXPECT_EQ(p.Cache("meta", new PathRef::CachedInt32(kLongLifetimeMs, 1, PathRef::kDependsOnMetaData)),
                  0);
        withFact_ = p.MemorySize();
    }
    bool Kept() const { return path_.MemorySize() >= withFact_; }

  private:
    PathRef& path_;
    uInt64 withFact_ = 0;
};

TqErr OpenAndClose(Path p, int32 mode) {
    File fd = 0;
    const TqErr err = FMOpen(&fd, p, mode, kDenyNone);
    if (fd) FMClose(fd);
    return err;
}

TqErr CreateAndClose(Path p, bool always) {
    File fd = 0;
    const TqErr err = always ? FCreateAlways(&fd, p, 0666, kOpenWrite, kDenyNone, nullptr)
                             : FCreate(&fd, p, 0666, kOpenWrite, kDenyNone, nullptr);
    if (fd) FMClose(fd);
    return err;
}

struct Change {
    const char* what;
    // Changes target (made beforehand as the existing file "old.txt" unless it is named "new"); source is
    // the existing "src.txt".
    bool targetExists;
    std::function<TqErr(PathRef& source, PathRef& target)> run;
};

const std::vector<Change>& Changes() {
    static const std::vector<Change> changes = {
        {"FCreate", false, [](PathRef&, PathRef& t) { return CreateAndClose(&t, false); }},
        {"FCreateAlways", true, [](PathRef&, PathRef& t) { return CreateAndClose(&t, true); }},
        {"FMOpen for writing", true, [](PathRef&, PathRef& t) { return OpenAndClose(&t, kOpenWrite); }},
        {"FMOpen truncating", true,
         [](PathRef&, PathRef& t) { return OpenAndClose(&t, kOpenWriteTruncate); }},
        {"FCopy", false, [](PathRef& s, PathRef& t) { return FCopy(&s, &t); }},
        {"FMove", false, [](PathRef& s, PathRef& t) { return FMove(&s, &t); }},
        {"FMoveInto", true, [](PathRef& s, PathRef& t) { return FMoveInto(&s, &t); }},
        {"FRemove", true, [](PathRef&, PathRef& t) { return FRemove(&t); }},
        {"FNewDir", false, [](PathRef&, PathRef& t) { return FNewDir(&t, 0777); }},
        {"FSetAccessRights", true,
         [](PathRef&, PathRef& t) {
             int32 perm = 0644;
             return FSetAccessRights(&t, nullptr, nullptr, &perm);
         }},
        {"FSetInfo64", true,
         [](PathRef&, PathRef& t) {
             FileInfoRec64 rec{};
             if (const TqErr err = FGetInfo64(&t, &rec, 0xEFFFFFFFu)) return err;
             return FSetInfo64(&t, &rec);
         }},
    };
    return changes;
}

TEST(DestinationFlush, EveryChangeForgetsTheTargetsCachedFacts) {
    for (const Change& change : Changes()) {
        SCOPED_TRACE(change.what);
        ScratchFolder scratch;
        scratch.File("src.txt", "source");
        if (change.targetExists) scratch.File("old.txt", "target");
        PathRef source = scratch.Ref("src.txt");
        PathRef target = scratch.Ref(change.targetExists ? "old.txt" : "new");
        const CachedFact fact(target);
        EXPECT_EQ(change.run(source, target), 0);
        EXPECT_FALSE(fact.Kept());
    }
}

TEST(DestinationFlush, MovesForgetTheSourceToo) {
    ScratchFolder scratch;
    scratch.File("src.txt", "source");
    scratch.File("old.txt", "target");
    PathRef source = scratch.Ref("src.txt"), moved = scratch.Ref("moved.txt"), into = scratch.Ref("old.txt");
    {
        const CachedFact fact(source);
        EXPECT_EQ(FMove(&source, &moved), 0);
        EXPECT_FALSE(fact.Kept());
    }
    const CachedFact fact(moved);
    EXPECT_EQ(FMoveInto(&moved, &into), 0);
    EXPECT_FALSE(fact.Kept());
}

TEST(DestinationFlush, ReadingAndFailedRecyclingAlike) {
    ScratchFolder scratch;
    scratch.File("old.txt", "target");
    PathRef existing = scratch.Ref("old.txt"), missing = scratch.Ref("missing.txt");
    {
        const CachedFact fact(existing);
        EXPECT_EQ(OpenAndClose(&existing, kOpenRead), 0);
        EXPECT_TRUE(fact.Kept()) << "reading changes nothing";
    }
    const CachedFact fact(missing);
    EXPECT_EQ(FRemoveToRecycle(&missing, 0), kErrNotFound);
    EXPECT_FALSE(fact.Kept()) << "the facts go before the file system is asked";
}

TEST(DestinationFlush, ACreatedFileIsNoLongerKnownMissing) {
    ScratchFolder scratch;
    PathRef made = scratch.Ref("made.txt");
    ASSERT_EQ(made.Cache("FExists", new CachedPathFlavor(false, false)), 0);
    EXPECT_THROW(made.Size(PathRef::kLogicalSize), PKExcept);
    File fd = 0;
    ASSERT_EQ(FCreate(&fd, &made, 0666, kOpenWrite, kDenyNone, nullptr), 0);
    int32 written = 0;
    EXPECT_EQ(FMWrite(fd, 3, &written, reinterpret_cast<UPtr>(const_cast<char*>("abc"))), 0);
    EXPECT_EQ(FMClose(fd), 0);
    EXPECT_EQ(made.Size(PathRef::kLogicalSize), 3u);
}

}  // namespace
