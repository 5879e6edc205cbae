// The information and volume records keep their published layouts: callers lay them over raw bytes.
#include <gtest/gtest.h>

#include <cstddef>

#include "tqcore/files.h"

namespace {

TEST(FileRecords, SixtyFourBitRecordLayout) {
    EXPECT_EQ(sizeof(FileInfoRec64), 568u);
    EXPECT_EQ(offsetof(FileInfoRec64, type), 0u);
    EXPECT_EQ(offsetof(FileInfoRec64, creator), 4u);
    EXPECT_EQ(offsetof(FileInfoRec64, permissions), 8u);
    EXPECT_EQ(offsetof(FileInfoRec64, size), 16u);
    EXPECT_EQ(offsetof(FileInfoRec64, rfSize), 24u);
    EXPECT_EQ(offsetof(FileInfoRec64, cdate), 32u);
    EXPECT_EQ(offsetof(FileInfoRec64, mdate), 36u);
    EXPECT_EQ(offsetof(FileInfoRec64, folder), 40u);
    EXPECT_EQ(offsetof(FileInfoRec64, invisible), 44u);
    EXPECT_EQ(offsetof(FileInfoRec64, location), 48u);
    EXPECT_EQ(offsetof(FileInfoRec64, owner), 52u);
    EXPECT_EQ(offsetof(FileInfoRec64, group), 308u);
}

TEST(FileRecords, ThirtyTwoBitRecordLayout) {
    EXPECT_EQ(sizeof(FileInfoRec), 552u);
    EXPECT_EQ(offsetof(FileInfoRec, creator), 4u);
    EXPECT_EQ(offsetof(FileInfoRec, permissions), 8u);
    EXPECT_EQ(offsetof(FileInfoRec, size), 12u);
    EXPECT_EQ(offsetof(FileInfoRec, rfSize), 16u);
    EXPECT_EQ(offsetof(FileInfoRec, cdate), 20u);
    EXPECT_EQ(offsetof(FileInfoRec, mdate), 24u);
    EXPECT_EQ(offsetof(FileInfoRec, folder), 28u);
    EXPECT_EQ(offsetof(FileInfoRec, invisible), 32u);
    EXPECT_EQ(offsetof(FileInfoRec, location), 36u);
    EXPECT_EQ(offsetof(FileInfoRec, owner), 40u);
    EXPECT_EQ(offsetof(FileInfoRec, group), 296u);
}

TEST(FileRecords, VolumeRecordsAndModeValues) {
    EXPECT_EQ(sizeof(VolInfoRec), 12u);
    EXPECT_EQ(offsetof(VolInfoRec, usedBytes), 4u);
    EXPECT_EQ(offsetof(VolInfoRec, freeBytes), 8u);
    EXPECT_EQ(sizeof(VolKindRec), 8u);
    EXPECT_EQ(offsetof(VolKindRec, kind), 4u);
    EXPECT_EQ(kOpenWriteTruncateUnbuffered, 7);
    EXPECT_EQ(kDenyNone, 2);
    EXPECT_EQ(kSeekFromStart, 1);
    EXPECT_EQ(kSeekFromCurrent, 3);
}

}  // namespace
