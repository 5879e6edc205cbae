// Path settings and their validator: a path must name a file or a folder, as the context asks.
#include "tqcore/config.h"
#include "tqcore/files.h"

namespace {

constexpr int32 kKindMask = 0x7FFFFFFF;
constexpr uInt64 kCheckDefaultBits = ~uInt64(0) << 31;

// 1 for a file, 2 for a folder, 0 when absent.
int32 PathKind(PathRef& p) {
    return p.IsValid() ? FExists(&p) : 0;
}

// Passes (0) when the path is of kind k; otherwise the path becomes the not-a-path value.
TqErr CheckPath(PathRef& p, int32 k) {
    const int32 kind = PathKind(p);
    if (kind == k) return kErrNone;
    p = PathRef(kBaseNotAPath);
    if (kind == 0) return kErrNotFound;
    return kind == 1 || kind == 2 ? kErrDuplicatePath : kErrArgument;
}

}  // namespace

CfgDataValidationPolicy CfgPathValidator::Policy(int32) {
    return cfgAlwaysValidatePolicy;
}

TqErr CfgPathValidator::operator()(CfgData& d, TqErr, int64 context, int32, CfgSettings*) {
    const int32 k = int32(uInt64(context) & kKindMask);
    const bool checkDefault = (uInt64(context) & kCheckDefaultBits) == kCheckDefaultBits && d.Default();
    if (k > 2) return k == kKindMask ? kErrNone : kErrArgument;
    if (d.Type() != TQFourCC("Pthp")) return kErrArgument;
    const TqErr D = checkDefault ? CheckPath(*static_cast<PathRef*>(d.Default()), k) : kErrNone;
    const TqErr V = CheckPath(*static_cast<PathRef*>(d.Value()), k);
    return checkDefault && D != kErrNone ? V : kErrNone;
}
