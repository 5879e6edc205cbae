// Ends the process quietly, with its status, when a thread overflows its stack.
#include "diagnostics/StackOverflowHandler.h"

#include "platform/ExceptionFilter.h"
#include "tqcore/core.h"

int32 stack_overflow_exception_filter(int32 code) {
    constexpr uInt32 kStackOverflowStatus = 0xC00000FDu;
    return uInt32(code) == kStackOverflowStatus ? 1 : 0;
}

namespace tq::diagnostics {

void InstallStackOverflowHandler() {
    platform::SetOutermostExceptionFilter(stack_overflow_exception_filter);
}

void PrepareThreadForStackOverflow() {
    platform::PrepareThreadForExceptionFilter();
}

}  // namespace tq::diagnostics
