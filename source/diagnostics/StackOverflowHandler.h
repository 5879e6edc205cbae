// Faults that nothing handled pass through stack_overflow_exception_filter: a stack overflow ends the process
// quietly with the overflow status; every other fault keeps its usual course.
#pragma once

namespace tq::diagnostics {

// Process-wide; further calls change nothing. Also prepares the calling thread.
void InstallStackOverflowHandler();
// For each thread the library starts: lets the handler run once the thread's own stack is exhausted.
void PrepareThreadForStackOverflow();

}  // namespace tq::diagnostics
