#include "paths/PathItemStorage.h"

#include <new>

#include "paths/PathItemElement.h"

namespace tq::paths {

PathItemElement* NewElement() {
    return new (std::nothrow) PathItemElement();
}

void FreeElement(PathItemElement* e) {
    delete e;
}

}  // namespace tq::paths
