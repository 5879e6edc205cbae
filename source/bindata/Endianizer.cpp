// The three byte-order converters and their process-wide instances, built in static storage on first use
// and destroyed by the placement clean-up list.
#include <atomic>
#include <bit>
#include <mutex>
#include <new>

#include "bindata/ByteOrder.h"
#include "tqcore/core.h"

static_assert(std::endian::native == std::endian::little,
              "the converters are written for a little-endian host");

using tq::bindata::Load;
using tq::bindata::Reverse;
using tq::bindata::ReverseBytes;
using tq::bindata::Store;

namespace {

template <class T>
struct alignas(T) InstanceStorage {
    unsigned char bytes[sizeof(T)];
};

InstanceStorage<_SwappingEndianizer> gSwapping;
InstanceStorage<_NonSwappingEndianizer> gLittle;
InstanceStorage<_NativeEndianizer> gNative;
// Which instances live; an instance's destructor clears its own entry so that a later call builds it again.
std::atomic<const Endianizer*> gBuilt[3] = {};
std::mutex gBuildMutex;

int SlotOf(const Endianizer* e) {
    if (e == static_cast<const void*>(&gSwapping)) return 0;
    if (e == static_cast<const void*>(&gLittle)) return 1;
    if (e == static_cast<const void*>(&gNative)) return 2;
    return -1;
}

void Forget(const Endianizer* e) {
    const int slot = SlotOf(e);
    if (slot < 0) return;
    std::lock_guard lock(gBuildMutex);
    gBuilt[slot].store(nullptr, std::memory_order_release);
}

// Returns the instance, building it and registering its clean-up the first time.
template <class T>
const Endianizer* Build(InstanceStorage<T>& storage, int slot) {
    if (const Endianizer* e = gBuilt[slot].load(std::memory_order_acquire)) return e;
    std::lock_guard lock(gBuildMutex);
    if (!gBuilt[slot].load(std::memory_order_relaxed)) {
        T* instance = new (storage.bytes) T();
        // Without its deletor the instance is merely never destroyed: it holds nothing.
        TQPlacementNewRegisterDeletor(new (std::nothrow) TQPlacementDelete<T>(instance));
        gBuilt[slot].store(instance, std::memory_order_release);
    }
    return gBuilt[slot].load(std::memory_order_relaxed);
}

}  // namespace

namespace tq::bindata {
const void* const kSwappingInstance = &gSwapping;
const void* const kLittleInstance = &gLittle;
const void* const kNativeInstance = &gNative;
}  // namespace tq::bindata

Endianizer::~Endianizer() = default;

// ---- Little-endian storage: the host's own order.
_NonSwappingEndianizer::~_NonSwappingEndianizer() {
    Forget(this);
}
uInt16 _NonSwappingEndianizer::Get16(const void* src) const {
    return Load<uInt16>(src);
}
uInt32 _NonSwappingEndianizer::Get32(const void* src) const {
    return Load<uInt32>(src);
}
void _NonSwappingEndianizer::ToNative16(const void* src, void* dst) const {
    std::memcpy(dst, src, 2);
}
void _NonSwappingEndianizer::ToNative32(const void* src, void* dst) const {
    std::memcpy(dst, src, 4);
}
void _NonSwappingEndianizer::ToNative64(const void* src, void* dst) const {
    std::memcpy(dst, src, 8);
}
void _NonSwappingEndianizer::ToNative128(const void* src, void* dst) const {
    std::memcpy(dst, src, 16);
}
// The standard form is most significant byte first; stored little-endian it is reversed.
void _NonSwappingEndianizer::ToNativeExt(const void* src, float80* dst) const {
    floatExt standard;
    ReverseBytes(src, standard.bytes, sizeof standard.bytes);
    StdToX(&standard, dst);
}
void _NonSwappingEndianizer::FromNative16(const void* src, void* dst) const {
    std::memcpy(dst, src, 2);
}
void _NonSwappingEndianizer::FromNative32(const void* src, void* dst) const {
    std::memcpy(dst, src, 4);
}
void _NonSwappingEndianizer::FromNative64(const void* src, void* dst) const {
    std::memcpy(dst, src, 8);
}
void _NonSwappingEndianizer::FromNative128(const void* src, void* dst) const {
    std::memcpy(dst, src, 16);
}
void _NonSwappingEndianizer::FromNativeExt(const float80* src, void* dst) const {
    floatExt standard;
    XToStd(src, &standard);
    ReverseBytes(standard.bytes, dst, sizeof standard.bytes);
}
size_t _NonSwappingEndianizer::ExtSize() const {
    return sizeof(floatExt);
}
bool _NonSwappingEndianizer::IsSwapping() const {
    return false;
}

// ---- Big-endian storage.
_SwappingEndianizer::~_SwappingEndianizer() {
    Forget(this);
}
uInt16 _SwappingEndianizer::Get16(const void* src) const {
    return Reverse(Load<uInt16>(src));
}
uInt32 _SwappingEndianizer::Get32(const void* src) const {
    return Reverse(Load<uInt32>(src));
}
void _SwappingEndianizer::ToNative16(const void* src, void* dst) const {
    Store(dst, Reverse(Load<uInt16>(src)));
}
void _SwappingEndianizer::ToNative32(const void* src, void* dst) const {
    Store(dst, Reverse(Load<uInt32>(src)));
}
void _SwappingEndianizer::ToNative64(const void* src, void* dst) const {
    Store(dst, Reverse(Load<uInt64>(src)));
}
void _SwappingEndianizer::ToNative128(const void* src, void* dst) const {
    ReverseBytes(src, dst, 16);
}
void _SwappingEndianizer::ToNativeExt(const void* src, float80* dst) const {
    floatExt standard;
    std::memcpy(standard.bytes, src, sizeof standard.bytes);
    StdToX(&standard, dst);
}
void _SwappingEndianizer::FromNative16(const void* src, void* dst) const {
    ToNative16(src, dst);
}
void _SwappingEndianizer::FromNative32(const void* src, void* dst) const {
    ToNative32(src, dst);
}
void _SwappingEndianizer::FromNative64(const void* src, void* dst) const {
    ToNative64(src, dst);
}
void _SwappingEndianizer::FromNative128(const void* src, void* dst) const {
    ReverseBytes(src, dst, 16);
}
void _SwappingEndianizer::FromNativeExt(const float80* src, void* dst) const {
    floatExt standard;
    XToStd(src, &standard);
    std::memcpy(dst, standard.bytes, sizeof standard.bytes);
}
size_t _SwappingEndianizer::ExtSize() const {
    return sizeof(floatExt);
}
bool _SwappingEndianizer::IsSwapping() const {
    return true;
}

// ---- Native: extended values keep the host's 10 bytes.
_NativeEndianizer::~_NativeEndianizer() = default;
void _NativeEndianizer::ToNativeExt(const void* src, float80* dst) const {
    std::memcpy(dst->bytes, src, sizeof dst->bytes);
}
void _NativeEndianizer::FromNativeExt(const float80* src, void* dst) const {
    std::memcpy(dst, src->bytes, sizeof src->bytes);
}
size_t _NativeEndianizer::ExtSize() const {
    return sizeof(float80);
}

const Endianizer* BigEndianizer(void) {
    return Build(gSwapping, 0);
}
const Endianizer* LittleEndianizer(void) {
    return Build(gLittle, 1);
}
const Endianizer* NativeEndianizer(void) {
    return Build(gNative, 2);
}
