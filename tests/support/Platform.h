// Which OS the tests run on, for checks whose answer differs by design.
#pragma once

namespace tq::test {

#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

}  // namespace tq::test
