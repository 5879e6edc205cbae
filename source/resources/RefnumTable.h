// What the plain functions share: refnum lookups answered by null objects, and resources found by handle.
#pragma once

#include "tqcore/resources.h"

namespace tq::resources {

ResFile& NullResFile();
Resource& NullResource();

// The resource whose shared handle is h (NullResource when none); remembered on the start-up thread.
Resource& ResourceForHandle(UHandle h, bool useCache);
// Puts (h, r) first in the start-up thread's two-entry cache; the clearing call empties it.
void RememberHandle(UHandle h, Resource* r);
void ForgetHandles();

// Creates the table (once) and destroys it with its report of refnums still open.
void CreateRefnumTable();
void DestroyRefnumTable();

}  // namespace tq::resources
