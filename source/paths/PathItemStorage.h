// Where path elements live. Every element is made and returned here and nowhere else.
#pragma once

class PathItemElement;

namespace tq::paths {

// A fresh element, or null when memory runs out.
PathItemElement* NewElement();
void FreeElement(PathItemElement* e);

}  // namespace tq::paths
