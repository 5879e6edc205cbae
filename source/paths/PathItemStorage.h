// Where path elements live. Every element is made and returned here and nowhere else.
#pragma once

class PathItemElement;

namespace tq::paths {

// Called with the path mutex held (or before the tree is shared, at start-up). A fresh element, or null when
// memory runs out.
PathItemElement* NewElement();
// Returns an element that has left the tree; its storage may serve a later NewElement.
void FreeElement(PathItemElement* e);
// Gives the storage of every returned element back to the heap.
void DrainElements();

}  // namespace tq::paths
