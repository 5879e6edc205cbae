// The file manager's one piece of shared state: the mutex that serialises reading the process umask (which
// can only be read by changing it).
#pragma once

namespace tq::platform {
struct NativeMutex;
}

namespace tq::files {

// Holds the file manager's mutex for its lifetime; before the service starts (or after it stops) a mutex of
// the process's own stands in, so the umask is never read unguarded.
class FileManagerLock {
  public:
    FileManagerLock();
    ~FileManagerLock();
    FileManagerLock(const FileManagerLock&) = delete;
    FileManagerLock& operator=(const FileManagerLock&) = delete;

  private:
    platform::NativeMutex* held_;
};

}  // namespace tq::files
