// Values cached on an element of the path tree, keyed by name; guarded by the path mutex.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "tqcore/types.h"

namespace tq::paths {

class CachedItem {
  public:
    virtual ~CachedItem() = default;
    virtual uInt64 Size() const = 0;
};

class CachedPathString final : public CachedItem {
  public:
    explicit CachedPathString(std::string text) : text_(std::move(text)) {}
    uInt64 Size() const override { return 48 + text_.capacity(); }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

using ElementCache = std::map<std::string, std::unique_ptr<CachedItem>, std::less<>>;

}  // namespace tq::paths
