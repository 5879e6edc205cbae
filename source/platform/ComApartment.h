// The COM apartment of the calling thread, for code that must leave a thread's COM state as it found it, and
// for the tests that check so. POSIX has no COM: entering fails and every thread is in none.
#pragma once

#include "tqcore/types.h"

namespace tq::platform {

enum class ComApartment : uInt8 {
    kNone,  // COM not initialised on this thread (a multithreaded apartment it only shares implicitly too)
    kSingleThreaded,
    kMultithreaded,
    kOther,  // the neutral apartment, or one the OS names otherwise
};

// Initialises COM on this thread in a single- or multithreaded apartment; true when it did (or the thread was
// already in that kind), and then each success is matched by ComLeaveApartment on the same thread.
bool ComEnterApartment(ComApartment kind);
void ComLeaveApartment();

ComApartment ComCurrentApartment();

}  // namespace tq::platform
