// The exported complex operation families (RTc..., RTfc..., RTcf...) and the extended complex primitives.
#include "numerics/ComplexMath.h"
#include "tqcore/detail/numeric_ops.inc"

using namespace tq::numerics;

namespace {

template <class T>
struct CplxFamily : Cplx<T> {
    using C = Cx<T>;
    using V = CplxViaExt<T>;
    static C Log2(C z) { return V::Log2(z); }
    static C Expm1(C z) { return V::Expm1(z); }
    static C Pow2(C z) { return V::Pow2(z); }
    static C Pow10(C z) { return V::Pow10(z); }
    static C Powx(C a, C b) { return V::Powx(a, b); }
};

template <class S>
struct Elem;
template <>
struct Elem<cmplx64> {
    using type = float;
};
template <>
struct Elem<cmplx128> {
    using type = double;
};
template <>
struct Elem<cmplx160> {
    using type = long double;
};
template <class S>
using Ops = CplxFamily<typename Elem<S>::type>;

Cx<float> LdC(const cmplx64* p) {
    return {p->re, p->im};
}
Cx<double> LdC(const cmplx128* p) {
    return {p->re, p->im};
}
Cx<long double> LdC(const cmplx160* p) {
    return {Ld(&p->re), Ld(&p->im)};
}
void StC(cmplx64* p, Cx<float> z) {
    *p = {z.re, z.im};
}
void StC(cmplx128* p, Cx<double> z) {
    *p = {z.re, z.im};
}
void StC(cmplx160* p, Cx<long double> z) {
    St(&p->re, z.re);
    St(&p->im, z.im);
}

template <class S>
Cx<typename Elem<S>::type> Pair(const void* re, const void* im) {
    using T = typename Elem<S>::type;
    using RealStore = decltype(S::re);
    return {T(Ld(static_cast<const RealStore*>(re))), T(Ld(static_cast<const RealStore*>(im)))};
}

}  // namespace

#define TQ_DEF_CPLX_UNARY(op, L, C)             \
    TQ_API void RTc##op##L(const C* z, C* w) {  \
        TQ_UNAVAILABLE("RTc" #op #L)            \
        if (z && w) StC(w, Ops<C>::op(LdC(z))); \
    }
#define TQ_DEF_CPLX_BINARY(op, L, C)                         \
    TQ_API void RTc##op##L(const C* a, const C* b, C* w) {   \
        TQ_UNAVAILABLE("RTc" #op #L)                         \
        if (a && b && w) StC(w, Ops<C>::op(LdC(a), LdC(b))); \
    }
#define TQ_DEF_CPLX_TEST(op, L, C)         \
    TQ_API int32 RTc##op##L(const C* z) {  \
        return z ? Ops<C>::op(LdC(z)) : 0; \
    }
#define TQ_DEF_CPLX_COMPARE(op, L, C)                   \
    TQ_API int32 RTc##op##L(const C* a, const C* b) {   \
        return a && b ? Ops<C>::op(LdC(a), LdC(b)) : 0; \
    }

#define TQ_DEF_ELEMENT_CPLX(L, T, C)                                  \
    TQ_CPLX_UNARY_OPS(TQ_DEF_CPLX_UNARY, L, C)                        \
    TQ_CPLX_BINARY_OPS(TQ_DEF_CPLX_BINARY, L, C)                      \
    TQ_CPLX_TESTS(TQ_DEF_CPLX_TEST, L, C)                             \
    TQ_CPLX_COMPARE_OPS(TQ_DEF_CPLX_COMPARE, L, C)                    \
    TQ_API void RTcAbs##L(const C* z, T* r) {                         \
        TQ_UNAVAILABLE("RTcAbs" #L)                                   \
        if (z && r) St(r, Ops<C>::Abs(LdC(z)));                       \
    }                                                                 \
    TQ_API void RTcSinCos##L(const C* z, C* s, C* c) {                \
        if (!z) return;                                               \
        if (s) StC(s, Ops<C>::Sin(LdC(z)));                           \
        if (c) StC(c, Ops<C>::Cos(LdC(z)));                           \
    }                                                                 \
    TQ_API void RTciScale##L(const C* z, const T* n, C* w) {          \
        if (z && n && w) StC(w, Ops<C>::iScale(LdC(z), Ld(n)));       \
    }                                                                 \
    TQ_API void RTfcReImToC##L(const T* re, const T* im, C* z) {      \
        if (re && im && z) StC(z, Pair<C>(re, im));                   \
    }                                                                 \
    TQ_API void RTfcRThToC##L(const T* r, const T* theta, C* z) {     \
        if (r && theta && z) StC(z, Ops<C>::PToR(Pair<C>(r, theta))); \
    }                                                                 \
    TQ_API void RTcfCToReIm##L(const C* z, T* re, T* im) {            \
        if (!z) return;                                               \
        const auto v = LdC(z);                                        \
        if (re) St(re, v.re);                                         \
        if (im) St(im, v.im);                                         \
    }                                                                 \
    TQ_API void RTcfCToRTh##L(const C* z, T* r, T* theta) {           \
        if (!z) return;                                               \
        const auto p = Ops<C>::RToP(LdC(z));                          \
        if (r) St(r, p.re);                                           \
        if (theta) St(theta, p.im);                                   \
    }

namespace {

using E = Cplx<long double>;
Cx<long double> In(TQComplexExt z) {
    return {z.re, z.im};
}
TQComplexExt Out(Cx<long double> z) {
    return {z.re, z.im};
}

template <class S>
void RToPStored(const S* z, S* polar) {
    if (z && polar) StC(polar, Ops<S>::RToP(LdC(z)));
}
template <class S>
void PToRStored(const S* polar, S* z) {
    if (z && polar) StC(z, Ops<S>::PToR(LdC(polar)));
}

}  // namespace

TQ_EXTERN_C_BEGIN

TQ_FOR_EACH_ELEMENT(TQ_DEF_ELEMENT_CPLX)

#define TQ_DEF_PRIMITIVE(name, op)             \
    TQ_API TQComplexExt name(TQComplexExt z) { \
        return Out(E::op(In(z)));              \
    }
TQ_DEF_PRIMITIVE(ComplexRToP, RToP)
TQ_DEF_PRIMITIVE(ComplexPToR, PToR)
TQ_DEF_PRIMITIVE(ComplexRecip, Recip)
TQ_DEF_PRIMITIVE(ComplexSin, Sin)
TQ_DEF_PRIMITIVE(ComplexCos, Cos)
TQ_DEF_PRIMITIVE(ComplexTan, Tan)
TQ_DEF_PRIMITIVE(ComplexCot, Cot)
TQ_DEF_PRIMITIVE(ComplexSinh, Sinh)
TQ_DEF_PRIMITIVE(ComplexCosh, Cosh)
TQ_DEF_PRIMITIVE(ComplexTanh, Tanh)
TQ_DEF_PRIMITIVE(ComplexSinc, Sinc)
TQ_DEF_PRIMITIVE(ComplexAsin, Asin)
TQ_DEF_PRIMITIVE(ComplexAcos, Acos)
TQ_DEF_PRIMITIVE(ComplexAsinh, Asinh)
TQ_DEF_PRIMITIVE(ComplexAcosh, Acosh)
TQ_DEF_PRIMITIVE(ComplexAtan, Atan)
TQ_DEF_PRIMITIVE(ComplexAtanh, Atanh)
#undef TQ_DEF_PRIMITIVE

TQ_API TQComplexExt ComplexDivide(TQComplexExt a, TQComplexExt b) {
    return Out(E::Div(In(a), In(b)));
}

TQ_API void ComplexSincos(TQComplexExt z, TQComplexExt* s, TQComplexExt* c) {
    if (s) *s = Out(E::Sin(In(z)));
    if (c) *c = Out(E::Cos(In(z)));
}

TQ_API void FComplexRToP32(const cmplx64* z, cmplx64* polar) {
    RToPStored(z, polar);
}
TQ_API void FComplexRToP64(const cmplx128* z, cmplx128* polar) {
    RToPStored(z, polar);
}
TQ_API void FComplexRToPCom(const cmplx160* z, cmplx160* polar) {
    RToPStored(z, polar);
}
TQ_API void FComplexRToPExt(TQExtended re, TQExtended im, TQExtended* r, TQExtended* theta) {
    const auto p = E::RToP({re, im});
    if (r) *r = p.re;
    if (theta) *theta = p.im;
}
TQ_API void FComplexPToR32(const cmplx64* polar, cmplx64* z) {
    PToRStored(polar, z);
}
TQ_API void FComplexPToR64(const cmplx128* polar, cmplx128* z) {
    PToRStored(polar, z);
}
TQ_API void FComplexPToRCom(const cmplx160* polar, cmplx160* z) {
    PToRStored(polar, z);
}
TQ_API void FComplexPToRExt(TQExtended r, TQExtended theta, TQExtended* re, TQExtended* im) {
    const auto z = E::PToR({r, theta});
    if (re) *re = z.re;
    if (im) *im = z.im;
}

TQ_EXTERN_C_END

#include "tqcore/detail/numeric_ops_end.inc"
