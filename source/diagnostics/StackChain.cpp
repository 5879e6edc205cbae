// StackChain: recording a call stack and rendering its frames.
#include <cstring>
#include <new>

#include "platform/StackTrace.h"
#include "tqcore/diagnostics.h"

StackChain::~StackChain() = default;

__attribute__((noinline)) void StackChain::Record(int32 skipFrames) {
    // One more frame to skip: this call itself.
    count_ = tq::platform::CaptureStack(Storage(), Capacity(), skipFrames < 0 ? 1 : skipFrames + 1);
}

__attribute__((noinline)) void StackChain::RecordFrom(const void* context, const void* frame,
                                                      int32 skipFrames) {
    if (skipFrames < 0) skipFrames = 0;
    count_ = context ? tq::platform::CaptureStackFrom(context, frame, Storage(), Capacity(), skipFrames)
                     : tq::platform::CaptureStack(Storage(), Capacity(), skipFrames + 1);
}

StackDecoder* StackChain::FrameDecoder() const {
    return new (std::nothrow) StackDecoder(const_cast<StackChain*>(this)->Storage(), count_);
}

const void* StackChain::Frame(int32 index) const {
    if (index < 0 || index >= count_) return nullptr;
    return const_cast<StackChain*>(this)->Storage()[index];
}

StackDecoder::StackDecoder(void* const* frames, int32 count) : frames_(nullptr), count_(0) {
    if (!frames || count <= 0) return;
    frames_ = new (std::nothrow) void*[size_t(count)];
    if (!frames_) return;
    std::memcpy(frames_, frames, sizeof(void*) * size_t(count));
    count_ = count;
}

StackDecoder::~StackDecoder() {
    delete[] frames_;
}

bool StackDecoder::NextFrame(char* text, int32 size) {
    if (index_ >= count_) return false;
    const void* address = frames_[index_++];
    if (text && size > 0) tq::platform::DescribeAddress(address, text, size_t(size));
    return true;
}
