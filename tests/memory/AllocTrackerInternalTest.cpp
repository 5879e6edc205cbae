#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "memory/DumpLeakInfo.h"
#include "platform/MemoryProbe.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

// Outside the anonymous namespace and exported from the test program, so every symbol source can name it.
__attribute__((noinline)) void AllocTrackerTestAddFromHere(AllocTracker* t, const void* p) {
    t->Add(p, 8, "here.cpp", 7);
    asm volatile("");  // keeps the call from becoming a tail call
}

namespace {

// Collects the dump as text.
class TextDumper : public AllocDumper {
  public:
    explicit TextDumper(bool stacks, bool contents = false) : stacks_(stacks), contents_(contents) {}
    const char* ObjBeingTrackedName() override { return "widgets"; }
    bool GetShowStackNames() override { return stacks_; }
    void FormatToOutput(const char* format, ...) override {
        char text[2048];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        out += text;
    }
    void DumpItemContents(const void* p, uInt64 size) override {
        if (contents_) out += "contents " + std::to_string(size) + "\n";
        (void)p;
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    std::string out;

  private:
    bool stacks_;
    bool contents_;
};

std::string Hex16(const void* p) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return text;
}

const std::string kHeader = "** List of currently allocated widgets               **";
const std::string kRule = "****************************************";
const std::string kColumns =
    "                                     Size  Size Expression     Content String      Alloc Number";

// The item line of the dump for the given fields.
std::string ItemLine(const char* file, int line, uInt64 size, uInt64 number, const void* p) {
    char text[256];
    std::snprintf(text, sizeof text, "File %-15s; Line %-5d # %6llu  %-20s            %6llu            ",
                  file, line, static_cast<unsigned long long>(size), "",
                  static_cast<unsigned long long>(number));
    return text + Hex16(p);
}

class AllocTrackerTest : public ::testing::Test {
  protected:
    void TearDown() override { DestroyAllocTracker(tracker); }
    AllocTracker* tracker = CreateAllocTrackerSpecifySkip(1);
    int a = 0, b = 0, c = 0;
};

TEST_F(AllocTrackerTest, AddRemoveCountAndIsTracked) {
    ASSERT_NE(tracker, nullptr);
    EXPECT_EQ(tracker->Count(), 0);
    tracker->Add(&a, 24, "alpha.cpp", 12);
    tracker->Add(&b);
    EXPECT_EQ(tracker->Count(), 2);
    EXPECT_EQ(tracker->Count32(), 2);
    EXPECT_TRUE(tracker->IsTracked(&a));
    EXPECT_TRUE(tracker->IsTracked(&b));
    EXPECT_FALSE(tracker->IsTracked(&c));
    EXPECT_EQ(tracker->Remove(&c), 1);
    EXPECT_EQ(tracker->Remove(&a), 0);
    EXPECT_EQ(tracker->Forget(&b), 0);
    EXPECT_EQ(tracker->Remove(&a), 1);
    EXPECT_EQ(tracker->Count(), 0);
    EXPECT_EQ(tracker->Reserved(), 0);
    tracker->Refresh();
    tracker->Idle();
    tracker->Uninit();
    tracker->Add(&a, 1, "x", 1);  // inactive: ignored
    EXPECT_EQ(tracker->Count(), 0);
    EXPECT_EQ(tracker->Remove(&a), 1);
    DestroyAllocTracker(nullptr);
}

TEST_F(AllocTrackerTest, TheDumpListsEachItemFieldByField) {
    tracker->Add(&b, 24, "alpha.cpp", 12);
    tracker->Add(&a, 1000000, "a-rather-long-file-name.cpp", 123456);
    tracker->Add(&c);
    TextDumper dumper(false);
    tracker->Dump(&dumper);
    std::vector<const void*> order = {&a, &b, &c};
    std::sort(order.begin(), order.end());
    auto expected = [&](const void* p) {
        if (p == &a) return ItemLine("a-rather-long-file-name.cpp", 123456, 1000000, 1, &a);
        if (p == &b) return ItemLine("alpha.cpp", 12, 24, 0, &b);
        return std::string();
    };
    const auto lines = dumper.Lines();
    ASSERT_EQ(lines.size(), 3u + 3 * 2 + 1);
    EXPECT_EQ(lines[0], kHeader);
    EXPECT_EQ(lines[1], kRule);
    EXPECT_EQ(lines[2], kColumns);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(lines[3 + 2 * i], "----------------------");
        if (order[i] == &c) {
            // Added without a position: size 0, the tracker's own file, number 2.
            EXPECT_TRUE(std::regex_match(
                lines[4 + 2 * i], std::regex("File AllocTracker   ; Line [0-9 ]{5} #      0  " +
                                             std::string(20 + 12, ' ') + "     2            " + Hex16(&c))))
                << lines[4 + 2 * i];
        } else {
            EXPECT_EQ(lines[4 + 2 * i], expected(order[i]));
        }
    }
    EXPECT_EQ(lines.back(), "Number of unfreed items: 3");
}

TEST_F(AllocTrackerTest, AFilteredDumpListsOneFile) {
    tracker->Add(&a, 1, "one.cpp", 1);
    tracker->Add(&b, 2, "two.cpp", 2);
    tracker->Add(&c, 3, "one.cpp", 3);
    TextDumper dumper(false, true);
    tracker->Dump(&dumper, "one.cpp");
    EXPECT_EQ(dumper.out.find("two.cpp"), std::string::npos);
    EXPECT_NE(dumper.out.find("contents 1\n"), std::string::npos);
    EXPECT_NE(dumper.out.find("contents 3\n"), std::string::npos);
    EXPECT_EQ(dumper.Lines().back(), "Number of unfreed items: 2");
}

TEST_F(AllocTrackerTest, StacksStartAtTheCallerOfAddWithOneFrameSkipped) {
    AllocTrackerTestAddFromHere(tracker, &a);
    TextDumper dumper(true);
    tracker->Dump(&dumper);
    const auto lines = dumper.Lines();
    ASSERT_GE(lines.size(), 6u);
    const std::regex frame("0x[0-9A-F]{16} - .* \\+ 0x[0-9a-f]+");
    ASSERT_TRUE(std::regex_match(lines[5], frame)) << lines[5];
#if defined(__linux__)
    // The debugging-help library reads no names from the test program's debug information.
    EXPECT_NE(lines[5].find("AllocTrackerTestAddFromHere"), std::string::npos) << lines[5];
#endif
    size_t frames = 0;
    for (size_t i = 5; i + 1 < lines.size(); ++i) frames += std::regex_match(lines[i], frame);
    EXPECT_EQ(frames, lines.size() - 6);
    EXPECT_LE(frames, 16u);
}

TEST_F(AllocTrackerTest, APointerReturnedTwiceDeactivatesTracking) {
    ReportCapture capture;
    tracker->Add(&a, 4, "first.cpp", 1);
    tracker->Add(&a, 4, "second.cpp", 2);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "Duplicate pointer first returned in this context:"), 1);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, "memdebug deactivated. Malloc returned same pointer twice."), 1);
    tracker->Add(&b, 4, "third.cpp", 3);
    EXPECT_FALSE(tracker->IsTracked(&b));
    EXPECT_EQ(tracker->Remove(&a), 1);
    EXPECT_EQ(tracker->Count(), 1);
}

TEST_F(AllocTrackerTest, DefaultDumperDeliversWholeLinesAtLevelZero) {
    ReportCapture capture;
    tracker->Add(&a, 5, "d.cpp", 9);
    {
        DefaultDumper dumper("things");
        EXPECT_FALSE(dumper.GetShowStackNames());
        tracker->Dump(&dumper);
    }
    const auto texts = ReportCapture::Texts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "** List of currently allocated things                **");
    EXPECT_EQ(texts[3], "----------------------");
    EXPECT_EQ(texts[4], ItemLine("d.cpp", 9, 5, 0, &a));
    EXPECT_EQ(texts[5], "Number of unfreed items: 1");
    EXPECT_EQ(ReportCapture::Count(kDbgNote, ""), 6);
}

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(AllocTrackerTest, LeakReportWithinTheExpectedCountWritesNoFile) {
    ReportCapture capture;
    const auto path = std::filesystem::temp_directory_path() / "tqcore-leaks-none.txt";
    std::filesystem::remove(path);
    tracker->Add(&a, 1, "x.cpp", 1);
    tracker->Add(&b, 1, "x.cpp", 2);
    DumpLeakInfo(tracker, 2, "widgets", path.string().c_str());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ReportCapture::Texts(), std::vector<std::string>{"Total widgets = 2.\n"});
    DumpLeakInfo(nullptr, 0, "widgets", path.string().c_str());
    EXPECT_EQ(ReportCapture::Size(), 1u);
}

TEST_F(AllocTrackerTest, LeakReportBeyondTheExpectedCountWritesTheDump) {
    ReportCapture capture;
    const auto path = std::filesystem::temp_directory_path() / "tqcore-leaks-some.txt";
    std::filesystem::remove(path);
    const char text[] = "Leak\x01me";
    tracker->Add(text, sizeof text, "leaky.cpp", 42);
    tracker->Add(&a, 0, "leaky.cpp", 43);
    const std::string p = path.string();
    LeakDumper dumper(1, "widgets", path.string().c_str());  // the dumper keeps its own copy
    EXPECT_TRUE(dumper.GetShowStackNames());
    dumper.DumpLeaks(tracker);
    EXPECT_EQ(ReportCapture::Count(kDbgNote, p + "(1) : 2 widgets (1 expected)"), 1);
    EXPECT_EQ(
        ReportCapture::Count(kDbgBroken, "We got 1 more widgets than we see from a basic launch and quit.\n"),
        1);
    const std::string dump = ReadFile(path);
    EXPECT_EQ(dump.rfind(kHeader + "\n" + kRule + "\n" + kColumns + "\n", 0), 0u) << dump;
    EXPECT_NE(dump.find(ItemLine("leaky.cpp", 42, sizeof text, 0, text)), std::string::npos);
    EXPECT_NE(dump.find("Memory Contents: Leak.me.\n\t\t 4c 65 61 6b 01 6d 65 00\n"), std::string::npos)
        << dump;
    EXPECT_NE(dump.find("Memory Contents: \n\t\t\n"), std::string::npos);
    EXPECT_NE(dump.find(" - "), std::string::npos);  // stack frames
    EXPECT_EQ(dump.substr(dump.size() - 27), "Number of unfreed items: 2\n");
    std::filesystem::remove(path);
}

TEST_F(AllocTrackerTest, UnreadableItemsShowNoContentsAndLongOnesShowTheFirst254Bytes) {
    uInt8* edge = tq::platform::AllocateBytesBeforeUnreadablePage(16);
    ASSERT_NE(edge, nullptr);
    std::vector<char> big(1000, 'z');
    tracker->Add(edge, 64, "edge.cpp", 1);  // runs into the unreadable page
    tracker->Add(big.data(), big.size(), "big.cpp", 2);
    ReportCapture capture;
    const auto path = std::filesystem::temp_directory_path() / "tqcore-leaks-edge.txt";
    DumpLeakInfo(tracker, 0, "widgets", path.string().c_str());
    const std::string dump = ReadFile(path);
    std::string hex;
    for (int i = 0; i < 254; ++i) hex += " 7a";
    EXPECT_NE(dump.find("Memory Contents: " + std::string(254, 'z') + "\n\t\t" + hex + "\n"),
              std::string::npos);
    size_t contents = 0;
    for (size_t at = 0; (at = dump.find("Memory Contents:", at)) != std::string::npos; ++at) ++contents;
    EXPECT_EQ(contents, 1u);
    tq::platform::FreeBytesBeforeUnreadablePage(edge);
    std::filesystem::remove(path);
}

// The report's file is named through the hook once one is installed.
bool IntoTemp(const char* name, char* path, size_t size) {
    const std::string p = (std::filesystem::temp_directory_path() / name).string();
    if (p.size() >= size) return false;
    std::snprintf(path, size, "%s", p.c_str());
    return true;
}

TEST_F(AllocTrackerTest, TheFileNameGoesThroughTheNamer) {
    ReportCapture capture;
    tq::memory::SetLeakFileNamer(IntoTemp);
    tracker->Add(&a, 1, "x.cpp", 1);
    DumpLeakInfo(tracker, 0, "widgets", "tqcore-leaks-named.txt");
    tq::memory::SetLeakFileNamer(nullptr);
    const auto path = std::filesystem::temp_directory_path() / "tqcore-leaks-named.txt";
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ReportCapture::Count(kDbgNote, path.string() + "(1) : 1 widgets (0 expected)"), 1);
    std::filesystem::remove(path);
}

TEST_F(AllocTrackerTest, ThreadsAddAndRemoveTheirOwnItems) {
    constexpr int kThreads = 4;
    constexpr int kItems = 1000;
    static char slots[kThreads][kItems];
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < kItems; ++i) tracker->Add(&slots[t][i], uInt64(i), "thread.cpp", t);
            for (int i = 0; i < kItems; i += 2) tracker->Remove(&slots[t][i]);
        });
    }
    for (std::thread& th : threads) th.join();
    EXPECT_EQ(tracker->Count(), kThreads * kItems / 2);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_FALSE(tracker->IsTracked(&slots[t][0]));
        EXPECT_TRUE(tracker->IsTracked(&slots[t][1]));
    }
    TextDumper dumper(false);
    tracker->Dump(&dumper, "thread.cpp");
    EXPECT_EQ(dumper.Lines().back(), "Number of unfreed items: 2000");
}

TEST(AllocTrackerCreateTest, CreateGivesActiveTrackers) {
    AllocTracker* t = CreateAllocTracker();
    ASSERT_NE(t, nullptr);
    int x = 0;
    t->Add(&x);
    EXPECT_TRUE(t->IsTracked(&x));
    DestroyAllocTracker(t);
}

}  // namespace
