// Where path elements live. Every element is made and returned here and nowhere else.
#pragma once

#include <string>

#include "tqcore/types.h"

class PathItemElement;

namespace tq::paths {

// Creates and destroys the storage mutex and the standard-location map; the path tree calls these.
TqErr StartStorage();
void StopStorage();

// Called with the path mutex held (or before the tree is shared, at start-up). A fresh element, or null when
// memory runs out.
PathItemElement* NewElement();
// Called with the path mutex held: returns an element that has left the tree; its slot may serve a later
// NewElement.
void FreeElement(PathItemElement* e);
// Frees every buffer that holds no live element; those that still do stay (with a report).
void DrainElements();
// After a release, with no lock held: frees surplus empty buffers when enough have piled up.
void CollectIfDue();

// The bytes of element storage currently held.
uInt64 StorageBytes();

// Standard locations. Register takes its own retain of e; false when the name is taken.
bool RegisterStandardLocation(const std::string& name, PathItemElement* e);
// The element registered under name, retained for the caller; null when none.
PathItemElement* LookUpStandardLocation(const char* name);
void ForgetStandardLocations();

}  // namespace tq::paths
