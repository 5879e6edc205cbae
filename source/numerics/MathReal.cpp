// The exported real operation families (RTf...) for single, double and extended, and the integer operations.
#define TQ_UNIT "source\\math"

#include "diagnostics/Report.h"
#include "numerics/ElementMath.h"
#include "tqcore/detail/numeric_ops.inc"

using namespace tq::numerics;

bool tq::numerics::ReportUnavailable(const char* name) {
    TQ_REPORT(kDbgFatal, name, " not implemented on this platform");
    return false;
}

#define TQ_DEF_REAL_UNARY(op, L, T)                   \
    TQ_API void RTf##op##L(const T* x, T* r) {        \
        TQ_UNAVAILABLE("RTf" #op #L)                  \
        if (x && r) St(r, Real<CalcT<T>>::op(Ld(x))); \
    }
#define TQ_DEF_REAL_BINARY(op, L, T)                              \
    TQ_API void RTf##op##L(const T* a, const T* b, T* r) {        \
        TQ_UNAVAILABLE("RTf" #op #L)                              \
        if (a && b && r) St(r, Real<CalcT<T>>::op(Ld(a), Ld(b))); \
    }
#define TQ_DEF_REAL_COMPARE(op, L, T)                         \
    TQ_API int32 RTf##op##L(const T* a, const T* b) {         \
        TQ_UNAVAILABLE("RTf" #op #L, 0)                       \
        return a && b ? Real<CalcT<T>>::op(Ld(a), Ld(b)) : 0; \
    }
#define TQ_DEF_REAL_TEST(op, L, T)                \
    TQ_API int32 RTf##op##L(const T* x) {         \
        TQ_UNAVAILABLE("RTf" #op #L, 0)           \
        return x ? Real<CalcT<T>>::op(Ld(x)) : 0; \
    }
#define TQ_DEF_CALLED(L, T, C)                                         \
    TQ_REAL_UNARY_FUNCS(TQ_DEF_REAL_UNARY, L, T)                       \
    TQ_REAL_BINARY_FUNCS(TQ_DEF_REAL_BINARY, L, T)                     \
    TQ_API void RTfQRem##L(const T* a, const T* b, T* q, T* r) {       \
        TQ_UNAVAILABLE("RTfQRem" #L)                                   \
        if (!a || !b) return;                                          \
        OptOut<T> pq(q), pr(r);                                        \
        Real<CalcT<T>>::QRem(Ld(a), Ld(b), pq.get(), pr.get());        \
    }                                                                  \
    TQ_API void RTfMaxMin##L(const T* a, const T* b, T* max, T* min) { \
        TQ_UNAVAILABLE("RTfMaxMin" #L)                                 \
        if (!a || !b) return;                                          \
        OptOut<T> pmax(max), pmin(min);                                \
        Real<CalcT<T>>::MaxMin(Ld(a), Ld(b), pmax.get(), pmin.get());  \
    }                                                                  \
    TQ_API int32 RTfSign##L(const T* x, T* r) {                        \
        if (!x) return 0;                                              \
        OptOut<T> pr(r);                                               \
        return Real<CalcT<T>>::Sign(Ld(x), pr.get());                  \
    }                                                                  \
    TQ_API void RTfSinCos##L(const T* x, T* s, T* c) {                 \
        if (!x) return;                                                \
        OptOut<T> ps(s), pc(c);                                        \
        Real<CalcT<T>>::SinCos(Ld(x), ps.get(), pc.get());             \
    }                                                                  \
    TQ_API void RTfGetMantExp##L(const T* x, T* m, T* e) {             \
        if (!x) return;                                                \
        OptOut<T> pm(m), pe(e);                                        \
        Real<CalcT<T>>::GetMantExp(Ld(x), pm.get(), pe.get());         \
    }                                                                  \
    TQ_API void RTfiScale##L(const T* x, const T* n, T* r) {           \
        if (x && n && r) St(r, Real<CalcT<T>>::iScale(Ld(x), Ld(n)));  \
    }

TQ_EXTERN_C_BEGIN

TQ_FOR_EACH_ELEMENT(TQ_DEF_CALLED)
// Single and double operators are defined inline by the public header.
TQ_REAL_OPERATORS(TQ_DEF, X, float80)

TQ_API int64 RTQRemiQ(int64 a, int64 b, int64* q, int64* r) {
    int64 quotient = 0, remainder = a;
    if (b == -1) {
        // Negating the most negative value wraps to itself, with nothing left over.
        quotient = int64(0 - uInt64(a));
        remainder = 0;
    } else if (b != 0) {
        quotient = a / b;
        remainder = a % b;
        if (remainder != 0 && (remainder < 0) != (b < 0)) {
            --quotient;
            remainder += b;
        }
    }
    if (q) *q = quotient;
    if (r) *r = remainder;
    return quotient;
}

TQ_API uInt64 RTQRemuQ(uInt64 a, uInt64 b, uInt64* q, uInt64* r) {
    const uInt64 quotient = b ? a / b : 0;
    if (q) *q = quotient;
    if (r) *r = b ? a % b : a;
    return quotient;
}

// The divide instructions themselves, so a bad divisor raises the processor's exception as promised.
TQ_API int32 RTiDiv(int32 a, int32 b) {
    int32 q = a, rem = 0;
    asm volatile("cltd\n\tidivl %2" : "+a"(q), "=&d"(rem) : "r"(b) : "cc");
    return q;
}

TQ_API uInt32 RTuDiv(uInt32 a, uInt32 b) {
    uInt32 q = a, rem = 0;
    asm volatile("xorl %%edx, %%edx\n\tdivl %2" : "+a"(q), "=&d"(rem) : "r"(b) : "cc");
    return q;
}

TQ_API int32 RTiMul(int32 a, int32 b) {
    return int32(RTuMul(uInt32(a), uInt32(b)));
}

TQ_API uInt32 RTuMul(uInt32 a, uInt32 b) {
    return a * b;
}

TQ_EXTERN_C_END

#include "tqcore/detail/numeric_ops_end.inc"
