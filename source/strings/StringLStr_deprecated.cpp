// Older names kept for callers that still use them.
#include "tqcore/strings.h"

int32 LToCStrNUnchecked(const LStr* src, CStr dst, uInt32 size) {
    return LToCStrN(src, dst, size);
}

TqErr PStrToDSLStr(ConstPStr src, LStrHandle* h) {
    return PToLHStr(src, h);
}
