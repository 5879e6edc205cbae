// The path tree state: the path mutex, the base elements and the path settings.
#include "paths/PathManagerImplementation.h"

#include <atomic>

#include "diagnostics/Report.h"
#include "paths/PathItemElement.h"
#include "paths/PathItemStorage.h"
#include "tqcore/core.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\PathManager"

namespace tq::paths {
namespace {

constexpr int32 kBaseCount = 5;
const char* const kBaseLabels[kBaseCount] = {"[absolute]", "[relative]", "[unc]", nullptr, "[NULL]"};

struct Tree {
    ThMutex mutex = nullptr;
    PathItemElement* bases[kBaseCount] = {};
    std::atomic<bool> ready{false};
};

Tree gTree;
std::atomic<bool> gDebugMode{false};

PathItemElement* MakeBase(const char* label) {
    PathItemElement* e = NewElement();
    if (!e) return nullptr;
    e->name = label;
    e->foldedHash = StringUtils::Hash(e->name, true);
    e->retains.store(1, std::memory_order_relaxed);
    e->alive = 1;
    return e;
}

}  // namespace

PathLock::PathLock() : mutex_(gTree.mutex) {
    if (mutex_) ThMutexAcquire(mutex_);
}

PathLock::~PathLock() {
    if (mutex_) ThMutexRelease(mutex_);
}

bool Initialised() {
    return gTree.ready.load(std::memory_order_acquire);
}

PathItemElement* BaseElement(PathBase base) {
    if (base < 0 || base >= kBaseCount || !Initialised()) return nullptr;
    return gTree.bases[base];
}

PathBase BaseOf(const PathItemElement* e) {
    const PathItemElement* root = RootOf(e);
    if (!root) return kBaseNotAPath;
    for (int32 b = 0; b < kBaseCount; ++b)
        if (gTree.bases[b] == root) return PathBase(b);
    return kBaseNotAPath;
}

TqErr InitTree() {
    if (Initialised()) return kErrNone;
    if (ThMutexCreate(&gTree.mutex, "PathMutex") != kErrNone || StartStorage() != kErrNone) {
        UnInitTree();
        return kErrMemoryFull;
    }
    for (int32 b = 0; b < kBaseCount; ++b) {
        if (!kBaseLabels[b]) continue;
        gTree.bases[b] = MakeBase(kBaseLabels[b]);
        if (!gTree.bases[b]) {
            UnInitTree();
            return kErrMemoryFull;
        }
    }
    gTree.ready.store(true, std::memory_order_release);
    return kErrNone;
}

static void ReportBasesInUse() {
    PathLock lock;
    for (int32 b = 0; b < kBaseCount; ++b)
        if (gTree.bases[b] && !gTree.bases[b]->children.empty())
            TQ_REPORT(kDbgWarn, "Possible path leak, unable to purge elements of base #", b);
}

void UnInitTree() {
    ForgetStandardLocations();
    ReportBasesInUse();
    gTree.ready.store(false, std::memory_order_release);
    // A base that paths still use lives on until the last of them is gone.
    for (PathItemElement*& base : gTree.bases) {
        if (base) Release(base);
        base = nullptr;
    }
    PathRef::GarbageCollect(2);
    {
        PathLock lock;
        DrainElements();
    }
    StopStorage();
    if (gTree.mutex) ThMutexDestroy(gTree.mutex);
    gTree.mutex = nullptr;
}

void SetDebugMode(bool on) {
    gDebugMode.store(on, std::memory_order_relaxed);
}

bool DebugMode() {
    return gDebugMode.load(std::memory_order_relaxed);
}

std::string& NotAPathText() {
    static std::string text;
    return text;
}

std::string& PathTooLongText() {
    static std::string text;
    return text;
}

}  // namespace tq::paths
