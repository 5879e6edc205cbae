#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "platform/LastError.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"

namespace {

template <class E>
PKExcept Convert(const E& thrown) {
    try {
        throw thrown;
    } catch (...) {
        return GetExceptionInCatch_FileAndLine("source\\Boundary", 77);
    }
}

TEST(PKExceptTest, FieldsAreCutAndDescriptionFollowsFormat) {
    const std::string detail(200, 'd');
    const std::string file = "0123456789" + std::string(30, 'f');  // 40 characters
    const PKExcept e(kErrNotFound, detail.c_str(), file.c_str(), 12);
    EXPECT_EQ(std::string(e.Detail()), detail.substr(0, 127));
    EXPECT_EQ(std::string(e.File()), file.substr(9));
    EXPECT_EQ(e.Line(), 12);
    EXPECT_EQ(e.ErrorCode(), kErrNotFound);

    const PKExcept shortOne(kErrNotFound, "x", "f", 12);
    EXPECT_STREQ(shortOne.what(), "PKExcept. Err=7, File=f, Line=12, Detail='x'");
    // The description is built from the stored (cut) fields.
    EXPECT_EQ(std::string(e.what()), "PKExcept. Err=7, File=" + file.substr(9) + ", Line=12, Detail='" +
                                         detail.substr(0, 127) + "'");

    const PKExcept empty(kErrGeneric, nullptr, nullptr, -1);
    EXPECT_STREQ(empty.Detail(), "");
    EXPECT_STREQ(empty.File(), "");
    EXPECT_STREQ(empty.what(), "PKExcept. Err=42, File=, Line=-1, Detail=''");
}

TEST(PKExceptTest, RecordsStackAndCopiesKeepIt) {
    const PKExcept e(kErrIO, "io", "file", 3);
    ASSERT_GT(e.Stack().Count(), 0);
    PKExcept copy(kErrNone, "", "", 0);
    copy = e;
    EXPECT_EQ(copy.ErrorCode(), kErrIO);
    EXPECT_STREQ(copy.what(), e.what());
    ASSERT_EQ(copy.Stack().Count(), e.Stack().Count());
    for (int32 i = 0; i < e.Stack().Count(); ++i) EXPECT_EQ(copy.Stack().Frame(i), e.Stack().Frame(i));
}

TEST(ExceptionConversionTest, StandardExceptionsMapToCodes) {
    const PKExcept alloc = Convert(std::bad_alloc());
    EXPECT_EQ(alloc.ErrorCode(), kErrMemoryFull);
    EXPECT_STREQ(alloc.Detail(), "converted from std::bad_alloc");
    EXPECT_STREQ(alloc.File(), "source\\Boundary");
    EXPECT_EQ(alloc.Line(), 77);

    const PKExcept cast = Convert(std::bad_cast());
    EXPECT_EQ(cast.ErrorCode(), kErrGeneric);
    EXPECT_STREQ(cast.Detail(), "converted from std::bad_cast");

    const PKExcept other = Convert(std::runtime_error("boom"));
    EXPECT_EQ(other.ErrorCode(), kErrGeneric);
    EXPECT_STREQ(other.Detail(), "converted from std::exception");

    // Derived standard types are caught by their base before the generic rule.
    const PKExcept array = Convert(std::bad_array_new_length());
    EXPECT_EQ(array.ErrorCode(), kErrMemoryFull);
}

TEST(ExceptionConversionTest, PKExceptKeepsItsOwnFields) {
    const PKExcept original(kErrPathTooLong, "too long", "source\\PathRef", 5);
    const PKExcept converted = Convert(original);
    EXPECT_EQ(converted.ErrorCode(), kErrPathTooLong);
    EXPECT_STREQ(converted.File(), "source\\PathRef");
    EXPECT_EQ(converted.Line(), 5);
    EXPECT_EQ(converted.Stack().Count(), original.Stack().Count());
}

TEST(ExceptionConversionTest, ForeignExceptionIsReportedAndRethrown) {
    int caught = 0;
    ReportCapture capture;
    try {
        try {
            throw 17;
        } catch (...) {
            (void)GetExceptionInCatch_FileAndLine("source\\Boundary", 9);
        }
    } catch (int v) {
        caught = v;
    }
    EXPECT_EQ(caught, 17);
    const auto reports = ReportCapture::All();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].level, kDbgBroken);
    EXPECT_EQ(reports[0].text,
              "GetExceptionInCatch() called from inside catch(...) -- source\\Boundary Line 9");
}

TEST(ErrorMappingTest, Win32ErrorsMapByTable) {
    struct Case {
        uInt32 win;
        TqErr err;
    } const cases[] = {
        {2, kErrNotFound},        {3, kErrNotFound},   {21, kErrNotFound},   {53, kErrNotFound},
        {267, kErrNotFound},      {5, kErrPermission}, {33, kErrPermission}, {8, kErrMemoryFull},
        {32, kErrFileBusy},       {39, kErrDiskFull},  {112, kErrDiskFull},  {80, kErrDuplicatePath},
        {183, kErrDuplicatePath}, {87, kErrArgument},  {123, kErrArgument},  {158, kErrArgument},
        {206, kErrPathTooLong},   {1, kErrIO},         {0, kErrIO},          {0xFFFFFFFFu, kErrIO},
    };
    for (const Case& c : cases) {
        tq::platform::SetLastError(c.win);
        EXPECT_EQ(Win32ToPKFileErr(), c.err) << "win32 error " << c.win;
    }
}

TEST(ErrorMappingTest, ErrnoMapsByTableAndFlagChangesEnoent) {
    EXPECT_EQ(ErrnoToPKFileErr(0, false), kErrNone);
    EXPECT_EQ(ErrnoToPKFileErr(ENOENT, false), kErrNotFound);
    EXPECT_EQ(ErrnoToPKFileErr(ENOENT, true), kErrArgument);
    EXPECT_EQ(ErrnoToPKFileErr(EBADF, false), kErrArgument);
    EXPECT_EQ(ErrnoToPKFileErr(EINVAL, true), kErrArgument);
    EXPECT_EQ(ErrnoToPKFileErr(ENOMEM, false), kErrMemoryFull);
    EXPECT_EQ(ErrnoToPKFileErr(EACCES, false), kErrPermission);
    EXPECT_EQ(ErrnoToPKFileErr(EEXIST, false), kErrDuplicatePath);
    EXPECT_EQ(ErrnoToPKFileErr(ENFILE, false), kErrTooManyFiles);
    EXPECT_EQ(ErrnoToPKFileErr(EMFILE, false), kErrTooManyFiles);
    EXPECT_EQ(ErrnoToPKFileErr(ENOSPC, false), kErrDiskFull);
    EXPECT_EQ(ErrnoToPKFileErr(ESPIPE, false), kErrEndOfFile);
    EXPECT_EQ(ErrnoToPKFileErr(EPERM, false), kErrIO);
    EXPECT_EQ(ErrnoToPKFileErr(-3, true), kErrIO);
}

TEST(ErrorMappingTest, StackOverflowFilterMatchesOnlyItsStatus) {
    EXPECT_EQ(stack_overflow_exception_filter(int32(0xC00000FDu)), 1);
    EXPECT_EQ(stack_overflow_exception_filter(int32(0xC0000005u)), 0);
    EXPECT_EQ(stack_overflow_exception_filter(0), 0);
}

}  // namespace
