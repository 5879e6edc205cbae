#include <cmath>
#include <cstring>
#include <thread>
#include <typeinfo>
#include <vector>

#include "BinDataTestSupport.h"
#include "tqcore/core.h"

namespace {

// Unaligned on purpose: every converter must accept any address.
struct Scratch {
    alignas(16) uChar bytes[40];
    uChar* at() { return bytes + 3; }
};

float80 Extended(long double v) {
    float80 x;
    std::memcpy(x.bytes, &v, sizeof x.bytes);
    return x;
}

long double Value(const float80& x) {
    long double v = 0;
    std::memcpy(&v, x.bytes, sizeof x.bytes);
    return v;
}

TEST(Endianizer, ProcessWideInstancesAreOnePerClassAndStable) {
    const Endianizer* big = BigEndianizer();
    const Endianizer* little = LittleEndianizer();
    const Endianizer* native = NativeEndianizer();
    EXPECT_EQ(big, BigEndianizer());
    EXPECT_EQ(little, LittleEndianizer());
    EXPECT_EQ(native, NativeEndianizer());
    EXPECT_EQ(typeid(*big), typeid(_SwappingEndianizer));
    EXPECT_EQ(typeid(*little), typeid(_NonSwappingEndianizer));
    EXPECT_EQ(typeid(*native), typeid(_NativeEndianizer));
    EXPECT_TRUE(big->IsSwapping());
    EXPECT_FALSE(little->IsSwapping());
    EXPECT_FALSE(native->IsSwapping());
    EXPECT_EQ(big->ExtSize(), 16u);
    EXPECT_EQ(little->ExtSize(), 16u);
    EXPECT_EQ(native->ExtSize(), 10u);
}

TEST(Endianizer, PlacementCleanUpDestroysTheInstancesAndTheyAreBuiltAgain) {
    const Endianizer* before = BigEndianizer();
    LittleEndianizer();
    NativeEndianizer();
    TQPlacementNewRunCleanup();
    // Rebuilt in the same static storage, and usable.
    const Endianizer* after = BigEndianizer();
    EXPECT_EQ(after, before);
    const uChar stored[2] = {0x12, 0x34};
    EXPECT_EQ(after->Get16(stored), 0x1234);
    EXPECT_EQ(LittleEndianizer()->Get16(stored), 0x3412);
    EXPECT_EQ(NativeEndianizer()->ExtSize(), 10u);
}

TEST(Endianizer, IntegersAreStoredInTheConvertersOrderAndReadBack) {
    const struct {
        const Endianizer* e;
        Bytes b16, b32, b64;
    } cases[] = {
        {BigEndianizer(), B({0x12, 0x34}), B({0x89, 0xAB, 0xCD, 0xEF}), B({1, 2, 3, 4, 5, 6, 7, 8})},
        {LittleEndianizer(), B({0x34, 0x12}), B({0xEF, 0xCD, 0xAB, 0x89}), B({8, 7, 6, 5, 4, 3, 2, 1})},
        {NativeEndianizer(), B({0x34, 0x12}), B({0xEF, 0xCD, 0xAB, 0x89}), B({8, 7, 6, 5, 4, 3, 2, 1})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.b16[0]);
        Scratch s;
        const uInt16 v16 = 0x1234;
        c.e->FromNative16(&v16, s.at());
        EXPECT_EQ(Bytes(s.at(), s.at() + 2), c.b16);
        EXPECT_EQ(c.e->Get16(s.at()), 0x1234);
        uInt16 back16 = 0;
        c.e->ToNative16(s.at(), &back16);
        EXPECT_EQ(back16, 0x1234);
        const uInt32 v32 = 0x89ABCDEF;
        c.e->FromNative32(&v32, s.at());
        EXPECT_EQ(Bytes(s.at(), s.at() + 4), c.b32);
        EXPECT_EQ(c.e->Get32(s.at()), 0x89ABCDEFu);
        uInt32 back32 = 0;
        c.e->ToNative32(s.at(), &back32);
        EXPECT_EQ(back32, 0x89ABCDEFu);
        const uInt64 v64 = 0x0102030405060708ull;
        c.e->FromNative64(&v64, s.at());
        EXPECT_EQ(Bytes(s.at(), s.at() + 8), c.b64);
        uInt64 back64 = 0;
        c.e->ToNative64(s.at(), &back64);
        EXPECT_EQ(back64, v64);
    }
}

TEST(Endianizer, SixteenByteValuesAreReversedOnlyWhenSwapping) {
    uChar value[16], stored[16], back[16];
    for (int i = 0; i < 16; ++i) value[i] = uChar(i + 1);
    BigEndianizer()->FromNative128(value, stored);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(stored[i], 16 - i);
    BigEndianizer()->ToNative128(stored, back);
    EXPECT_EQ(std::memcmp(back, value, 16), 0);
    LittleEndianizer()->FromNative128(value, stored);
    EXPECT_EQ(std::memcmp(stored, value, 16), 0);
    LittleEndianizer()->ToNative128(stored, back);
    EXPECT_EQ(std::memcmp(back, value, 16), 0);
}

TEST(Endianizer, ExtendedOneHasTheStandardFormInEachOrder) {
    const float80 one = Extended(1.0L);
    // Sign and exponent 0x3FFF, fraction bits below the explicit integer bit all zero.
    const Bytes standard = B({0x3F, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    Scratch s;
    BigEndianizer()->FromNativeExt(&one, s.at());
    EXPECT_EQ(Bytes(s.at(), s.at() + 16), standard);
    LittleEndianizer()->FromNativeExt(&one, s.at());
    EXPECT_EQ(Bytes(s.at(), s.at() + 16), Bytes(standard.rbegin(), standard.rend()));
    NativeEndianizer()->FromNativeExt(&one, s.at());
    EXPECT_EQ(Bytes(s.at(), s.at() + 10), Bytes(one.bytes, one.bytes + 10));
}

TEST(Endianizer, ExtendedValuesRoundTripThroughEveryConverter) {
    const long double values[] = {0.0L,     -0.0L,   1.0L,     -2.5L,    3.14159265358979323846264L,
                                  1e-4940L, 1e4931L, INFINITY, -INFINITY};
    for (const Endianizer* e : {BigEndianizer(), LittleEndianizer(), NativeEndianizer()}) {
        for (long double v : values) {
            Scratch s;
            const float80 x = Extended(v);
            e->FromNativeExt(&x, s.at());
            float80 back{};
            e->ToNativeExt(s.at(), &back);
            EXPECT_EQ(std::memcmp(back.bytes, x.bytes, 10), 0) << double(v);
            EXPECT_EQ(Value(back), v);
        }
    }
    // A NaN stays a NaN with its payload.
    const float80 nan = Extended(std::nanl("5"));
    Scratch s;
    BigEndianizer()->FromNativeExt(&nan, s.at());
    float80 back{};
    BigEndianizer()->ToNativeExt(s.at(), &back);
    EXPECT_TRUE(std::isnan(Value(back)));
    EXPECT_EQ(std::memcmp(back.bytes, nan.bytes, 10), 0);
}

TEST(Endianizer, AConverterOfItsOwnBehavesAsTheSharedOne) {
    const _SwappingEndianizer own;
    const uInt32 v = 0xCAFEF00D;
    uChar a[4], b[4];
    own.FromNative32(&v, a);
    BigEndianizer()->FromNative32(&v, b);
    EXPECT_EQ(std::memcmp(a, b, 4), 0);
    EXPECT_EQ(own.Get32(a), v);
    // Destroying it leaves the shared instance alone.
    { const _NonSwappingEndianizer temporary; }
    EXPECT_EQ(LittleEndianizer()->Get32(a), 0x0DF0FECAu);
}

TEST(Endianizer, ThreadsAskingAtOnceGetOneInstance) {
    TQPlacementNewRunCleanup();
    std::vector<const Endianizer*> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = i % 2 ? BigEndianizer() : NativeEndianizer(); });
    for (auto& t : threads) t.join();
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], i % 2 ? BigEndianizer() : NativeEndianizer());
}

}  // namespace
