// The host's file cache: asked before a read-only open, its mapped copy read in place of the file, its views
// and files left to it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ResTestSupport.h"
#include "files/ScratchFolder.h"
#include "tqcore/files.h"

namespace {

using namespace restest;
using tq::test::NativePath;
using tq::test::ScratchFolder;
using tq::test::WriteText;

const ResType kData = TQFourCC("DATA");

// What the host's callback saw and what it answers with.
struct Cache {
    std::vector<PathRef> asked;
    bool holds = false;
    File fd = 0;
    UPtr view = nullptr;
    UPtr base = nullptr;
    int32 size = 0;
};
Cache* gCache = nullptr;

Bool32 IsInCache(Path path, File* fd, UPtr* view, UPtr* base, int32* size) {
    gCache->asked.push_back(*path);
    if (!gCache->holds) return 0;
    *fd = gCache->fd;
    *view = gCache->view;
    *base = gCache->base;
    *size = gCache->size;
    return 1;
}

class ResFileCacheHookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gCache = &cache_;
        Set_IsFileAlreadyInCache(IsInCache);
    }
    void TearDown() override {
        Set_IsFileAlreadyInCache(nullptr);
        gCache = nullptr;
    }
    PathRef Make(const std::string& name, const std::string& data) {
        const Bytes b = MakeImage({{kData, 1, data, ""}});
        WriteText(dir_.Root() / name, std::string(b.begin(), b.end()));
        return NativePath(dir_.Root() / name);
    }
    // Resource 1's data, read through a fresh open with the permission, or the error.
    std::string ReadOnce(PathRef& p, int32 permission) {
        uInt32 ref = 0;
        if (const TqErr e = ROpenFile(&p, permission, &ref, nullptr, nullptr))
            return "error " + std::to_string(e);
        UHandle h = nullptr;
        const TqErr e = RGet(ref, kData, 1, &h);
        std::string got = e ? "error " + std::to_string(e) : Text(h);
        EXPECT_EQ(RCloseFile(ref), kErrNone);
        return got;
    }

    ScratchFolder dir_;
    Cache cache_;
};

TEST_F(ResFileCacheHookTest, AskedWithThePathForReadOnlyOpensOnly) {
    PathRef p = Make("one.res", "on disk");
    EXPECT_EQ(ReadOnce(p, kResReadWrite), "on disk");
    EXPECT_TRUE(cache_.asked.empty());
    EXPECT_EQ(ReadOnce(p, kResReadOnly), "on disk");
    ASSERT_EQ(cache_.asked.size(), 1u);
    EXPECT_TRUE(cache_.asked[0].Equals(p));
}

TEST_F(ResFileCacheHookTest, TheCachedCopyIsReadAndLeftToTheHost) {
    PathRef asked = Make("asked.res", "on disk");
    PathRef cached = Make("cached.res", "from the cache");
    File fd = 0;
    ASSERT_EQ(FMOpen(&fd, &cached, kOpenRead, kDenyNone), kErrNone);
    CreateMemMappedFile(fd, &cache_.view, &cache_.size, &cache_.base);
    ASSERT_NE(cache_.view, nullptr);
    cache_.fd = fd;
    cache_.holds = true;
    EXPECT_EQ(ReadOnce(asked, kResReadOnly), "from the cache");
    EXPECT_EQ(ReadOnce(asked, kResReadWrite), "on disk");
    // Closing the resource file released neither: the host still reads through its file and unmaps its view.
    EXPECT_EQ(FMSeek64(fd, 0, kSeekFromStart), kErrNone);
    EXPECT_EQ(UnmapFileHelper(cache_.view), 1);
    EXPECT_EQ(FMClose(fd), kErrNone);
}

TEST_F(ResFileCacheHookTest, ACopyWithoutAFileIsReadFromItsBaseAddress) {
    PathRef asked = Make("asked.res", "on disk");
    const Bytes image = MakeImage({{kData, 1, "image only", ""}});
    // The file's bytes start 8 bytes into the host's block.
    std::vector<uChar> block(8 + image.size(), 0xEE);
    std::memcpy(block.data() + 8, image.data(), image.size());
    cache_.holds = true;
    cache_.view = block.data();
    cache_.base = block.data() + 8;
    cache_.size = int32(image.size());
    EXPECT_EQ(ReadOnce(asked, kResReadOnly), "image only");
}

TEST_F(ResFileCacheHookTest, AnAnswerWithoutBytesOpensTheFile) {
    PathRef p = Make("one.res", "on disk");
    cache_.holds = true;
    EXPECT_EQ(ReadOnce(p, kResReadOnly), "on disk");
    EXPECT_EQ(cache_.asked.size(), 1u);
}

TEST_F(ResFileCacheHookTest, NullRemovesTheCallback) {
    PathRef p = Make("one.res", "on disk");
    Set_IsFileAlreadyInCache(nullptr);
    EXPECT_EQ(ReadOnce(p, kResReadOnly), "on disk");
    EXPECT_TRUE(cache_.asked.empty());
}

}  // namespace
