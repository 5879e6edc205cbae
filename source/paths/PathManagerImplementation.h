// The process-wide state of the path tree: the path mutex, the base elements and the settings that go with
// them.
#pragma once

#include <string>

#include "tqcore/paths.h"
#include "tqcore/threads.h"

namespace tq::paths {

// Holds the path mutex for a scope. Not re-entrant: code that runs under the lock calls the *Locked forms.
class PathLock {
  public:
    PathLock();
    ~PathLock();
    PathLock(const PathLock&) = delete;
    PathLock& operator=(const PathLock&) = delete;

  private:
    ThMutex mutex_;
};

bool Initialised();
// The root element of a base (null for kBaseNotAPath, out-of-range values or before Init).
PathItemElement* BaseElement(PathBase base);
// The base of the chain that holds e; kBaseNotAPath for null or an unknown root.
PathBase BaseOf(const PathItemElement* e);

TqErr InitTree();
void UnInitTree();

// Debug mode: every PathRef assignment also computes the display text.
void SetDebugMode(bool on);
bool DebugMode();

// Process-wide texts of the text layer.
std::string& NotAPathText();
std::string& PathTooLongText();

}  // namespace tq::paths
