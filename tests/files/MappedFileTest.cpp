// Read-only views of whole open files, and their release.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "files/ScratchFolder.h"
#include "tqcore/core.h"
#include "tqcore/files.h"

namespace {

using tq::test::ScratchFolder;

class MappedFileTest : public ::testing::Test {
  protected:
    // The file at name opened read-only; 0 when it cannot be.
    File Open(const std::string& name) {
        PathRef p = dir_.Ref(name);
        File fd = 0;
        EXPECT_EQ(FMOpen(&fd, &p, kOpenRead, kDenyNone), kErrNone);
        return fd;
    }

    ScratchFolder dir_;
};

TEST_F(MappedFileTest, AnEmptyFileGivesNoView) {
    dir_.File("empty", "");
    const File fd = Open("empty");
    ASSERT_NE(fd, 0u);
    UPtr view = nullptr, base = nullptr;
    int32 size = -1;
    CreateMemMappedFile(fd, &view, &size, &base);
    EXPECT_EQ(view, nullptr);
    EXPECT_EQ(base, nullptr);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(FMClose(fd), kErrNone);
}

TEST_F(MappedFileTest, TheViewHoldsTheFileAndOutlivesItsDescriptor) {
    std::string text(70000, '\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = char(i * 7 + i / 251);
    dir_.File("data", text);
    const File fd = Open("data");
    ASSERT_NE(fd, 0u);
    UPtr view = nullptr, base = nullptr;
    int32 size = 0;
    CreateMemMappedFile(fd, &view, &size, &base);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(base, view);
    EXPECT_EQ(size, int32(text.size()));
    EXPECT_EQ(FMClose(fd), kErrNone);
    EXPECT_EQ(std::memcmp(view, text.data(), text.size()), 0);
    EXPECT_EQ(UnmapFileHelper(view), 1);
}

TEST_F(MappedFileTest, BaseAndSizeMayBeLeftOut) {
    dir_.File("small", "abc");
    const File fd = Open("small");
    UPtr view = nullptr;
    CreateMemMappedFile(fd, &view, nullptr, nullptr);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::memcmp(view, "abc", 3), 0);
    EXPECT_EQ(UnmapFileHelper(view), 1);
    EXPECT_EQ(FMClose(fd), kErrNone);
}

TEST_F(MappedFileTest, AFileThatIsNotOpenGivesNoView) {
    UPtr view = nullptr;
    int32 size = -1;
    CreateMemMappedFile(0, &view, &size, nullptr);
    EXPECT_EQ(view, nullptr);
    EXPECT_EQ(size, 0);
}

TEST_F(MappedFileTest, UnmappingTwiceOrWhatIsNoViewFails) {
    dir_.File("twice", "twice");
    const File fd = Open("twice");
    UPtr view = nullptr;
    CreateMemMappedFile(fd, &view, nullptr, nullptr);
    EXPECT_EQ(FMClose(fd), kErrNone);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(UnmapFileHelper(view), 1);
    EXPECT_EQ(UnmapFileHelper(view), 0);
    uChar local[16] = {};
    EXPECT_EQ(UnmapFileHelper(local), 0);
    EXPECT_EQ(UnmapFileHelper(nullptr), 0);
}

}  // namespace
