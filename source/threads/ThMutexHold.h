// Holds a ThMutex for a scope (a null mutex is no lock, as ThMutexAcquire has it).
#pragma once

#include "tqcore/threads.h"

namespace tq::threads {

class ThMutexHold {
  public:
    explicit ThMutexHold(ThMutex m) : m_(m) { ThMutexAcquire(m_); }
    ~ThMutexHold() { ThMutexRelease(m_); }
    ThMutexHold(const ThMutexHold&) = delete;
    ThMutexHold& operator=(const ThMutexHold&) = delete;

  private:
    ThMutex m_;
};

}  // namespace tq::threads
