// The registry of configuration types: an ordered map from type to converters under one mutex.
#include "config/ConfigTypeRegistry.h"

#include <cstring>
#include <map>
#include <new>

#include "threads/ThMutexHold.h"

namespace tq::config {

namespace {

struct Converters {
    ConfigFromText fromText;
    ConfigToText toText;
};

using TypeMap = std::map<int32, Converters>;

ThMutex gRegistryMutex = nullptr;
// Built in static storage on first use and destroyed with the library's other singletons at unload.
TypeMap& Types() {
    alignas(TypeMap) static unsigned char storage[sizeof(TypeMap)];
    static TypeMap* types = [] {
        auto* map = new (storage) TypeMap();
        TQPlacementNewRegisterDeletor(new TQPlacementDelete<TypeMap>(map));
        return map;
    }();
    return *types;
}

// Runs f under the registry lock; kErrGeneric when the registry is not started.
template <class F>
TqErr Locked(F f) {
    if (!gRegistryMutex) return kErrGeneric;
    tq::threads::ThMutexHold hold(gRegistryMutex);
    try {
        return f(Types());
    } catch (const std::bad_alloc&) {
        return kErrMemoryFull;
    }
}

bool Find(const std::map<int32, Converters>& types, int32 type, Converters& out) {
    auto it = types.find(type);
    if (it == types.end()) return false;
    out = it->second;
    return true;
}

}  // namespace

std::string TypeCodeText(int32 type) {
    char c[4];
    std::memcpy(c, &type, 4);
    return std::string(c, 4);
}

}  // namespace tq::config

using tq::config::Converters;

TqErr InitConfigTypeRegistry(void) {
    if (tq::config::gRegistryMutex) return kErrNone;
    return ThMutexCreate(&tq::config::gRegistryMutex, "ConfigTypeRegistryMutex");
}

TqErr UninitConfigTypeRegistry(void) {
    ThMutex m = tq::config::gRegistryMutex;
    if (!m) return kErrGeneric;
    {
        tq::threads::ThMutexHold hold(m);
        tq::config::Types().clear();
        tq::config::gRegistryMutex = nullptr;
    }
    ThMutexDestroy(m);
    return kErrNone;
}

TqErr RegisterConfigType(int32 type, ConfigFromText fromText, ConfigToText toText) {
    return tq::config::Locked([&](auto& types) {
        return types.emplace(type, Converters{fromText, toText}).second ? kErrNone : kErrGeneric;
    });
}

TqErr UnregisterConfigType(int32 type) {
    return tq::config::Locked([&](auto& types) {
        types.erase(type);
        return kErrNone;
    });
}

TqErr ConfigTypeFromString(int32 type, const std::string& text, void* value) {
    Converters c{};
    const TqErr found = tq::config::Locked(
        [&](auto& types) { return tq::config::Find(types, type, c) ? kErrNone : kErrConfigBadType; });
    if (found != kErrNone) return found;
    if (!c.fromText) return kErrConfigBadType;
    try {
        return c.fromText(text, value);
    } catch (const std::bad_alloc&) {
        return kErrConfigAlloc;
    }
}

TqErr ConfigTypeToString(int32 type, const void* value, std::string* text) {
    Converters c{};
    const TqErr found = tq::config::Locked(
        [&](auto& types) { return tq::config::Find(types, type, c) ? kErrNone : kErrConfigBadType; });
    if (found != kErrNone) return found;
    if (!c.toText || !text) return kErrConfigBadType;
    try {
        return c.toText(value, text);
    } catch (const std::bad_alloc&) {
        return kErrConfigAlloc;
    }
}
