// Native reader/writer lock: not recursive, a read lock cannot be upgraded.
#pragma once

namespace tq::platform {

struct NativeRWLock;

NativeRWLock* NewRWLock();
void DeleteRWLock(NativeRWLock* l);
void LockShared(NativeRWLock* l);
void UnlockShared(NativeRWLock* l);
void LockExclusive(NativeRWLock* l);
void UnlockExclusive(NativeRWLock* l);

}  // namespace tq::platform
