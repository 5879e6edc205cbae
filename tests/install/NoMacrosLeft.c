/* The whole interface leaves an includer only its own few macros (TQ_API and friends): the numeric
   operation lists and the declarators made from them are gone again at the end of numerics.h. */
#include <tqcore/tqcore.h>

#if defined(TQ_FOR_EACH_ELEMENT) || defined(TQ_REAL_OPERATORS) || defined(TQ_REAL_UNARY_FUNCS) || \
    defined(TQ_REAL_BINARY_FUNCS) || defined(TQ_CPLX_UNARY_OPS) || defined(TQ_CPLX_BINARY_OPS) || \
    defined(TQ_CPLX_TESTS) || defined(TQ_CPLX_COMPARE_OPS) || defined(TQ_REAL_COMPARE_OPS) ||     \
    defined(TQ_REAL_ZERO_TESTS) || defined(TQ_DECL_CALLED) || defined(TQ_DECL_REAL_UNARY) ||      \
    defined(TQ_OPDECL_REAL_UNARY) || defined(TQ_OPERATOR_API) || defined(TQ_OPERATOR_Add) ||      \
    defined(TQ_INLINE_REAL_BINARY)
#error "a public header leaves its helper macros defined"
#endif

/* ISO C wants at least one declaration in a unit. */
typedef int TqNoMacrosLeft;
