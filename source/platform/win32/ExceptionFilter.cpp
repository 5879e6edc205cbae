// Win32 outermost exception filter.
#include "platform/ExceptionFilter.h"

#include <windows.h>

#include <atomic>

namespace tq::platform {

namespace {
std::atomic<ExceptionFilter> gFilter{nullptr};

// mingw's GCC has no __try/__except, so the filter sits at the top level, where the OS consults it after
// every frame declined: EXCEPTION_EXECUTE_HANDLER there ends the process with the exception code, without a
// crash dialog.
LONG WINAPI TopLevelFilter(EXCEPTION_POINTERS* info) {
    const ExceptionFilter filter = gFilter.load();
    if (!filter || !info || !info->ExceptionRecord) return EXCEPTION_CONTINUE_SEARCH;
    const int32 code = int32(info->ExceptionRecord->ExceptionCode);
    return filter(code) == 1 ? EXCEPTION_EXECUTE_HANDLER : EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

void SetOutermostExceptionFilter(ExceptionFilter filter) {
    gFilter.store(filter);
    PrepareThreadForExceptionFilter();
    ::SetUnhandledExceptionFilter(filter ? TopLevelFilter : nullptr);
}

void PrepareThreadForExceptionFilter() {
    // Room for the filter to run once the guard page of this thread's stack is gone.
    ULONG reserve = 64 * 1024;
    ::SetThreadStackGuarantee(&reserve);
}

}  // namespace tq::platform
