#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "LeakWatch.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

// Outside the anonymous namespace and exported from the test program, so every symbol source can name it.
__attribute__((noinline)) UHandle LeakWatchTestLeakOne() {
    UHandle h = DSNewHandle(77);
    asm volatile("");
    return h;
}

namespace {

// What the watch wrote, read back from a scratch file.
std::string Written(FILE* f) {
    std::rewind(f);
    std::string text;
    char chunk[512];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    return text;
}

TEST(LeakWatchTest, AHandleLeftBehindIsListedWithItsStack) {
    ReportCapture capture;
    ASSERT_EQ(InitTQCoreBase(), kErrNone);
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    tool::LeakWatch watch;
    UHandle leaked = LeakWatchTestLeakOne();
    ASSERT_NE(leaked, nullptr);
    UHandle freed = DSNewHandle(5);
    UHandle resized = DSNewHandle(5);
    EXPECT_EQ(DSSetHandleSize(resized, 9000), kErrNone);
    EXPECT_EQ(DSDisposeHandle(freed), kErrNone);
    EXPECT_EQ(DSDisposeHandle(resized), kErrNone);
    EXPECT_EQ(UninitTQCoreBase(), kErrNone);  // recovers the leaked handle
    EXPECT_EQ(watch.Report(out), 1);
    const std::string text = Written(out);
    std::fclose(out);
    EXPECT_EQ(text.rfind("** List of currently allocated handles               **\n", 0), 0u) << text;
    char address[32];
    std::snprintf(address, sizeof address, "0x%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(leaked)));
    EXPECT_NE(text.find(std::string("File handle         ; Line 0     #     77  ")), std::string::npos)
        << text;
    EXPECT_NE(text.find(address), std::string::npos) << text;
#if defined(__linux__)
    // The debugging-help library reads no names from the test program's debug information.
    EXPECT_NE(text.find("LeakWatchTestLeakOne"), std::string::npos) << text;
#endif
    EXPECT_TRUE(std::regex_search(text, std::regex("\n0x[0-9A-F]{16} - [^\n]* \\+ 0x[0-9a-f]+\n"))) << text;
    EXPECT_NE(text.find("Number of unfreed items: 1\n"), std::string::npos) << text;
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "Recovered 1 Handles for 77 bytes."), 1);
}

TEST(LeakWatchTest, ALeakFreeRunSaysSoInOneLine) {
    ASSERT_EQ(InitTQCoreBase(), kErrNone);
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    {
        tool::LeakWatch watch;
        DSDisposeHandle(DSNewHandle(3));
        EXPECT_EQ(UninitTQCoreBase(), kErrNone);
        EXPECT_EQ(watch.Report(out), 0);
        EXPECT_EQ(watch.Report(out), -1);  // once only
    }
    EXPECT_EQ(Written(out), "tqcore --leaks: no leaks.\n");
    std::fclose(out);
}

}  // namespace
