// Recursive native mutex of the platform layer (a critical section on Windows).
#pragma once

namespace tq::platform {

struct NativeMutex;

// Null when the system is out of resources.
NativeMutex* NewRecursiveMutex();
void DeleteMutex(NativeMutex* m);
void LockMutex(NativeMutex* m);
void UnlockMutex(NativeMutex* m);

}  // namespace tq::platform
