// The reader and read-write classes over memory files.
#include <gtest/gtest.h>

#include <memory>

#include "ResTestSupport.h"
#include "support/ReportCapture.h"

namespace {

using namespace restest;

const ResType kData = TQFourCC("DATA");

TEST(ResReaderTest, ReadWriteEditsItsOwnMemoryFile) {
    RFReadWrite rw;
    ASSERT_EQ(rw.CreateMemoryResourceFile(TQFourCC("tqcr"), TQFourCC("TEST")), kErrNone);
    ASSERT_NE(rw.LowLevelResFile(), nullptr);
    const Bytes name = PStrOf("named");
    ASSERT_EQ(rw.AddFromPtr("abc", 3, kData, 1, name.data()), kErrNone);
    UHandle kept = nullptr;
    ASSERT_EQ(DSPtrToHand("kept", &kept, 4), kErrNone);
    ASSERT_EQ(rw.AddFromHandle(kept, 0, kData, 2, nullptr), kErrNone);  // copied: the caller keeps it
    EXPECT_EQ(Text(kept), "kept");
    UHandle given = nullptr;
    ASSERT_EQ(DSPtrToHand("given", &given, 5), kErrNone);
    ASSERT_EQ(rw.AddFromHandle(given, 1, kData, 3, nullptr), kErrNone);  // the file owns it now
    {
        ReportCapture capture;
        EXPECT_EQ(rw.AddFromHandle(nullptr, 1, kData, 4, nullptr), kErrGeneric);
        EXPECT_EQ(ReportCapture::Count(kDbgWarn, "Do not pass NULL to RFReadWrite::AddFromHandle"), 1);
    }
    ASSERT_EQ(rw.ReplaceFromHandle(kept, 0, kData, 1, nullptr), kErrNone);
    DSDisposeHandle(kept);
    EXPECT_EQ(rw.Remove(kData, 2), kErrNone);
    EXPECT_EQ(rw.Remove(kData, 2), kErrNone);  // a missing resource counts as removed
    const void* data = nullptr;
    int32 size = 0;
    ASSERT_EQ(rw.PtrToResDataInternal(kData, 1, &data, &size), kErrNone);
    EXPECT_EQ(std::string(static_cast<const char*>(data), size_t(size)), "kept");
    EXPECT_EQ(rw.PtrToResDataByNameInternal(kData, name.data(), &data, &size), kErrResourceNotFound);
    UHandle h = nullptr;
    EXPECT_EQ(rw.AllocDSHandle(kData, 3, &h), kErrResourceNotFound);  // changed and not saved: kept
    EXPECT_EQ(rw.UpdateFile(), kErrNone);
    ASSERT_EQ(rw.AllocDSHandle(kData, 3, &h), kErrNone);
    EXPECT_EQ(Text(h), "given");
    DSDisposeHandle(h);  // detached: the caller's
    const uInt32 ref = rw.MapToObsoleteRsrcFile();
    ASSERT_NE(ref, 0u);
    int32 n = 0;
    EXPECT_EQ(RCount(ref, kData, &n), kErrNone);
    EXPECT_EQ(n, 2);
}

TEST(ResReaderTest, ReaderOverARefnumAndFactories) {
    uInt32 ref = 0;
    ASSERT_EQ(OpenCopy(MakeImage({{kData, 5, "five", "fv"}}), &ref), kErrNone);
    {
        std::unique_ptr<RFReader> reader(CreateRFReader(ref));
        ASSERT_NE(reader, nullptr);
        UHandle h = nullptr;
        const Bytes fv = PStrOf("fv");
        EXPECT_EQ(reader->AllocDSHandleByName(kData, fv.data(), &h), kErrNone);
        EXPECT_EQ(Text(h), "five");
        DSDisposeHandle(h);
        EXPECT_EQ(reader->AllocDSHandle(kData, 6, &h), kErrResourceNotFound);
        EXPECT_EQ(h, nullptr);
    }
    // The reader did not open the file, so the refnum still works.
    UHandle h = nullptr;
    EXPECT_EQ(RGet(ref, kData, 5, &h), kErrNone);
    EXPECT_EQ(RCloseFile(ref), kErrNone);
    std::unique_ptr<RFReadWrite> rw(CreateRFReadWrite());
    ASSERT_NE(rw, nullptr);
    EXPECT_EQ(rw->UpdateFile(), kErrResourceNotFound);
    EXPECT_EQ(rw->AddFromPtr("x", 1, kData, 1, nullptr), kErrResourceNotFound);
}

}  // namespace
