// String output channels: print counting and re-entry, the fork, the console and the debugger channel.
#include <atomic>
#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Syscalls.h"
#include "strings/StringTestSupport.h"
#include "tqcore/files.h"

using namespace strtest;

namespace {

// A channel that keeps what it is given.
class RecordingOutput : public StringOutputBase {
  public:
    std::vector<std::string> texts;
    int32 limit = 100;
    StringOutput* reenter = nullptr;
    int32 innerResult = -1;

  protected:
    void WriteFormatted(const char* format, va_list args) override {
        char buf[101];
        const int32 n = vsnprintf(buf, limit, format, args);
        texts.emplace_back(buf, size_t(n));
        if (reenter) innerResult = reenter->PrintData("inner");
    }
};

using StringOutputTest = StringTest;

TEST_F(StringOutputTest, PrintsAreCountedAndReentryIsSkipped) {
    RecordingOutput out;
    EXPECT_EQ(out.PrintData("a%d", 1), 1);
    EXPECT_EQ(out.PrintData("b%s", "c"), 2);
    out.reenter = &out;
    EXPECT_EQ(out.PrintData("x"), 3);
    EXPECT_EQ(out.innerResult, 2) << "the inner print is skipped and gives the count unchanged";
    EXPECT_EQ(out.texts, (std::vector<std::string>{"a1", "bc", "x"}));
    // The formatting buffer is cut and terminated.
    out.reenter = nullptr;
    out.limit = 4;
    out.PrintData("%s", "abcdefgh");
    EXPECT_EQ(out.texts.back(), "abcd");
}

TEST_F(StringOutputTest, ForkForwardsToBothAndAnswersTheSecondsCount) {
    auto* first = new RecordingOutput;
    auto* second = new RecordingOutput;
    second->PrintData("earlier");
    StringOutputFork fork(first, second, true);
    fork.Open(StringOutput::kOpenCreate);
    EXPECT_EQ(fork.PrintData("%d-%d", 1, 2), 2);
    EXPECT_EQ(first->texts, (std::vector<std::string>{"1-2"}));
    EXPECT_EQ(second->texts.back(), "1-2");
    fork.Flush();

    RecordingOutput only;
    StringOutputFork secondOnly(nullptr, &only, false);
    EXPECT_EQ(secondOnly.PrintData("x"), 1);
    EXPECT_EQ(secondOnly.PrintData("y"), 2);
    RecordingOutput firstChannel;
    StringOutputFork firstOnly(&firstChannel, nullptr, false);
    EXPECT_EQ(firstOnly.PrintData("x"), 1);
    StringOutputFork neither(nullptr, nullptr, true);
    EXPECT_EQ(neither.PrintData("x"), 0);
}

// What the library writes to the standard descriptors while an instance lives (POSIX only: Windows writes
// its console through calls outside the table).
class WriteCapture {
  public:
    WriteCapture() {
        gCaptured.clear();
        installed_ =
            tq::platform::SetSyscallForTest("write", reinterpret_cast<tq::platform::SyscallPointer>(&Write));
    }
    ~WriteCapture() { tq::platform::SetSyscallForTest("write", nullptr); }
    bool Installed() const { return installed_; }
    static inline std::string gCaptured;
    static inline StringOutput* gReenter = nullptr;
    static inline int32 gInnerResult = -1;

  private:
    static long Write(int, const void* data, unsigned long n) {
        gCaptured.append(static_cast<const char*>(data), n);
        if (gReenter) gInnerResult = gReenter->PrintData("inner");
        return long(n);
    }
    bool installed_;
};

TEST_F(StringOutputTest, ConsoleTextIsConvertedFromTheCodePageCutAt2048BytesAndShared) {
    std::unique_ptr<StringOutput> console(StringOutputFactory::CreateConsoleOutput());
    std::unique_ptr<StringOutput> other(StringOutputFactory::CreateConsoleOutput());
    ASSERT_NE(console, nullptr);
    ASSERT_NE(other, nullptr);
    other.reset();  // the channels share the console: the one left goes on writing
    WriteCapture capture;
    if (!capture.Installed()) GTEST_SKIP() << "the console is not written through the call table here";
    EXPECT_EQ(console->PrintData("caf\xE9 %d\n", 5), 1);
    EXPECT_EQ(WriteCapture::gCaptured, "caf\xC3\xA9 5\n");
    WriteCapture::gReenter = console.get();
    EXPECT_EQ(console->PrintData("outer"), 2);
    WriteCapture::gReenter = nullptr;
    EXPECT_EQ(WriteCapture::gInnerResult, 1) << "a print from the output path is skipped";
    WriteCapture::gCaptured.clear();
    console->PrintData("%s", std::string(3000, 'x').c_str());
    EXPECT_EQ(WriteCapture::gCaptured, std::string(2048, 'x'));
}

// The shared console state is made once and counted under its mutex whichever thread gets there first.
TEST_F(StringOutputTest, ConsoleChannelsComeAndGoOnSeveralThreads) {
    std::vector<std::thread> threads;
    std::atomic<int> made{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&made] {
            for (int i = 0; i < 200; ++i) {
                std::unique_ptr<StringOutput> console(StringOutputFactory::CreateConsoleOutput());
                made += console != nullptr;
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(made.load(), 800);
    std::unique_ptr<StringOutput> last(StringOutputFactory::CreateConsoleOutput());
    WriteCapture capture;
    if (!capture.Installed()) GTEST_SKIP() << "the console is not written through the call table here";
    EXPECT_EQ(last->PrintData("after"), 1);
    EXPECT_EQ(WriteCapture::gCaptured, "after");
}

TEST_F(StringOutputTest, DebugChannelSendsUtf8ToTheDebugger) {
    std::unique_ptr<StringOutput> debug(StringOutputFactory::CreateDebugPrintOutput());
    ASSERT_NE(debug, nullptr);
    WriteCapture capture;
    if (!capture.Installed())
        GTEST_SKIP() << "the debugger channel is not written through the call table here";
    EXPECT_EQ(debug->PrintData("n=%d \xE9", 3), 1);
    EXPECT_NE(WriteCapture::gCaptured.find("n=3 \xC3\xA9"), std::string::npos) << WriteCapture::gCaptured;
}

}  // namespace

namespace {

// A file in a fresh folder of the system's temporary folder, removed with the folder afterwards.
class StringOutputFileTest : public StringTest {
  protected:
    void SetUp() override {
        StringTest::SetUp();
        dir_ = std::filesystem::temp_directory_path() /
               ("tqcore-output-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        path_ = (dir_ / "out.txt").string();
    }
    void TearDown() override {
        std::filesystem::remove_all(dir_);
        StringTest::TearDown();
    }
    std::unique_ptr<StringOutput> Channel(const std::string& path) {
        std::unique_ptr<FileLoc> location(CreateFileLoc(FileLoc::kAsGiven, path.c_str(), false));
        EXPECT_NE(location, nullptr);
        return std::unique_ptr<StringOutput>(StringOutputFactory::CreateFileOutput(*location));
    }
    std::string Contents() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(StringOutputFileTest, NothingIsWrittenBeforeOpen) {
    auto out = Channel(path_);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->PrintData("x"), 1);
    EXPECT_EQ(out->PrintData("y"), 2) << "prints count even when nothing is written";
    EXPECT_FALSE(std::filesystem::exists(path_));
    // A file that cannot be opened leaves the channel unopened.
    auto unopened = Channel((dir_ / "no-such-folder" / "x.txt").string());
    unopened->Open(StringOutput::kOpenCreate);
    EXPECT_EQ(unopened->PrintData("x"), 1);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "no-such-folder"));
}

TEST_F(StringOutputFileTest, CreateTruncatesAppendKeepsAndLongTextIsCut) {
    {
        std::ofstream(path_) << "old contents";
        auto out = Channel(path_);
        out->Open(StringOutput::kOpenCreate);
        EXPECT_EQ(out->PrintData("a%d", 1), 1);
        EXPECT_EQ(out->PrintData("b%s", "2"), 2);
        out->Flush();
    }
    EXPECT_EQ(Contents(), "a1b2");
    // Text past 2048 bytes is cut.
    {
        auto out = Channel(path_);
        out->Open(StringOutput::kOpenCreate);
        out->PrintData("%s", std::string(3000, 'w').c_str());
    }
    EXPECT_EQ(Contents(), std::string(2048, 'w'));
    for (StringOutput::OpenMode mode : {StringOutput::kOpenAppend, StringOutput::kOpenAppendInPlace}) {
        auto out = Channel(path_);
        out->Open(mode);
        out->PrintData("+");
    }
    EXPECT_EQ(Contents(), std::string(2048, 'w') + "++");
}

TEST_F(StringOutputFileTest, AForkWritesToTheFileAndAnotherChannel) {
    auto* recording = new RecordingOutput;
    StringOutputFork fork(Channel(path_).release(), recording, true);
    fork.Open(StringOutput::kOpenCreate);
    EXPECT_EQ(fork.PrintData("%d", 7), 1);
    fork.Flush();
    EXPECT_EQ(recording->texts, (std::vector<std::string>{"7"}));
    EXPECT_EQ(Contents(), "7");
}

}  // namespace
