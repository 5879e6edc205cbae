// POSIX debugger support: tracer detection, breaking in, debug text and process termination.
#include "platform/Debugger.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/File.h"
#include "platform/posix/Syscalls.h"

namespace tq::platform {

namespace {
// A tracer shows up as a non-zero TracerPid in the process status.
bool TracerPresent() {
    std::string status;
    if (!FileReadAll("/proc/self/status", status, 64 * 1024)) return false;
    const size_t at = status.find("TracerPid:");
    return at != std::string::npos && std::atoi(status.c_str() + at + 10) != 0;
}

void WriteAll(int fd, const char* text, size_t len) {
    while (len > 0) {
        const ssize_t n = sys::write(fd, text, len);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text += n;
        len -= size_t(n);
    }
}
}  // namespace

void OutputDebugText(const char* utf8) {
    if (!utf8) return;
    const char* target = std::getenv("TQCORE_DEBUG_OUTPUT");
    int fd = STDERR_FILENO;
    if (target && *target) fd = sys::open(target, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    WriteAll(fd, utf8, std::strlen(utf8));
    WriteAll(fd, "\n", 1);
    if (fd != STDERR_FILENO) sys::close(fd);
}

bool IsDebuggerAttached() {
    return TracerPresent();
}

void BreakIfDebugged() {
    if (TracerPresent()) sys::raise(SIGTRAP);
}

void TerminateProcess(int exitCode) {
    ::_exit(exitCode);
}

}  // namespace tq::platform
