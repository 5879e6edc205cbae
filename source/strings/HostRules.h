// What the host application says about number text.
#pragma once

namespace tq::strings {

// True when the host accepts a leading '+' in unsigned number text; false without a host interface.
bool HostAllowsLeadingPlus();

}  // namespace tq::strings
