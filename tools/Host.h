// The program's side of hosting the library: its application interface and the start/stop of the library.
#pragma once

namespace tool {

// Installs the host interface and starts the library; stops it when destroyed.
class HostSession {
  public:
    HostSession();
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;
    bool Started() const { return started_; }

  private:
    bool started_ = false;
};

}  // namespace tool
