// TQEventTarget: the default behaviour of an event queue target.
#include "tqcore/threads.h"

const PKGuidType& TQEventTarget::ClassID() {
    static constexpr PKGuidType kId = {
        0x4e4e9d55, 0x2f55, 0x42db, {0xae, 0x86, 0x3d, 0x9a, 0xf3, 0x0b, 0xf5, 0x13}};
    return kId;
}

const PKGuidType& TQEventTargetBase::ClassID() {
    static constexpr PKGuidType kId = {
        0x01cc1dc9, 0x3c53, 0x4c57, {0x93, 0x39, 0xdc, 0x06, 0xad, 0x47, 0x0d, 0x92}};
    return kId;
}

TQEventTargetBase::~TQEventTargetBase() = default;

int32 TQEventTargetBase::AddRef() {
    return refs_.fetch_add(1, std::memory_order_relaxed) + 1;
}

int32 TQEventTargetBase::Release() {
    const int32 left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

void TQEventTargetBase::WriteToDebugStream(DebugStream& stream) const {
    stream.Append("TQEventTargetBase");
}

int32 TQEventTargetBase::HandleEvent(TQEvent*, void*) {
    return kTQEventHandled;
}

int32 TQEventTargetBase::Disposition(const TQEvent*) {
    return kTQEventHandled;
}

void TQEventTargetBase::DeliverLater(TQEvent*) {}
