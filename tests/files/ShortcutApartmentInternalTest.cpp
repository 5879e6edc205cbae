// Shortcut resolution from threads in each COM apartment: the link is resolved whatever the calling thread's
// apartment, and that apartment is the same afterwards.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <thread>

#include "ShortcutFiles.h"
#include "platform/ComApartment.h"
#include "support/ScratchFolder.h"
#include "tqcore/files.h"

namespace tq::platform {
void PrintTo(ComApartment kind, std::ostream* os) {
    static const char* const kNames[] = {"none", "single-threaded", "multithreaded", "other"};
    *os << kNames[size_t(kind)];
}
}  // namespace tq::platform

namespace {

using tq::platform::ComApartment;
using tq::platform::ComCurrentApartment;
using tq::platform::ComEnterApartment;
using tq::platform::ComLeaveApartment;
using tq::test::ScratchFolder;

// A link to a file in a scratch folder, and the name the link resolves to.
class LinkedFile {
  public:
    LinkedFile() {
        target_ = scratch_.OsName("target.txt");
        scratch_.File("target.txt", "through the link");
        tq::test::ShellLinkParts parts;
        parts.localBasePath = tq::test::LinkText(scratch_.Ref("target.txt"));
        tq::test::WriteLink(scratch_ / "link.lnk", parts);
    }
    // Resolves the link on the calling thread; the name it gave, or "" when it did not.
    std::string Resolve() const {
        char name[260] = {};
        const std::string link = scratch_.OsName("link.lnk");
        std::memcpy(name, link.c_str(), link.size() + 1);
        return Win32ResolveShortCutExists(name, 0) == 1 ? std::string(name) : std::string();
    }
    const std::string& Target() const { return target_; }

  private:
    ScratchFolder scratch_;
    std::string target_;
};

struct Observed {
    ComApartment before = ComApartment::kOther;
    ComApartment after = ComApartment::kOther;
    std::string resolved;
};

// On a fresh thread: enter the apartment (none: leave COM alone), resolve, look again, and leave.
Observed ResolveIn(ComApartment kind, const LinkedFile& link) {
    Observed seen;
    std::thread([&] {
        const bool entered = kind != ComApartment::kNone && ComEnterApartment(kind);
        seen.before = ComCurrentApartment();
        seen.resolved = link.Resolve();
        seen.after = ComCurrentApartment();
        if (entered) ComLeaveApartment();
    }).join();
    return seen;
}

#if defined(_WIN32)

// A multithreaded caller is served by a thread of its own, a single-threaded one resolves in place, one
// without COM is left without it: each resolves and keeps its apartment.
TEST(ShortcutApartment, EveryCallerResolvesAndKeepsItsApartment) {
    LinkedFile link;
    for (const ComApartment kind :
         {ComApartment::kMultithreaded, ComApartment::kSingleThreaded, ComApartment::kNone}) {
        SCOPED_TRACE(::testing::PrintToString(kind));
        const Observed seen = ResolveIn(kind, link);
        ASSERT_EQ(seen.before, kind);
        EXPECT_EQ(seen.resolved, link.Target());
        EXPECT_EQ(seen.after, kind);
    }
}

TEST(ShortcutApartment, EnteringAndLeavingIsSeenByTheThreadAlone) {
    std::thread([] {
        ASSERT_TRUE(ComEnterApartment(ComApartment::kSingleThreaded));
        // Another kind on the same thread is refused, and the first one stays.
        EXPECT_FALSE(ComEnterApartment(ComApartment::kMultithreaded));
        EXPECT_EQ(ComCurrentApartment(), ComApartment::kSingleThreaded);
        std::thread([] { EXPECT_EQ(ComCurrentApartment(), ComApartment::kNone); }).join();
        ComLeaveApartment();
        EXPECT_EQ(ComCurrentApartment(), ComApartment::kNone);
    }).join();
}

#else

TEST(ShortcutApartment, WithoutComThereIsNoApartmentAndLinksStillResolve) {
    LinkedFile link;
    for (const ComApartment kind : {ComApartment::kMultithreaded, ComApartment::kSingleThreaded}) {
        std::thread([kind] { EXPECT_FALSE(ComEnterApartment(kind)); }).join();
        const Observed seen = ResolveIn(kind, link);
        EXPECT_EQ(seen.before, ComApartment::kNone);
        EXPECT_EQ(seen.resolved, link.Target());
        EXPECT_EQ(seen.after, ComApartment::kNone);
    }
}

#endif

}  // namespace
