// The kinds of value a path element can cache, each with its expiry on the millisecond clock.
#include <cstring>

#include "paths/PathCache.h"
#include "tqcore/clocks.h"
#include "tqcore/paths.h"

namespace {

bool NameIs(const char* className, const char* name) {
    return className && std::strcmp(className, name) == 0;
}

}  // namespace

PathRef::CachedItem::CachedItem(uInt32 lifetimeMs, RelationToMetaData relation)
    : expiry_(MilliSecs() + lifetimeMs), invalidateOnFlush_(relation == kDependsOnMetaData ? 1 : 0) {}

PathRef::CachedItem::~CachedItem() = default;

bool PathRef::CachedItem::IsA(const char* className) const {
    return NameIs(className, ClassName());
}

bool PathRef::CachedItem::Expired() const {
    return MillisecCmp(MilliSecs(), expiry_) >= 0;
}

bool PathRef::CachedItem::Invalidate() const {
    return invalidateOnFlush_ != 0;
}

void PathRef::CachedItem::Reset(uInt32 lifetimeMs) {
    expiry_ = MilliSecs() + lifetimeMs;
}

uInt64 PathRef::CachedItem::Size() const {
    return 16;
}

uInt32 PathRef::CachedItem::Rotten() const {
    const int32 since = MillisecCmp(MilliSecs(), expiry_);
    return since > 0 ? uInt32(since) : 0;
}

void PathRef::CachedItem::Reserved() {}

const char* PathRef::CachedItem::ClassName() {
    return "CachedItem";
}

// --- Booleans and integers ---

PathRef::CachedBool::CachedBool(uInt32 lifetimeMs, bool value, RelationToMetaData relation)
    : CachedItem(lifetimeMs, relation), value_(value) {}

bool PathRef::CachedBool::IsA(const char* className) const {
    return NameIs(className, ClassName()) || CachedItem::IsA(className);
}

uInt64 PathRef::CachedBool::Size() const {
    return 24;
}

void PathRef::CachedBool::ResetBool(uInt32 lifetimeMs, bool value) {
    Reset(lifetimeMs);
    value_ = value;
}

const char* PathRef::CachedBool::ClassName() {
    return "CachedBool";
}

PathRef::CachedInt32::CachedInt32(uInt32 lifetimeMs, int32 value, RelationToMetaData relation)
    : CachedItem(lifetimeMs, relation), value_(value) {}

bool PathRef::CachedInt32::IsA(const char* className) const {
    return NameIs(className, ClassName()) || CachedItem::IsA(className);
}

uInt64 PathRef::CachedInt32::Size() const {
    return 24;
}

void PathRef::CachedInt32::ResetInt32(uInt32 lifetimeMs, int32 value) {
    Reset(lifetimeMs);
    value_ = value;
}

const char* PathRef::CachedInt32::ClassName() {
    return "CachedInt32";
}

// --- Paths and text ---

PathRef::CachedPath::CachedPath(uInt32 lifetimeMs, const PathRef& value, RelationToMetaData relation)
    : CachedItem(lifetimeMs, relation), value_(new PathRef(value)) {}

// Never destroyed under the path mutex (see CacheGraveyard), so the release may take it.
PathRef::CachedPath::~CachedPath() {
    delete value_;
}

bool PathRef::CachedPath::IsA(const char* className) const {
    return NameIs(className, ClassName()) || CachedItem::IsA(className);
}

uInt64 PathRef::CachedPath::Size() const {
    return 40;
}

void PathRef::CachedPath::ResetPath(uInt32 lifetimeMs, const PathRef& value) {
    Reset(lifetimeMs);
    *value_ = value;
}

const char* PathRef::CachedPath::ClassName() {
    return "CachedPath";
}

PathRef::CachedPathString::CachedPathString(uInt32 lifetimeMs, const std::string& value,
                                            RelationToMetaData relation)
    : CachedItem(lifetimeMs, relation), value_(value) {}

bool PathRef::CachedPathString::IsA(const char* className) const {
    return NameIs(className, ClassName()) || CachedItem::IsA(className);
}

uInt64 PathRef::CachedPathString::Size() const {
    return 48 + value_.capacity();
}

void PathRef::CachedPathString::ResetString(uInt32 lifetimeMs, const std::string& value) {
    Reset(lifetimeMs);
    value_ = value;
}

const char* PathRef::CachedPathString::ClassName() {
    return "CachedPathString";
}
