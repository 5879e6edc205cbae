// The program's side of hosting the library: its application interface and the start/stop of the library.
#pragma once

#include "tqcore/core.h"

namespace tool {

// Installs the host interface and starts the library; stops it when destroyed (or at Stop()).
class HostSession {
  public:
    HostSession();
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;
    bool Started() const { return started_; }
    TqErr StartResult() const { return startResult_; }
    // Stops the library now; later calls and the destructor do nothing more.
    void Stop();
    // The running session, or null.
    static HostSession* Current();

  private:
    bool started_ = false;
    bool stopped_ = false;
    TqErr startResult_ = kErrNone;
};

}  // namespace tool
