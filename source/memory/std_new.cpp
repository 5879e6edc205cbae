// The library's global allocation operators. The shared library publishes them on Linux, so they replace the
// process's own: libstdc++ allocates some of the library's strings and the library frees them, and the
// reverse, so both sides must meet one allocator whatever the guard-byte settings. A DLL links its own copy
// of the C++ runtime, which uses these operators within it.
#include <new>

#include "tqcore/memory.h"

namespace {

class BadAllocation final : public std::bad_alloc {
  public:
    const char* what() const noexcept override { return "bad allocation"; }
};

void* Allocate(std::size_t n) {
    void* p = TrackedMalloc(n ? n : 1);
    if (!p) throw BadAllocation();
    return p;
}

}  // namespace

void* operator new(std::size_t n) {
    return Allocate(n);
}
void* operator new[](std::size_t n) {
    return Allocate(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return TrackedMalloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return TrackedMalloc(n ? n : 1);
}
void operator delete(void* p) noexcept {
    TrackedFree(p);
}
void operator delete[](void* p) noexcept {
    TrackedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    TrackedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    TrackedFree(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    TrackedFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    TrackedFree(p);
}
