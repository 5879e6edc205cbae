// Allocation failure in opening, adding to and saving a resource file: each allocation the operation makes
// fails once in turn; the operation answers kErrMemoryFull, leaks no handle, and the file then opens with the
// content it had before.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "ResTestSupport.h"
#include "support/AllocFailure.h"
#include "support/ScratchFolder.h"

namespace {

using namespace restest;
using tq::test::AllocationFailed;
using tq::test::AllocationsSucceed;
using tq::test::EachAllocationFailing;
using tq::test::NativePath;
using tq::test::ScratchFolder;
using tq::test::WriteText;

// Every resource of a file: (type, id) to (name, data).
using Contents = std::map<std::pair<ResType, int32>, std::pair<std::string, std::string>>;

const ResType kData = TQFourCC("DATA");
const ResType kText = TQFourCC("STR ");

const std::vector<Item> kItems = {{kData, 1, "first", ""},
                                  {kData, 2, std::string(300, 'b'), "two"},
                                  {kText, -5, "\x05hello", "greeting"},
                                  {kData, 128, std::string(5000, 'd'), ""}};

Contents ContentsOf(uInt32 ref) {
    const AllocationsSucceed on;
    Contents out;
    int32 types = 0;
    EXPECT_EQ(RCountTypes(ref, &types), kErrNone);
    for (int32 t = 1; t <= types; ++t) {
        ResType type = 0;
        EXPECT_EQ(RGetIndType(ref, &type, t), kErrNone);
        int32 n = 0;
        EXPECT_EQ(RCount(ref, type, &n), kErrNone);
        for (int32 i = 1; i <= n; ++i) {
            UHandle h = nullptr;  // the file's own
            EXPECT_EQ(RGetInd(ref, type, i, &h), kErrNone);
            if (!h) continue;
            int32 id = 0;
            ResType got = 0;
            uInt8 name[256] = {};
            EXPECT_EQ(RGetInfo(h, &id, &got, name), kErrNone);
            out[{type, id}] = {std::string(reinterpret_cast<const char*>(name + 1), name[0]), Text(h)};
        }
    }
    return out;
}

// Keys and sizes only: the data of a mismatch would flood the log.
std::string Describe(const Contents& c) {
    std::string s;
    for (const auto& [key, value] : c)
        s += std::to_string(key.first) + "/" + std::to_string(key.second) + " \"" + value.first + "\" " +
             std::to_string(value.second.size()) + "; ";
    return s;
}

void ExpectSame(const Contents& got, const Contents& want) {
    EXPECT_TRUE(got == want) << "got " << Describe(got) << "\nwanted " << Describe(want);
}

Contents Expected(const std::vector<Item>& items) {
    Contents out;
    for (const Item& i : items) out[{i.type, i.id}] = {i.name, i.data};
    return out;
}

class ResAllocFailureTest : public ::testing::Test {
  protected:
    void SetUp() override { Rewrite(); }

    // The file on disk, opened with allocations succeeding, holds exactly expected.
    void ExpectOnDisk(const Contents& expected) {
        const AllocationsSucceed on;
        uInt32 ref = 0;
        ASSERT_EQ(ROpenFile(&path_ref_, kResReadOnly, &ref, nullptr, nullptr), kErrNone);
        ExpectSame(ContentsOf(ref), expected);
        EXPECT_EQ(RCloseFile(ref), kErrNone);
    }

    uInt32 OpenWritable() {
        const AllocationsSucceed on;
        uInt32 ref = 0;
        EXPECT_EQ(ROpenFile(&path_ref_, kResReadWrite, &ref, nullptr, nullptr), kErrNone);
        return ref;
    }

    void Rewrite() {
        const Bytes b = MakeImage(kItems);
        WriteText(path_, std::string(b.begin(), b.end()));
    }

    // The first resource removed and a large one added, with allocations succeeding: every block moves.
    static std::vector<Item> Edited() {
        std::vector<Item> items(kItems.begin() + 1, kItems.end());
        items.push_back({kData, 9, std::string(6000, 'x'), ""});
        return items;
    }
    uInt32 OpenEdited() {
        const uInt32 ref = OpenWritable();
        Edit(ref);
        return ref;
    }
    static void Edit(uInt32 ref) {
        const AllocationsSucceed on;
        UHandle h = nullptr;
        EXPECT_EQ(RGet(ref, kData, 1, &h), kErrNone);
        EXPECT_EQ(RRemove(h, ref), kErrNone);
        DSDisposeHandle(h);
        h = nullptr;
        EXPECT_EQ(DSPtrToHand(Edited().back().data.data(), &h, 6000), kErrNone);
        EXPECT_EQ(RAdd(h, ref, kData, 9, nullptr), kErrNone);
    }

    ScratchFolder dir_;
    std::filesystem::path path_ = dir_.Root() / "alloc.res";
    PathRef path_ref_ = NativePath(path_);
};

// After a failed update the map is still marked changed, so that a later update retries; the mark is cleared
// so that closing does not save.
void ForgetChanges(uInt32 ref) {
    int32 attrs = 0;
    EXPECT_EQ(RGetFileAttrs(ref, &attrs), kErrNone);
    EXPECT_TRUE(attrs & kResMapChanged) << "a later update retries";
    EXPECT_EQ(RSetFileAttrs(ref, attrs & ~kResMapChanged), kErrNone);
}

void ExpectCode(TqErr e) {
    EXPECT_EQ(e, AllocationFailed() ? kErrMemoryFull : kErrNone);
}

TEST_F(ResAllocFailureTest, OpeningADiskFile) {
    for (int32 permission : {kResReadOnly, kResReadWrite}) {
        EachAllocationFailing([&] {
            uInt32 ref = 0;
            const TqErr e = ROpenFile(&path_ref_, permission, &ref, nullptr, nullptr);
            ExpectCode(e);
            if (e) {
                EXPECT_EQ(ref, 0u);
            } else {
                ExpectSame(ContentsOf(ref), Expected(kItems));
                const AllocationsSucceed on;
                EXPECT_EQ(RCloseFile(ref), kErrNone);
            }
        });
        ExpectOnDisk(Expected(kItems));
    }
}

TEST_F(ResAllocFailureTest, OpeningAMemoryFile) {
    const Bytes image = MakeImage(kItems);
    // A handle's copy, read-only or writable (the file owns the handle), and the image's memory read-only.
    const struct {
        const char* name;
        int32 permission;
        bool inPlace;
    } cases[] = {{"read-only copy", kResReadOnly, false},
                 {"writable copy", kResReadWrite, false},
                 {"image in place", kResReadOnly, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EachAllocationFailing([&] {
            UHandle h = nullptr;
            if (!c.inPlace) {
                const AllocationsSucceed on;
                ASSERT_EQ(DSPtrToHand(image.data(), &h, image.size()), kErrNone);
            }
            uInt32 ref = 0;
            const TqErr e =
                c.inPlace ? OpenImage(image, &ref) : ROpenUHandle(h, c.permission, &ref, nullptr, nullptr);
            ExpectCode(e);
            if (!e) {
                ExpectSame(ContentsOf(ref), Expected(kItems));
                const AllocationsSucceed on;
                EXPECT_EQ(RCloseFile(ref), kErrNone);
            }
        });
    }
}

TEST_F(ResAllocFailureTest, Adding) {
    const std::string data(700, 'n');
    EachAllocationFailing([&] {
        const uInt32 ref = OpenWritable();
        UHandle h = nullptr;
        {
            const AllocationsSucceed on;
            ASSERT_EQ(DSPtrToHand(data.data(), &h, data.size()), kErrNone);
        }
        const TqErr e = RAdd(h, ref, kData, 77, reinterpret_cast<ConstPStr>("\x03new"));
        ExpectCode(e);
        const AllocationsSucceed on;
        std::vector<Item> items = kItems;
        if (e) {
            DSDisposeHandle(h);  // still the caller's
        } else {
            items.push_back({kData, 77, data, "new"});
        }
        ExpectSame(ContentsOf(ref), Expected(items));
        EXPECT_EQ(RCloseFile(ref), kErrNone);
        ExpectOnDisk(Expected(items));
        Rewrite();
    });
}

// Each way of saving an edited file on disk, with each allocation failing in turn: a failed update leaves the
// map marked changed so that a later one retries; whatever failed, the file then holds the old or the edited
// content.
TEST_F(ResAllocFailureTest, SavingAnEditedFile) {
    enum class Then { kCloseUnsaved, kRetry, kNothing };
    const struct {
        const char* name;
        bool byClosing;
        Then then;
    } cases[] = {{"update, then close unsaved", false, Then::kCloseUnsaved},
                 {"update, then retry", false, Then::kRetry},
                 {"close", true, Then::kNothing}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EachAllocationFailing([&] {
            const uInt32 ref = OpenEdited();
            const TqErr e = c.byClosing ? RCloseFile(ref) : RUpdateFile(ref);
            ExpectCode(e);
            const AllocationsSucceed on;
            bool saved = !e;
            if (c.then == Then::kCloseUnsaved && e) ForgetChanges(ref);
            if (c.then == Then::kRetry) {
                EXPECT_EQ(RUpdateFile(ref), kErrNone);
                saved = true;
            }
            if (!c.byClosing) {
                EXPECT_EQ(RCloseFile(ref), kErrNone);
            }
            ExpectOnDisk(Expected(saved ? Edited() : kItems));
            Rewrite();
        });
    }
}

TEST_F(ResAllocFailureTest, SavingAnEditedMemoryFile) {
    const Bytes image = MakeImage(kItems);
    EachAllocationFailing([&] {
        uInt32 ref = 0;
        {
            const AllocationsSucceed on;
            ASSERT_EQ(OpenCopy(image, &ref), kErrNone);
            Edit(ref);
        }
        const TqErr e = RUpdateFile(ref);
        ExpectCode(e);
        const AllocationsSucceed on;
        if (e) ForgetChanges(ref);
        UHandle h = nullptr;  // the image as the update left it
        EXPECT_EQ(RGetMemFileHandle(ref, &h), kErrNone);
        EXPECT_EQ(RCloseFile(ref), kErrNone);
        ASSERT_EQ(ROpenUHandle(h, kResReadOnly, &ref, nullptr, nullptr), kErrNone);
        ExpectSame(ContentsOf(ref), Expected(e ? kItems : Edited()));
        EXPECT_EQ(RCloseFile(ref), kErrNone);
    });
}

}  // namespace
