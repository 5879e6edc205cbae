// tqcore/numerics.h - numeric operation families, numeric type codes and conversions, extended-precision
// elementary functions, constants and random numbers.
// Threading: every function may be called from any thread. SetFxSize changes a process-wide setting (set it
// during start-up). RandomGen serialises on its own lock; RandomGenWithState is as safe as the caller's
// state. Values are passed by address, results written through the trailing pointers; nothing here allocates.
#pragma once

#include <assert.h>
#include <float.h>

#include "tqcore/types.h"

// The extended type is the 80-bit x87 format; a platform whose long double is narrower must not build.
typedef long double TQExtended;
static_assert(LDBL_MANT_DIG == 64, "TQExtended needs the 80-bit extended format");

// An extended value in memory: 10 bytes, no padding.
typedef struct float80 {
    uInt8 bytes[10];
} float80;
// Its 16-byte platform-independent stream form (see XToStd).
typedef struct floatExt {
    uInt8 bytes[16];
} floatExt;
// Complex values: real part, then imaginary part.
typedef struct cmplx64 {
    float re, im;
} cmplx64;
typedef struct cmplx128 {
    double re, im;
} cmplx128;
typedef struct cmplx160 {
    float80 re, im;
} cmplx160;
// A complex extended value held in registers, for the extended primitives.
typedef struct TQComplexExt {
    TQExtended re, im;
} TQComplexExt;

// The operation lists; this header undefines them again at its end, and so every macro it makes.
#include "tqcore/detail/numeric_ops.inc"

#define TQ_DECL_REAL_UNARY(op, L, T) TQ_API void RTf##op##L(const T* x, T* r);
#define TQ_DECL_REAL_BINARY(op, L, T) TQ_API void RTf##op##L(const T* a, const T* b, T* r);
#define TQ_DECL_REAL_COMPARE(op, L, T) TQ_API int32 RTf##op##L(const T* a, const T* b);
#define TQ_DECL_REAL_TEST(op, L, T) TQ_API int32 RTf##op##L(const T* x);
#define TQ_DECL_CPLX_UNARY(op, L, C) TQ_API void RTc##op##L(const C* z, C* w);
#define TQ_DECL_CPLX_BINARY(op, L, C) TQ_API void RTc##op##L(const C* a, const C* b, C* w);
#define TQ_DECL_CPLX_TEST(op, L, C) TQ_API int32 RTc##op##L(const C* z);
#define TQ_DECL_CPLX_COMPARE(op, L, C) TQ_API int32 RTc##op##L(const C* a, const C* b);

#define TQ_DECL_CALLED(L, T, C)                                       \
    TQ_REAL_UNARY_FUNCS(TQ_DECL_REAL_UNARY, L, T)                     \
    TQ_REAL_BINARY_FUNCS(TQ_DECL_REAL_BINARY, L, T)                   \
    TQ_API void RTfQRem##L(const T* a, const T* b, T* q, T* r);       \
    TQ_API void RTfMaxMin##L(const T* a, const T* b, T* max, T* min); \
    TQ_API int32 RTfSign##L(const T* x, T* r);                        \
    TQ_API void RTfSinCos##L(const T* x, T* s, T* c);                 \
    TQ_API void RTfGetMantExp##L(const T* x, T* m, T* e);             \
    TQ_API void RTfiScale##L(const T* x, const T* n, T* r);           \
    TQ_CPLX_UNARY_OPS(TQ_DECL_CPLX_UNARY, L, C)                       \
    TQ_CPLX_BINARY_OPS(TQ_DECL_CPLX_BINARY, L, C)                     \
    TQ_CPLX_TESTS(TQ_DECL_CPLX_TEST, L, C)                            \
    TQ_CPLX_COMPARE_OPS(TQ_DECL_CPLX_COMPARE, L, C)                   \
    TQ_API void RTcAbs##L(const C* z, T* r);                          \
    TQ_API void RTcSinCos##L(const C* z, C* s, C* c);                 \
    TQ_API void RTciScale##L(const C* z, const T* n, C* w);           \
    TQ_API void RTfcReImToC##L(const T* re, const T* im, C* z);       \
    TQ_API void RTfcRThToC##L(const T* r, const T* theta, C* z);      \
    TQ_API void RTcfCToReIm##L(const C* z, T* re, T* im);             \
    TQ_API void RTcfCToRTh##L(const C* z, T* r, T* theta);

// The one-operator operations on single and double values are defined in the C++ section below so that a
// C++ compiler inlines them like the operators themselves; the library still emits and exports each one
// for callers that bind by name, and C callers call those.
#if !defined(__cplusplus)
#define TQ_OPERATOR_API TQ_API
#elif defined(TQCORE_BUILDING)
#define TQ_OPERATOR_API TQ_API __attribute__((used)) inline
#else
#define TQ_OPERATOR_API inline
#endif
#define TQ_OPDECL_REAL_UNARY(op, L, T) TQ_OPERATOR_API void RTf##op##L(const T* x, T* r);
#define TQ_OPDECL_REAL_BINARY(op, L, T) TQ_OPERATOR_API void RTf##op##L(const T* a, const T* b, T* r);
#define TQ_OPDECL_REAL_COMPARE(op, L, T) TQ_OPERATOR_API int32 RTf##op##L(const T* a, const T* b);
#define TQ_OPDECL_REAL_TEST(op, L, T) TQ_OPERATOR_API int32 RTf##op##L(const T* x);

TQ_EXTERN_C_BEGIN

// ---- Operation families. Two-result operations skip a null output. The extended arithmetic that this
// platform lacks (RTfAddX, RTcMulX, ...) reports a fatal diagnostic and writes nothing.
TQ_FOR_EACH_ELEMENT(TQ_DECL_CALLED)
TQ_REAL_OPERATORS(TQ_DECL, X, float80)
TQ_REAL_OPERATORS(TQ_OPDECL, S, float)
TQ_REAL_OPERATORS(TQ_OPDECL, D, double)

// Floored 64-bit division; b = 0 gives q = 0, r = a. Returns q.
TQ_API int64 RTQRemiQ(int64 a, int64 b, int64* q, int64* r);
TQ_API uInt64 RTQRemuQ(uInt64 a, uInt64 b, uInt64* q, uInt64* r);
// Truncating 32-bit division; a zero divisor (and INT32_MIN / -1) raises the processor's divide error.
TQ_API int32 RTiDiv(int32 a, int32 b);
TQ_API uInt32 RTuDiv(uInt32 a, uInt32 b);
// Wrapping 32-bit product.
TQ_API int32 RTiMul(int32 a, int32 b);
TQ_API uInt32 RTuMul(uInt32 a, uInt32 b);

// ---- Numeric type codes 1..14 (low 4 bits of the code are used).
enum {
    kNumNone = 0,
    kNumI8 = 1,
    kNumI16 = 2,
    kNumI32 = 3,
    kNumI64 = 4,
    kNumU8 = 5,
    kNumU16 = 6,
    kNumU32 = 7,
    kNumU64 = 8,
    kNumSgl = 9,
    kNumDbl = 10,
    kNumExt = 11,
    kNumCSgl = 12,
    kNumCDbl = 13,
    kNumCExt = 14,
};
// The classes NumClass answers.
enum {
    kNumClassSigned = 0,
    kNumClassUnsigned = 1,
    kNumClassFloat = 2,
    kNumClassComplex = 3,
    kNumClassNone = 64,
};
TQ_API int32 NumSize(int32 code);
TQ_API int32 NumClass(int32 code);
// Sets the size of the extended codes (11 gets n, 14 gets 2n); returns the previous size of 11.
TQ_API int32 SetFxSize(int32 n);
// 0 finite, 1 -inf, 2 +inf, 3 NaN; codes other than 9, 10, 11 give 0.
TQ_API int32 ClassifyFloatNumber(const void* value, int32 code);
// Converts one value; integer to integer wraps, to integer from float rounds to even and saturates.
// Returns kErrArgument (after a fatal diagnostic) for a bad code or a null pointer.
TQ_API TqErr ConvertNum(int32 srcCode, const void* src, int32 dstCode, void* dst);
// Round to nearest, ties to even, saturating; NaN gives the maximum.
TQ_API int8 Float64ToInt8(double x);
TQ_API int16 Float64ToInt16(double x);
TQ_API int32 Float64ToInt32(double x);
TQ_API int64 Float64ToInt64(double x);
TQ_API uInt8 Float64ToUInt8(double x);
TQ_API uInt16 Float64ToUInt16(double x);
TQ_API uInt32 Float64ToUInt32(double x);
TQ_API uInt64 Float64ToUInt64(double x);
TQ_API int64 FloatExtToInt64(TQExtended x);
TQ_API uInt64 FloatExtToUInt64(TQExtended x);
TQ_API double UInt64ToFloat64(uInt64 u);
// Extended value <-> its 16-byte stream form; StdToT and TToStd do nothing on this platform.
TQ_API void XToStd(const float80* x, floatExt* out);
TQ_API void StdToX(const floatExt* in, float80* x);
TQ_API void StdToT(floatExt* value);
TQ_API void TToStd(floatExt* value);

// ---- Rounding and integer utilities.
TQ_API int32 RndToNearest(double x);
TQ_API int64 RndToNearestI64(double x);
TQ_API uInt32 RndToNearestU32(double x);
TQ_API uInt64 RndToNearestU64(double x);
// Nearest multiple of inc, halves away from zero; inc <= 0 returns x unchanged.
TQ_API int32 RndToInc(int32 x, int32 inc);
TQ_API int32 Pin(int32 x, int32 lo, int32 hi);
TQ_API int32 Abs(int32 x);
TQ_API int32 Max(int32 a, int32 b);
TQ_API int32 Min(int32 a, int32 b);
// Non-negative remainder; b = 0 raises the processor's divide error.
TQ_API int32 Mod(int32 a, int32 b);

// ---- The x87 unit.
// Resets the unit: exceptions masked, 64-bit significand, round to nearest.
TQ_API void FPInit(void);
TQ_API void FPSave(void);
// Saves and restores the unit; 1 when its register stack was empty.
TQ_API int32 FPCheck(void);
TQ_API void FPPush(void);
TQ_API void FPPop(void);
TQ_API uInt16 CheckFPStat(void);

// ---- Constants.
TQ_API double DPi(void);
TQ_API double DHalfPi(void);
TQ_API double DThreeHalvesPi(void);
TQ_API double DTwoPi(void);
TQ_API double DTwo(void);
TQ_API double DRad2Deg(void);
TQ_API double DInfinity(void);
TQ_API double DNegInfinity(void);
TQ_API double DNaN(void);
TQ_API float SInfinity(void);
TQ_API float SNegInfinity(void);
TQ_API TQExtended EPi(void);
TQ_API TQExtended EHalfPi(void);
TQ_API TQExtended ETwoPi(void);
TQ_API TQExtended ERecipPi(void);
TQ_API TQExtended ELnOfPi(void);
TQ_API TQExtended EE(void);
TQ_API TQExtended ERecipE(void);
TQ_API TQExtended Eln10(void);
TQ_API TQExtended ELnOfTwo(void);
TQ_API TQExtended ELogOfE(void);
TQ_API TQExtended EOne(void);
TQ_API TQExtended EZero(void);
TQ_API TQExtended EInfinity(void);
TQ_API TQExtended ENegInfinity(void);
TQ_API TQExtended ENaN(void);
TQ_API TQExtended EEpsilon(void);
TQ_API TQExtended EEpsilonSgl(void);
TQ_API TQExtended EEpsilonExt(void);
TQ_API TQExtended EMaxW(void);
TQ_API TQExtended EMaxL(void);
TQ_API TQExtended ESpeedLt(void);
TQ_API TQExtended EPlanck(void);
TQ_API TQExtended EElemChg(void);
TQ_API TQExtended EAvgdro(void);
TQ_API TQExtended EGravity(void);
TQ_API TQExtended EMlrGas(void);
TQ_API TQExtended ERydbrg(void);

// ---- Extended-precision elementary functions. Masked x87 results: log of 0 is -inf, of a negative NaN.
TQ_API TQExtended LogX(TQExtended a, TQExtended b);  // log of b to the base a
TQ_API TQExtended Log2(TQExtended x);
TQ_API TQExtended Log10(TQExtended x);
TQ_API TQExtended LogN(TQExtended x);
TQ_API TQExtended Lognp1(TQExtended x);
TQ_API TQExtended F2X(TQExtended y);
TQ_API TQExtended F2XM1(TQExtended y);
TQ_API TQExtended ExpX(TQExtended x);
TQ_API TQExtended Expm1X(TQExtended x);
TQ_API TQExtended Pow10X(TQExtended x);
TQ_API TQExtended Pow2X(TQExtended x);
TQ_API TQExtended PowerX(TQExtended base, TQExtended exponent);
TQ_API TQExtended ScaleX(TQExtended x, TQExtended n);
// Mantissa with 1 <= |m| < 2; the exponent goes to *e. Zero gives 0 and 0.
TQ_API TQExtended FMantExpX(TQExtended x, TQExtended* e);
TQ_API TQExtended RecipX(TQExtended x);
TQ_API TQExtended FloorX(TQExtended x);
TQ_API TQExtended CeilX(TQExtended x);
TQ_API TQExtended SignX(TQExtended x);
TQ_API TQExtended SinX(TQExtended x);
TQ_API TQExtended CosX(TQExtended x);
TQ_API TQExtended TanX(TQExtended x);
TQ_API TQExtended ATanX(TQExtended x);
TQ_API TQExtended FATan2X(TQExtended a, TQExtended b);  // atan2(b, a): a is the x coordinate
TQ_API TQExtended SincX(TQExtended x);
TQ_API TQExtended Sinh(TQExtended x);
TQ_API TQExtended Cosh(TQExtended x);
TQ_API TQExtended Tanh(TQExtended x);
TQ_API TQExtended ASinX(TQExtended x);
TQ_API TQExtended ACosX(TQExtended x);
TQ_API TQExtended Asinh(TQExtended x);
TQ_API TQExtended Acosh(TQExtended x);
TQ_API TQExtended Atanh(TQExtended x);
// 0 not an integer, 1 a negative integer, 2 a non-negative integer.
TQ_API int32 FPIsInt(TQExtended x);
// Fills and returns the process-wide table 1, 10, 10^2, 10^4, ..., 10^4096 (14 entries).
TQ_API const TQExtended* GenPow10Table(void);
// Sums count elements strideBytes apart in extended precision; a null pointer or count <= 0 gives 0.
TQ_API void Sum1DDoubleArray(const void* base, int32 strideBytes, int32 count, double* result);
TQ_API void Sum1DSingleArray(const void* base, int32 strideBytes, int32 count, float* result);
TQ_API void Sum1DExtendedArray(const void* base, int32 strideBytes, int32 count, float80* result);

#define TQ_DECL_WRAP1(name32, name64, nameExt) \
    TQ_API float name32(float x);              \
    TQ_API double name64(double x);            \
    TQ_API TQExtended nameExt(TQExtended x);
#define TQ_DECL_WRAP2(name32, name64, nameExt) \
    TQ_API float name32(float a, float b);     \
    TQ_API double name64(double a, double b);  \
    TQ_API TQExtended nameExt(TQExtended a, TQExtended b);
TQ_DECL_WRAP1(FLog2_32, FLog2_64, FLog2_Ext)
TQ_DECL_WRAP1(FLog10_32, FLog10_64, FLog10_Ext)
TQ_DECL_WRAP1(FLogN32, FLogN64, FLogNExt)
TQ_DECL_WRAP1(FExpX32, FExpX64, FExpXExt)
TQ_DECL_WRAP1(FPow10X32, FPow10X64, FPow10XExt)
TQ_DECL_WRAP1(FPow2X32, FPow2X64, FPow2XExt)
TQ_DECL_WRAP2(FLogX32, FLogX64, FLogXExt)
TQ_DECL_WRAP2(FScaleX32, FScaleX64, FScaleXExt)
TQ_DECL_WRAP2(FATan2_32, FATan2_64, FATan2_Ext)
TQ_DECL_WRAP2(FPowerX32, FPowerX64, FPowerXExt)
#undef TQ_DECL_WRAP1
#undef TQ_DECL_WRAP2

// Complex primitives in extended precision.
TQ_API TQComplexExt ComplexRToP(TQComplexExt z);
TQ_API TQComplexExt ComplexPToR(TQComplexExt polar);
TQ_API TQComplexExt ComplexDivide(TQComplexExt a, TQComplexExt b);
TQ_API TQComplexExt ComplexRecip(TQComplexExt z);
TQ_API TQComplexExt ComplexSin(TQComplexExt z);
TQ_API TQComplexExt ComplexCos(TQComplexExt z);
TQ_API TQComplexExt ComplexTan(TQComplexExt z);
TQ_API TQComplexExt ComplexCot(TQComplexExt z);
TQ_API TQComplexExt ComplexSinh(TQComplexExt z);
TQ_API TQComplexExt ComplexCosh(TQComplexExt z);
TQ_API TQComplexExt ComplexTanh(TQComplexExt z);
TQ_API void ComplexSincos(TQComplexExt z, TQComplexExt* s, TQComplexExt* c);
TQ_API TQComplexExt ComplexSinc(TQComplexExt z);
TQ_API TQComplexExt ComplexAsin(TQComplexExt z);
TQ_API TQComplexExt ComplexAcos(TQComplexExt z);
TQ_API TQComplexExt ComplexAsinh(TQComplexExt z);
TQ_API TQComplexExt ComplexAcosh(TQComplexExt z);
TQ_API TQComplexExt ComplexAtan(TQComplexExt z);
TQ_API TQComplexExt ComplexAtanh(TQComplexExt z);
// Rectangular <-> polar {magnitude, angle} on each storage form.
TQ_API void FComplexRToP32(const cmplx64* z, cmplx64* polar);
TQ_API void FComplexRToP64(const cmplx128* z, cmplx128* polar);
TQ_API void FComplexRToPExt(TQExtended re, TQExtended im, TQExtended* r, TQExtended* theta);
TQ_API void FComplexRToPCom(const cmplx160* z, cmplx160* polar);
TQ_API void FComplexPToR32(const cmplx64* polar, cmplx64* z);
TQ_API void FComplexPToR64(const cmplx128* polar, cmplx128* z);
TQ_API void FComplexPToRExt(TQExtended r, TQExtended theta, TQExtended* re, TQExtended* im);
TQ_API void FComplexPToRCom(const cmplx160* polar, cmplx160* z);

// ---- Random numbers in [0, 1).
// Seeds the process-wide generator from the millisecond clock; returns 0.
TQ_API TqErr InitRandomGen(void);
TQ_API TqErr UninitRandomGen(void);
TQ_API void RandomGen(double* out);
// Seeds state[3] from one draw of the process-wide generator; returns state[2].
TQ_API uInt32 RandomGenInitState(uInt32* state);
TQ_API void RandomGenWithState(double* out, uInt32* state);

TQ_EXTERN_C_END

#ifdef __cplusplus
#include <cmath>

// C++ linkage so the C library's functions of the same names are never interposed.
namespace tq {
TQ_API int32 isinf(double x);
TQ_API int32 isnan(double x);
TQ_API void sincos(double x, double* s, double* c);
}  // namespace tq

#define TQ_OPERATOR_Neg(x) (-(x))
#define TQ_OPERATOR_Abs(x) (std::fabs(x))
#define TQ_OPERATOR_Inc(x) ((x) + 1)
#define TQ_OPERATOR_Dec(x) ((x)-1)
#define TQ_OPERATOR_Recip(x) (1 / (x))
#define TQ_OPERATOR_Add(a, b) ((a) + (b))
#define TQ_OPERATOR_Sub(a, b) ((a) - (b))
#define TQ_OPERATOR_Mul(a, b) ((a) * (b))
#define TQ_OPERATOR_Div(a, b) ((a) / (b))
#define TQ_OPERATOR_EQ(a, b) ((a) == (b))
#define TQ_OPERATOR_NE(a, b) ((a) != (b))
#define TQ_OPERATOR_GT(a, b) ((a) > (b))
#define TQ_OPERATOR_GE(a, b) ((a) >= (b))
#define TQ_OPERATOR_LT(a, b) ((a) < (b))
#define TQ_OPERATOR_LE(a, b) ((a) <= (b))
#define TQ_OPERATOR_EQ0(x) ((x) == 0)
#define TQ_OPERATOR_NE0(x) ((x) != 0)
#define TQ_OPERATOR_GT0(x) ((x) > 0)
#define TQ_OPERATOR_GE0(x) ((x) >= 0)
#define TQ_OPERATOR_LT0(x) ((x) < 0)
#define TQ_OPERATOR_LE0(x) ((x) <= 0)
#define TQ_OPERATOR_IsNan(x) ((x) != (x))
#define TQ_INLINE_REAL_UNARY(op, L, T)                  \
    TQ_OPERATOR_API void RTf##op##L(const T* x, T* r) { \
        if (x && r) *r = TQ_OPERATOR_##op(*x);          \
    }
#define TQ_INLINE_REAL_BINARY(op, L, T)                             \
    TQ_OPERATOR_API void RTf##op##L(const T* a, const T* b, T* r) { \
        if (a && b && r) *r = TQ_OPERATOR_##op(*a, *b);             \
    }
#define TQ_INLINE_REAL_COMPARE(op, L, T)                       \
    TQ_OPERATOR_API int32 RTf##op##L(const T* a, const T* b) { \
        return a && b ? int32(TQ_OPERATOR_##op(*a, *b)) : 0;   \
    }
#define TQ_INLINE_REAL_TEST(op, L, T)               \
    TQ_OPERATOR_API int32 RTf##op##L(const T* x) {  \
        return x ? int32(TQ_OPERATOR_##op(*x)) : 0; \
    }

TQ_EXTERN_C_BEGIN
TQ_REAL_OPERATORS(TQ_INLINE, S, float)
TQ_REAL_OPERATORS(TQ_INLINE, D, double)
TQ_EXTERN_C_END
#endif

#include "tqcore/detail/numeric_ops_end.inc"
#undef TQ_DECL_REAL_UNARY
#undef TQ_DECL_REAL_BINARY
#undef TQ_DECL_REAL_COMPARE
#undef TQ_DECL_REAL_TEST
#undef TQ_DECL_CPLX_UNARY
#undef TQ_DECL_CPLX_BINARY
#undef TQ_DECL_CPLX_TEST
#undef TQ_DECL_CPLX_COMPARE
#undef TQ_DECL_CALLED
#undef TQ_OPERATOR_API
#undef TQ_OPDECL_REAL_UNARY
#undef TQ_OPDECL_REAL_BINARY
#undef TQ_OPDECL_REAL_COMPARE
#undef TQ_OPDECL_REAL_TEST
#undef TQ_DECL_WRAP1
#undef TQ_DECL_WRAP2
#undef TQ_OPERATOR_Neg
#undef TQ_OPERATOR_Abs
#undef TQ_OPERATOR_Inc
#undef TQ_OPERATOR_Dec
#undef TQ_OPERATOR_Recip
#undef TQ_OPERATOR_Add
#undef TQ_OPERATOR_Sub
#undef TQ_OPERATOR_Mul
#undef TQ_OPERATOR_Div
#undef TQ_OPERATOR_EQ
#undef TQ_OPERATOR_NE
#undef TQ_OPERATOR_GT
#undef TQ_OPERATOR_GE
#undef TQ_OPERATOR_LT
#undef TQ_OPERATOR_LE
#undef TQ_OPERATOR_EQ0
#undef TQ_OPERATOR_NE0
#undef TQ_OPERATOR_GT0
#undef TQ_OPERATOR_GE0
#undef TQ_OPERATOR_LT0
#undef TQ_OPERATOR_LE0
#undef TQ_OPERATOR_IsNan
#undef TQ_INLINE_REAL_UNARY
#undef TQ_INLINE_REAL_BINARY
#undef TQ_INLINE_REAL_COMPARE
#undef TQ_INLINE_REAL_TEST
