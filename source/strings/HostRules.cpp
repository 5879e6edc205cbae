// Text rules the host chooses, such as a leading plus sign in numbers.
#include "strings/HostRules.h"

#include "tqcore/core.h"

namespace tq::strings {

bool HostAllowsLeadingPlus() {
    TQAppInterface* app = TQApp();
    return app && app->AcceptsLeadingPlus();
}

}  // namespace tq::strings
