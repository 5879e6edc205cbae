// Ends the process quietly, with its status, when a thread overflows its stack.
#include "diagnostics/StackOverflowHandler.h"

#include "platform/ExceptionFilter.h"
#include "tqcore/core.h"

namespace tq::diagnostics {

void InstallStackOverflowHandler() {
    platform::SetOutermostExceptionFilter(stack_overflow_exception_filter);
}

void PrepareThreadForStackOverflow() {
    platform::PrepareThreadForExceptionFilter();
}

}  // namespace tq::diagnostics
