// The library's global allocation operators. On Linux the shared library keeps these symbols local (see
// cmake/LocalOperators.map), so they serve the library's own code as they would inside a DLL.
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
