// Numeric type codes: sizes, classes, classification, conversion between any two types, stream form of
// extended values, and small integer utilities.
#define TQ_UNIT "source\\NumericSupport"

#include <atomic>
#include <cmath>
#include <cstring>

#include "diagnostics/Report.h"
#include "numerics/ComplexMath.h"
#include "numerics/NumericRead.h"
#include "numerics/Saturate.h"
#include "tqcore/core.h"

using tq::numerics::ReadAs;
using tq::numerics::ReadExt;
using tq::numerics::SaturateRound;
using tq::numerics::WriteAs;
using tq::numerics::WriteExt;

namespace {

constexpr int32 kClasses[16] = {kNumClassNone,     kNumClassSigned,   kNumClassSigned,   kNumClassSigned,
                                kNumClassSigned,   kNumClassUnsigned, kNumClassUnsigned, kNumClassUnsigned,
                                kNumClassUnsigned, kNumClassFloat,    kNumClassFloat,    kNumClassFloat,
                                kNumClassComplex,  kNumClassComplex,  kNumClassComplex,  kNumClassNone};
constexpr int32 kSizes[16] = {0, 1, 2, 4, 8, 1, 2, 4, 8, 4, 8, 0, 8, 16, 0, 0};
std::atomic<int32> gExtSize{10};

bool IsInteger(int32 code) {
    return kClasses[code] == kNumClassSigned || kClasses[code] == kNumClassUnsigned;
}

using Ext = long double;
struct ExtPair {
    Ext re, im;
};

ExtPair ReadNumber(int32 code, const void* p) {
    const auto* b = static_cast<const uInt8*>(p);
    switch (code) {
        case kNumI8:
        case kNumI16:
        case kNumI32:
        case kNumI64:
            return {Ext(int64(tq::numerics::ReadWidened(code, p))), 0};
        case kNumU8:
        case kNumU16:
        case kNumU32:
        case kNumU64:
            return {Ext(tq::numerics::ReadWidened(code, p)), 0};
        case kNumSgl:
            return {ReadAs<float>(p), 0};
        case kNumDbl:
            return {ReadAs<double>(p), 0};
        case kNumExt:
            return {ReadExt(p), 0};
        case kNumCSgl:
            return {ReadAs<float>(b), ReadAs<float>(b + 4)};
        case kNumCDbl:
            return {ReadAs<double>(b), ReadAs<double>(b + 8)};
        default:
            return {ReadExt(b), ReadExt(b + 10)};
    }
}

void WriteNumber(int32 code, void* p, ExtPair v) {
    auto* b = static_cast<uInt8*>(p);
    switch (code) {
        case kNumI8:
            return WriteAs(p, SaturateRound<int8>(v.re));
        case kNumI16:
            return WriteAs(p, SaturateRound<int16>(v.re));
        case kNumI32:
            return WriteAs(p, SaturateRound<int32>(v.re));
        case kNumI64:
            return WriteAs(p, SaturateRound<int64>(v.re));
        case kNumU8:
            return WriteAs(p, SaturateRound<uInt8>(v.re));
        case kNumU16:
            return WriteAs(p, SaturateRound<uInt16>(v.re));
        case kNumU32:
            return WriteAs(p, SaturateRound<uInt32>(v.re));
        case kNumU64:
            return WriteAs(p, SaturateRound<uInt64>(v.re));
        case kNumSgl:
            return WriteAs(p, float(v.re));
        case kNumDbl:
            return WriteAs(p, double(v.re));
        case kNumExt:
            return WriteExt(p, v.re);
        case kNumCSgl:
            WriteAs(b, float(v.re));
            return WriteAs(b + 4, float(v.im));
        case kNumCDbl:
            WriteAs(b, double(v.re));
            return WriteAs(b + 8, double(v.im));
        default:
            WriteExt(b, v.re);
            return WriteExt(b + 10, v.im);
    }
}

uInt64 LoadBigEndian(const uInt8* p, int n) {
    uInt64 v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | p[i];
    return v;
}
void StoreBigEndian(uInt8* p, uInt64 v, int n) {
    for (int i = n - 1; i >= 0; --i, v >>= 8) p[i] = uInt8(v);
}

}  // namespace

namespace tq::numerics {

// Integer source widened to 64 bits with its own signedness.
uInt64 ReadWidened(int32 code, const void* p) {
    switch (code) {
        case kNumI8: {
            int8 v;
            std::memcpy(&v, p, 1);
            return uInt64(int64(v));
        }
        case kNumI16: {
            int16 v;
            std::memcpy(&v, p, 2);
            return uInt64(int64(v));
        }
        case kNumI32: {
            int32 v;
            std::memcpy(&v, p, 4);
            return uInt64(int64(v));
        }
        case kNumU8: {
            uInt8 v;
            std::memcpy(&v, p, 1);
            return v;
        }
        case kNumU16: {
            uInt16 v;
            std::memcpy(&v, p, 2);
            return v;
        }
        case kNumU32: {
            uInt32 v;
            std::memcpy(&v, p, 4);
            return v;
        }
        default: {
            uInt64 v;
            std::memcpy(&v, p, 8);
            return v;
        }
    }
}

}  // namespace tq::numerics

TQ_EXTERN_C_BEGIN

// The extended size only changes what NumSize reports; values in memory keep the 10-byte layout.
TQ_API int32 NumSize(int32 code) {
    const int32 c = code & 15;
    if (c == kNumExt) return gExtSize.load(std::memory_order_relaxed);
    if (c == kNumCExt) return 2 * gExtSize.load(std::memory_order_relaxed);
    return kSizes[c];
}

TQ_API int32 NumClass(int32 code) {
    return kClasses[code & 15];
}

TQ_API int32 SetFxSize(int32 n) {
    return gExtSize.exchange(n);
}

TQ_API int32 ClassifyFloatNumber(const void* value, int32 code) {
    if (!value) return 0;
    uInt64 mantissa = 0;
    int32 exponent = 0, maxExponent = 0;
    bool negative = false, explicitOne = true;
    const auto* b = static_cast<const uInt8*>(value);
    switch (code) {
        case kNumSgl: {
            const uInt32 v = ReadAs<uInt32>(b);
            negative = v >> 31, exponent = (v >> 23) & 0xFF, maxExponent = 0xFF, mantissa = v & 0x7FFFFF;
            break;
        }
        case kNumDbl: {
            const uInt64 v = ReadAs<uInt64>(b);
            negative = v >> 63, exponent = int32(v >> 52) & 0x7FF, maxExponent = 0x7FF;
            mantissa = v & 0xFFFFFFFFFFFFFull;
            break;
        }
        case kNumExt: {
            const uInt16 se = ReadAs<uInt16>(b + 8);
            const uInt64 m = ReadAs<uInt64>(b);
            negative = se >> 15, exponent = se & 0x7FFF, maxExponent = 0x7FFF;
            explicitOne = m >> 63, mantissa = m & 0x7FFFFFFFFFFFFFFFull;
            break;
        }
        default:
            return 0;
    }
    if (exponent != maxExponent) return 0;
    if (mantissa != 0 || !explicitOne) return 3;
    return negative ? 1 : 2;
}

TQ_API TqErr ConvertNum(int32 srcCode, const void* src, int32 dstCode, void* dst) {
    if (srcCode < 1 || srcCode > 30 || dstCode < 1 || dstCode > 30 || NumClass(srcCode) == kNumClassNone ||
        NumClass(dstCode) == kNumClassNone) {
        TQ_REPORT(kDbgFatal, "ConvertNum called with non-numeric");
        return kErrArgument;
    }
    if (!src || !dst) {
        TQ_REPORT(kDbgFatal, "ConvertNum called with Empty Data");
        return kErrArgument;
    }
    const int32 from = srcCode & 15, to = dstCode & 15;
    if (IsInteger(from) && IsInteger(to)) {
        const uInt64 v = tq::numerics::ReadWidened(from, src);
        uInt8 bytes[8];
        std::memcpy(bytes, &v, 8);
        std::memcpy(dst, bytes, size_t(kSizes[to]));
        return kErrNone;
    }
    WriteNumber(to, dst, ReadNumber(from, src));
    return kErrNone;
}

TQ_API int8 Float64ToInt8(double x) {
    return SaturateRound<int8>(x);
}
TQ_API int16 Float64ToInt16(double x) {
    return SaturateRound<int16>(x);
}
TQ_API int32 Float64ToInt32(double x) {
    return SaturateRound<int32>(x);
}
TQ_API int64 Float64ToInt64(double x) {
    return SaturateRound<int64>(x);
}
TQ_API uInt8 Float64ToUInt8(double x) {
    return SaturateRound<uInt8>(x);
}
TQ_API uInt16 Float64ToUInt16(double x) {
    return SaturateRound<uInt16>(x);
}
TQ_API uInt32 Float64ToUInt32(double x) {
    return SaturateRound<uInt32>(x);
}
TQ_API uInt64 Float64ToUInt64(double x) {
    return SaturateRound<uInt64>(x);
}
TQ_API int64 FloatExtToInt64(TQExtended x) {
    return SaturateRound<int64>(x);
}
TQ_API uInt64 FloatExtToUInt64(TQExtended x) {
    return SaturateRound<uInt64>(x);
}
// Converting through extended keeps all 64 bits, so the single rounding to double is the nearest.
TQ_API double UInt64ToFloat64(uInt64 u) {
    return double((long double)u);
}

TQ_API void XToStd(const float80* x, floatExt* out) {
    if (!x || !out) return;
    const uInt16 se = ReadAs<uInt16>(x->bytes + 8);
    uInt64 m = ReadAs<uInt64>(x->bytes);
    if ((se & 0x7FFF) != 0) m <<= 1;
    std::memset(out->bytes, 0, sizeof out->bytes);
    StoreBigEndian(out->bytes, se, 2);
    StoreBigEndian(out->bytes + 2, m, 8);
}

TQ_API void StdToX(const floatExt* in, float80* x) {
    if (!in || !x) return;
    const uInt16 se = uInt16(LoadBigEndian(in->bytes, 2));
    uInt64 m = LoadBigEndian(in->bytes + 2, 8);
    if ((se & 0x7FFF) != 0) m = (m >> 1) | 0x8000000000000000ull;
    WriteAs(x->bytes, m);
    WriteAs(x->bytes + 8, se);
}

// The stream form already is this platform's form.
TQ_API void StdToT(floatExt*) {}
TQ_API void TToStd(floatExt*) {}

TQ_API int32 Pin(int32 x, int32 lo, int32 hi) {
    if (hi <= lo || x < lo) return lo;
    return x < hi ? x : hi;
}
// The absolute value of the most negative int32 wraps to itself, as the processor's negation does.
TQ_API int32 Abs(int32 x) {
    return x < 0 ? int32(0u - uInt32(x)) : x;
}
TQ_API int32 Max(int32 a, int32 b) {
    return a > b ? a : b;
}
TQ_API int32 Min(int32 a, int32 b) {
    return a < b ? a : b;
}
TQ_API int32 Mod(int32 a, int32 b) {
    if (b == 0) return RTiDiv(a, b);
    if (b == -1) return 0;
    const int32 r = a % b;
    // Unsigned sum: |INT32_MIN| is only representable that way.
    return r < 0 ? int32(uInt32(r) + uInt32(Abs(b))) : r;
}

TQ_EXTERN_C_END

int32 tq::isinf(double x) {
    return std::isinf(x);
}
int32 tq::isnan(double x) {
    return std::isnan(x);
}
void tq::sincos(double x, double* s, double* c) {
    if (s) *s = std::sin(x);
    if (c) *c = std::cos(x);
}
