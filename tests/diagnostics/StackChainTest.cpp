#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tqcore/diagnostics.h"

#if defined(__linux__)
#include <ucontext.h>
#endif

// Outside the anonymous namespace and exported from the test program, so every symbol source can name it.
__attribute__((noinline)) void StackChainTestKnownFunction(StackChain& chain, int32 skip) {
    chain.Record(skip);
    asm volatile("");
}

#if defined(__linux__)
// Records from a saved context the way a fault handler would: the context's own instruction comes first.
__attribute__((noinline)) void StackChainTestFromContext(StackChain& chain) {
    ucontext_t context;
    getcontext(&context);
    chain.RecordFrom(&context, nullptr, 0);
    asm volatile("");
}
#endif

__attribute__((noinline)) void StackChainTestDeep(StackChain& chain, int depth) {
    if (depth > 0)
        StackChainTestDeep(chain, depth - 1);
    else
        chain.Record(0);
    asm volatile("");
}

namespace {

std::vector<std::string> Decode(const StackChain& chain) {
    std::unique_ptr<StackDecoder> decoder(chain.FrameDecoder());
    std::vector<std::string> texts;
    if (!decoder) return texts;
    char text[512];
    while (decoder->NextFrame(text, sizeof text)) texts.emplace_back(text);
    return texts;
}

TEST(StackChainTest, RecordsAtMostCapacityAndCopiesKeepFrames) {
    StackChainFS<4> small;
    EXPECT_EQ(small.Count(), 0);
    StackChainTestDeep(small, 20);
    EXPECT_EQ(small.Count(), 4);
    EXPECT_EQ(small.Capacity(), 4);
    EXPECT_EQ(small.Frame(4), nullptr);
    EXPECT_EQ(small.Frame(-1), nullptr);

    StackChainFS<16> big;
    StackChainTestDeep(big, 20);
    ASSERT_EQ(big.Count(), 16);
    const StackChainFS<16> copy = big;
    ASSERT_EQ(copy.Count(), 16);
    for (int32 i = 0; i < 16; ++i) EXPECT_EQ(copy.Frame(i), big.Frame(i));
}

#if defined(__linux__)
TEST(StackChainTest, DecodesKnownFunctionFirstAndSkipDropsIt) {
    StackChainFS<16> chain;
    StackChainTestKnownFunction(chain, 0);
    const std::vector<std::string> texts = Decode(chain);
    ASSERT_FALSE(texts.empty());
    EXPECT_NE(texts[0].find("StackChainTestKnownFunction(StackChain&, int)"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find(' '), std::string::npos);

    StackChainFS<16> skipped;
    StackChainTestKnownFunction(skipped, 1);
    const std::vector<std::string> rest = Decode(skipped);
    ASSERT_FALSE(rest.empty());
    EXPECT_EQ(rest[0].find("StackChainTestKnownFunction"), std::string::npos) << rest[0];
}

TEST(StackChainTest, RecordFromContextStartsAtContextInstruction) {
    StackChainFS<16> chain;
    StackChainTestFromContext(chain);
    const std::vector<std::string> texts = Decode(chain);
    ASSERT_FALSE(texts.empty());
    EXPECT_NE(texts[0].find("StackChainTestFromContext(StackChain&)"), std::string::npos) << texts[0];
    EXPECT_LE(chain.Count(), 16);
}
#endif

TEST(StackChainTest, DecoderWalksOnceAndTruncatesText) {
    StackChainFS<16> chain;
    StackChainTestKnownFunction(chain, 0);
    std::unique_ptr<StackDecoder> decoder(chain.FrameDecoder());
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->Count(), chain.Count());
    char tiny[6] = "xxxxx";
    ASSERT_TRUE(decoder->NextFrame(tiny, sizeof tiny));
    EXPECT_EQ(std::string(tiny).size(), 5u);
    int32 more = 0;
    while (decoder->NextFrame(nullptr, 0)) ++more;
    EXPECT_EQ(more + 1, chain.Count());
    EXPECT_FALSE(decoder->NextFrame(tiny, sizeof tiny));
    decoder->Rewind();
    EXPECT_TRUE(decoder->NextFrame(tiny, sizeof tiny));
}

TEST(StackChainTest, EmptyChainAndUnknownAddressDecodeSafely) {
    StackChainFS<16> empty;
    EXPECT_TRUE(Decode(empty).empty());
    void* bogus[1] = {reinterpret_cast<void*>(uintptr_t(0x10))};
    StackDecoder decoder(bogus, 1);
    char text[64];
    ASSERT_TRUE(decoder.NextFrame(text, sizeof text));
    EXPECT_EQ(std::string(text), "<unknown> <unknown>");
}

TEST(StackChainTest, RecordFromWithoutContextRecordsLikeRecord) {
    StackChainFS<128> viaRecord, viaRecordFrom;
    StackChainTestKnownFunction(viaRecord, 0);
    viaRecordFrom.RecordFrom(nullptr, nullptr, 0);
    ASSERT_GT(viaRecordFrom.Count(), 1);
    // Both were recorded from this test body: the frame above each recording call returns into it.
    EXPECT_EQ(viaRecordFrom.Count() + 1, viaRecord.Count());
}

}  // namespace
