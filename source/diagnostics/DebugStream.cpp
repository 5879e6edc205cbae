// DebugStream: message assembly, the pooled storage behind it and its service.
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "diagnostics/DebugStreamPool.h"
#include "diagnostics/Services.h"
#include "tqcore/diagnostics.h"

namespace {

constexpr int kPoolBuffers = 4;
constexpr int32 kMaxRecordedFailures = 100;

struct PoolBuffer {
    std::atomic<uInt32> inUse{0};
    char text[DebugStream::kBufferSize];
};

// The library's stacks are 16 frames deep.
using FailureStack = StackChainFS<16>;

// The pool the debug-stream service runs. Its storage outlives every start and stop, so a stream still
// holding a buffer when the service stops returns it harmlessly, and the service object stays as small as
// its peers (the registry orders ready services by their addresses).
class BufferPool {
  public:
    void ResetCounts() {
        failedCheckouts_.store(0, std::memory_order_relaxed);
        std::lock_guard<std::mutex> lock(failuresMutex_);
        failureCount_ = 0;
    }

    // A free pool buffer, or null after counting and recording the failure.
    __attribute__((noinline)) PoolBuffer* Checkout() {
        for (PoolBuffer& b : buffers_) {
            uInt32 expected = 0;
            if (b.inUse.compare_exchange_strong(expected, 1, std::memory_order_acquire)) return &b;
        }
        failedCheckouts_.fetch_add(1, std::memory_order_relaxed);
        RecordFailure();
        return nullptr;
    }

    int32 FailedCheckouts() const { return failedCheckouts_.load(std::memory_order_relaxed); }
    bool CopyFailure(int32 index, StackChainFS<16>* out) {
        std::lock_guard<std::mutex> lock(failuresMutex_);
        if (index < 0 || index >= failureCount_) return false;
        *out = failures_[size_t(index)];
        return true;
    }
    int32 RecordedFailures() {
        std::lock_guard<std::mutex> lock(failuresMutex_);
        return failureCount_;
    }

  private:
    // The stack is taken outside the lock and only while there is room; the list never allocates, so a
    // report from inside cannot recurse.
    __attribute__((noinline)) void RecordFailure() {
        if (RecordedFailures() >= kMaxRecordedFailures) return;
        FailureStack stack;
        // Leaves out this function, Checkout and the stream constructor: the first frame is the reporting
        // code.
        stack.Record(3);
        std::lock_guard<std::mutex> lock(failuresMutex_);
        if (failureCount_ < kMaxRecordedFailures) failures_[size_t(failureCount_++)] = stack;
    }

    PoolBuffer buffers_[kPoolBuffers];
    std::atomic<int32> failedCheckouts_{0};
    std::mutex failuresMutex_;
    std::array<FailureStack, kMaxRecordedFailures> failures_;
    int32 failureCount_ = 0;
};

std::atomic<BufferPool*> gActivePool{nullptr};

// Built once in static storage and never destroyed: streams may be built during static destruction too.
BufferPool& PoolStorage() {
    alignas(BufferPool) static unsigned char storage[sizeof(BufferPool)];
    static BufferPool* pool = new (storage) BufferPool();
    return *pool;
}

class DebugStream_Service final : public RefcountedServiceObject_T<DebugStream_Service> {
  public:
    const char* Name() override { return "DebugStream_Service"; }
    void Dependencies(IServiceDependencyList&) override {}
    TqErr InitService() override {
        BufferPool& pool = PoolStorage();
        pool.ResetCounts();
        gActivePool.store(&pool, std::memory_order_release);
        return kErrNone;
    }
    TqErr UninitService() override {
        gActivePool.store(nullptr, std::memory_order_release);
        return kErrNone;
    }
};

}  // namespace

IServiceObject* tq::diagnostics::DebugStreamService() {
    return DebugStream_Service::Get();
}

int32 tq::diagnostics::DebugStreamFailedCheckouts() {
    BufferPool* pool = gActivePool.load(std::memory_order_acquire);
    return pool ? pool->FailedCheckouts() : 0;
}

bool tq::diagnostics::DebugStreamFailureStack(int32 index, StackChainFS<16>* out) {
    BufferPool* pool = gActivePool.load(std::memory_order_acquire);
    return pool && out && pool->CopyFailure(index, out);
}

int32 tq::diagnostics::DebugStreamRecordedFailureStacks() {
    BufferPool* pool = gActivePool.load(std::memory_order_acquire);
    return pool ? pool->RecordedFailures() : 0;
}

DebugStream::DebugStream(const char* file, int32 line, const char* revision, DebugOutputLevel level)
    : file_(file ? file : ""), line_(line), revision_(revision ? revision : ""), level_(level) {
    if (BufferPool* pool = gActivePool.load(std::memory_order_acquire)) {
        if (PoolBuffer* b = pool->Checkout()) {
            poolSlot_ = b;
            buffer_ = b->text;
        }
    }
    if (!buffer_) buffer_ = static_cast<char*>(std::malloc(kBufferSize));
    if (!buffer_) return;
    buffer_[0] = 0;
    pos_ = buffer_;
    end_ = buffer_ + kBufferSize - 1;
}

DebugStream::~DebugStream() {
    ReleaseBuffer();
}

void DebugStream::ReleaseBuffer() {
    if (poolSlot_)
        static_cast<PoolBuffer*>(poolSlot_)->inUse.store(0, std::memory_order_release);
    else
        std::free(buffer_);
    buffer_ = pos_ = end_ = nullptr;
    poolSlot_ = nullptr;
}

void DebugStream::Append(char c) {
    if (pos_ >= end_) return;
    *pos_++ = c;
    *pos_ = 0;
}

void DebugStream::Append(const char* text) {
    if (!text) return;
    Append(text, text + std::strlen(text));
}

void DebugStream::Append(const char* begin, const char* end) {
    if (!begin || !buffer_ || end <= begin) return;
    const size_t room = size_t(end_ - pos_);
    const size_t n = size_t(end - begin) < room ? size_t(end - begin) : room;
    std::memcpy(pos_, begin, n);
    pos_ += n;
    *pos_ = 0;
}

void DebugStream::Process() {
    if (!buffer_) return;
    DebugOutputCallHandler(file_, line_, revision_, level_, siteId_, buffer_);
    ReleaseBuffer();
}
