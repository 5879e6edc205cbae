// The x87 unit's state for the library's threads.
#include "platform/FloatingPoint.h"
#include "tqcore/numerics.h"

namespace {
constexpr uInt16 kEmptyTagWord = 0xFFFF;
}  // namespace

TQ_EXTERN_C_BEGIN

TQ_API void FPInit(void) {
    tq::platform::X87Reset(tq::platform::kX87DefaultControlWord);
}

TQ_API void FPSave(void) {
    tq::platform::X87SaveRestore();
}

TQ_API int32 FPCheck(void) {
    return tq::platform::X87SaveRestore() == kEmptyTagWord ? 1 : 0;
}

// The register stack never holds values across calls on this platform.
TQ_API void FPPush(void) {}
TQ_API void FPPop(void) {}

TQ_API uInt16 CheckFPStat(void) {
    return tq::platform::X87StatusWord();
}

TQ_EXTERN_C_END
