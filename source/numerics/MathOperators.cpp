// Home of the inline single and double operators' exported copies. A Windows build keeps the export entry
// of an inline function only in a unit compiled to keep it, and this is that unit (source/CMakeLists.txt).
#include "tqcore/numerics.h"
