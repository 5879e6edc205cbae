// POSIX debugger support: tracer detection, breaking in, debug text and process termination.
#include "platform/Debugger.h"

#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tq::platform {

namespace {
// A tracer shows up as a non-zero TracerPid in the process status.
bool TracerPresent() {
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buf[4096];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) return false;
    buf[n] = 0;
    const char* p = std::strstr(buf, "TracerPid:");
    return p && std::atoi(p + 10) != 0;
}

void WriteAll(int fd, const char* text, size_t len) {
    while (len > 0) {
        const ssize_t n = ::write(fd, text, len);
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
    if (target && *target) fd = ::open(target, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    WriteAll(fd, utf8, std::strlen(utf8));
    WriteAll(fd, "\n", 1);
    if (fd != STDERR_FILENO) ::close(fd);
}

bool IsDebuggerAttached() {
    return TracerPresent();
}

void BreakIfDebugged() {
    if (TracerPresent()) std::raise(SIGTRAP);
}

void TerminateProcess(int exitCode) {
    ::_exit(exitCode);
}

}  // namespace tq::platform
