// Cookie jars: checked 32-bit identifiers for records, with their optional reference-counted rights.
#define TQ_UNIT "source\\CookieManager"

#include <atomic>
#include <cstring>

#include "cookies/CookieJar.h"
#include "diagnostics/Report.h"
#include "tqcore/clocks.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace tq::cookies {

namespace {

constexpr int32 kInUse = -1;
constexpr uInt32 kMaxInfoSize = 1u << 24;

// Every word that lock-free readers touch is accessed atomically, so a reader never sees a torn value.
template <class T>
T Load(T& v) {
    return std::atomic_ref<T>(v).load(std::memory_order_acquire);
}
template <class T>
void Store(T& v, T x) {
    std::atomic_ref<T>(v).store(x, std::memory_order_release);
}

uInt32& StateOf(uInt8* slot) {
    return *reinterpret_cast<uInt32*>(slot);
}
int32& LinkOf(uInt8* slot) {
    return *reinterpret_cast<int32*>(slot + 4);
}
uInt8* InfoOf(uInt8* slot) {
    return slot + 8;
}

uInt32 TagOf(uInt32 word) {
    return word >> kIndexBits;
}
uInt32 RightsOf(uInt32 word) {
    return word & kIndexMask;
}

// 8-byte infos are read without the mutex, so they move as one atomic word; other sizes only under it.
void ReadInfo(const JarHeader* h, uInt8* slot, void* out) {
    if (h->infoSize == 8) {
        const uInt64 v = Load(*reinterpret_cast<uInt64*>(InfoOf(slot)));
        std::memcpy(out, &v, 8);
    } else {
        std::memcpy(out, InfoOf(slot), h->infoSize);
    }
}

void WriteInfo(const JarHeader* h, uInt8* slot, const void* in) {
    if (h->infoSize == 8) {
        uInt64 v = 0;
        if (in) std::memcpy(&v, in, 8);
        Store(*reinterpret_cast<uInt64*>(InfoOf(slot)), v);
    } else if (in) {
        std::memcpy(InfoOf(slot), in, h->infoSize);
    } else {
        std::memset(InfoOf(slot), 0, h->infoSize);
    }
}

void ClearOut(const JarHeader* h, void* out) {
    if (out) std::memset(out, 0, h->infoSize);
}

uInt32 Part(const PouchTree& t, int level, uInt32 index) {
    return (index >> t.levels[level].shift) & t.levels[level].mask;
}

uInt32 LeafSlots(const PouchTree& t) {
    return 1u << t.levels[kLevels - 1].width;
}

// The tree is always built from kLevelWidths, so the lock-free walk uses the same shape as constants.
struct Shape {
    uInt32 shift[kLevels], mask[kLevels];
};
constexpr Shape kShape = [] {
    Shape shape{};
    uInt32 shift = 0;
    for (int level = kLevels - 1; level >= 0; --level) {
        shape.shift[level] = shift;
        shape.mask[level] = (1u << kLevelWidths[level]) - 1;
        shift += kLevelWidths[level];
    }
    return shape;
}();

[[gnu::always_inline]] inline uInt8* FindSlot(PouchTree* t, uInt32 index) {
    if (index <= kShape.mask[kLevels - 1]) {
        uInt8* first = Load(t->firstLeaf);
        return first ? first + index * t->stride : nullptr;
    }
    void** array = t->root;
    for (int level = 0; level < kLevels - 1; ++level) {
        void* next = Load(array[(index >> kShape.shift[level]) & kShape.mask[level]]);
        if (!next) return nullptr;
        array = static_cast<void**>(next);
    }
    return reinterpret_cast<uInt8*>(array) + (index & kShape.mask[kLevels - 1]) * t->stride;
}

// A new leaf page's slots are chained free in index order, running on into the next page.
uInt8* NewLeafPage(PouchTree* t, uInt32 index) {
    const uInt32 slots = LeafSlots(*t);
    uInt8* page = DSNewPClr(uInt64(slots) * t->stride);
    if (!page) return nullptr;
    const uInt32 base = index - Part(*t, kLevels - 1, index);
    for (uInt32 i = 0; i < slots; ++i) LinkOf(page + i * t->stride) = int32(base + i + 1);
    if (base == 0) Store(t->firstLeaf, page);
    return page;
}

// Under the jar mutex.
uInt8* FindOrCreateSlot(PouchTree* t, uInt32 index) {
    void** array = t->root;
    for (int level = 0; level < kLevels - 1; ++level) {
        void*& entry = array[Part(*t, level, index)];
        if (!entry) {
            void* made = level < kLevels - 2
                             ? static_cast<void*>(DSNewPClr(sizeof(void*) << t->levels[level + 1].width))
                             : static_cast<void*>(NewLeafPage(t, index));
            if (!made) return nullptr;
            Store(entry, made);
        }
        array = static_cast<void**>(entry);
    }
    return reinterpret_cast<uInt8*>(array) + Part(*t, kLevels - 1, index) * t->stride;
}

// Visits every slot of every allocated page in ascending index order until visit returns false.
template <class Visit>
bool WalkLevel(PouchTree* t, void** array, int level, uInt32 base, Visit& visit) {
    const uInt32 entries = 1u << t->levels[level].width;
    for (uInt32 i = 0; i < entries; ++i) {
        if (!array[i]) continue;
        const uInt32 start = base | (i << t->levels[level].shift);
        if (level < kLevels - 2) {
            if (!WalkLevel(t, static_cast<void**>(array[i]), level + 1, start, visit)) return false;
            continue;
        }
        uInt8* page = static_cast<uInt8*>(array[i]);
        for (uInt32 s = 0; s < LeafSlots(*t); ++s)
            if (!visit(page + s * t->stride, start + s)) return false;
    }
    return true;
}

template <class Visit>
void WalkSlots(PouchTree* t, Visit visit) {
    WalkLevel(t, t->root, 0, 0, visit);
}

void FreeLevel(PouchTree* t, void** array, int level) {
    const uInt32 entries = 1u << t->levels[level].width;
    for (uInt32 i = 0; i < entries; ++i) {
        if (!array[i]) continue;
        if (level < kLevels - 2) FreeLevel(t, static_cast<void**>(array[i]), level + 1);
        DSDisposePtr(array[i]);
    }
}

class JarLock {
  public:
    explicit JarLock(const JarHeader* h) : mutex_(h->mutex) { ThMutexAcquire(mutex_); }
    ~JarLock() { ThMutexRelease(mutex_); }
    JarLock(const JarLock&) = delete;
    JarLock& operator=(const JarLock&) = delete;

  private:
    ThMutex mutex_;
};

JarHeader* Usable(MagicCookieJar jar) {
    return jar && *jar ? Header(jar) : nullptr;
}

// Whether the slot is in use by this very cookie; with requireRights, a rights-mode record must also hold a
// right.
[[gnu::always_inline]] inline bool Owns(const JarHeader* h, uInt8* slot, MagicCookie cookie,
                                        bool requireRights) {
    if (Load(LinkOf(slot)) >= 0) return false;
    const uInt32 state = Load(StateOf(slot));
    return TagOf(state) == TagOf(cookie) && !(requireRights && h->rights && RightsOf(state) == 0);
}

// The slot a live cookie names, else null. Inlined: it is the whole cost of a lookup.
[[gnu::always_inline]] inline uInt8* Lookup(JarHeader* h, MagicCookie cookie, bool requireRights) {
    if (cookie <= kIndexMask) return nullptr;
    uInt8* slot = FindSlot(h->tree, cookie & kIndexMask);
    return slot && Owns(h, slot, cookie, requireRights) ? slot : nullptr;
}

bool InUseWithRights(const JarHeader* h, uInt8* slot) {
    return Load(LinkOf(slot)) < 0 && (!h->rights || RightsOf(Load(StateOf(slot))) != 0);
}

MagicCookie CookieFor(uInt8* slot, uInt32 index) {
    return (TagOf(Load(StateOf(slot))) << kIndexBits) | index;
}

// Under the jar mutex. Freed slots are reused last-in first-out.
void DisposeLocked(JarHeader* h, uInt8* slot, uInt32 index, void* infoOut) {
    if (infoOut) ReadInfo(h, slot, infoOut);
    Store(StateOf(slot), 0u);
    WriteInfo(h, slot, nullptr);
    Store(LinkOf(slot), int32(h->freeHead));
    h->freeHead = index;
    Store(h->count, h->count - 1);
}

uInt32 StrideFor(uInt32 infoSize, bool rights) {
    uInt32 stride = (infoSize + 15) & ~7u;
    // Rights counts change concurrently: keep each state word on its own cache line.
    if (rights && stride % 64) stride = (stride + 63) & ~63u;
    return stride;
}

uInt32 FirstTag() {
    const uInt32 tag = MilliSecs() & kTagMask;
    return tag ? tag : 1;
}

void FreeJarParts(UHandle handle) {
    JarHeader* h = Header(handle);
    if (h->tree) {
        if (h->tree->valid) FreeLevel(h->tree, h->tree->root, 0);
        DSDisposePtr(h->tree);
    }
    ThMutexDestroy(h->mutex);
    AZDisposeHandle(handle);
}

}  // namespace

void InitPouchTree(PouchTree& tree, const uInt8 (&widths)[kLevels], uInt32 stride) {
    tree.stride = stride;
    tree.valid = 0;
    uInt32 total = 0;
    for (uInt8 w : widths) total += w;
    // The root array is built in: its width may not exceed its 16 entries.
    if (total != kIndexBits || (1u << widths[0]) > sizeof tree.root / sizeof tree.root[0]) return;
    uInt8 shift = 0;
    for (int level = kLevels - 1; level >= 0; --level) {
        tree.levels[level] = PouchLevel{(1u << widths[level]) - 1, widths[level], shift};
        shift = uInt8(shift + widths[level]);
    }
    tree.valid = 1;
}

MagicCookieJar NewJar(uInt32 infoSize, bool rights) {
    if (infoSize > kMaxInfoSize) return nullptr;
    UHandle handle = AZNewHClr(sizeof(JarHeader));
    if (!handle) return nullptr;
    JarHeader* h = Header(handle);
    h->infoSize = infoSize;
    h->stride = StrideFor(infoSize, rights);
    h->rights = rights ? 1 : 0;
    h->nextTag = FirstTag();
    h->tree = reinterpret_cast<PouchTree*>(DSNewPClr(sizeof(PouchTree)));
    if (h->tree) InitPouchTree(*h->tree, kLevelWidths, h->stride);
    if (!h->tree || !h->tree->valid || ThMutexCreate(&h->mutex, "JarRights") != kErrNone) {
        FreeJarParts(handle);
        return nullptr;
    }
    return handle;
}

int32 AcquireRights(MagicCookieJar jar, MagicCookie cookie, void* infoOut) {
    JarHeader* h = Usable(jar);
    if (!h) return 0;
    uInt8* slot = h->rights && cookie > kIndexMask ? FindSlot(h->tree, cookie & kIndexMask) : nullptr;
    for (;;) {
        const uInt32 state = slot ? Load(StateOf(slot)) : 0;
        if (!slot || TagOf(state) != TagOf(cookie) || RightsOf(state) == 0) {
            ClearOut(h, infoOut);
            return 0;
        }
        const uInt32 next = (cookie & ~kIndexMask) | ((RightsOf(state) + 1) & kIndexMask);
        if (ThSwapIfSame(reinterpret_cast<volatile int32*>(&StateOf(slot)), int32(next), int32(state))) break;
    }
    if (infoOut) ReadInfo(h, slot, infoOut);
    return 1;
}

int32 ReleaseRights(MagicCookieJar jar, MagicCookie cookie) {
    JarHeader* h = Usable(jar);
    if (!h || !h->rights || cookie <= kIndexMask) return 0;
    uInt8* slot = FindSlot(h->tree, cookie & kIndexMask);
    uInt32 held = 0;
    for (;;) {
        const uInt32 state = slot ? Load(StateOf(slot)) : 0;
        if (!slot || TagOf(state) != TagOf(cookie) || RightsOf(state) == 0) return 0;
        held = RightsOf(state);
        const uInt32 next = (cookie & ~kIndexMask) | ((held - 1) & kIndexMask);
        if (ThSwapIfSame(reinterpret_cast<volatile int32*>(&StateOf(slot)), int32(next), int32(state))) break;
    }
    if (held > 1) return int32(held);
    JarLock lock(h);
    if (uInt8* live = Lookup(h, cookie, false)) DisposeLocked(h, live, cookie & kIndexMask, nullptr);
    return 1;
}

}  // namespace tq::cookies

using namespace tq::cookies;

MagicCookieJar MCNewJar() {
    return NewJar(8, false);
}

MagicCookieJar MCNewBigJar(uInt32 infoSize) {
    return NewJar(infoSize, false);
}

TqErr MCDisposeJar(MagicCookieJar jar) {
    JarHeader* h = Usable(jar);
    if (!h) return kErrNone;
    if (h->count) TQ_REPORT(kDbgNote, "Disposing jar with ", h->count, " cookies remaining");
    FreeJarParts(jar);
    return kErrNone;
}

MagicCookie MCNewCookie(MagicCookieJar jar, const void* info) {
    JarHeader* h = Usable(jar);
    if (!h) return 0;
    JarLock lock(h);
    const uInt32 index = h->freeHead;
    if (index > kIndexMask) return 0;
    uInt8* slot = FindOrCreateSlot(h->tree, index);
    if (!slot) return 0;
    const uInt32 tag = h->nextTag;
    h->nextTag = ((tag + 1) & kTagMask) ? tag + 1 : 1;
    h->freeHead = uInt32(Load(LinkOf(slot)));
    WriteInfo(h, slot, info);
    Store(StateOf(slot), (tag << kIndexBits) | (h->rights ? 1u : 0u));
    Store(LinkOf(slot), kInUse);
    Store(h->count, h->count + 1);
    return (tag << kIndexBits) | index;
}

int32 MCDisposeCookie(MagicCookieJar jar, MagicCookie cookie, void* infoOut) {
    JarHeader* h = Usable(jar);
    if (!h) return 1;
    JarLock lock(h);
    uInt8* slot = Lookup(h, cookie, false);
    if (!slot) return 1;
    DisposeLocked(h, slot, cookie & kIndexMask, infoOut);
    return 0;
}

Bool32 MCIsACookie(MagicCookieJar jar, MagicCookie cookie) {
    JarHeader* h = Usable(jar);
    if (!h || cookie == 0) return 0;
    JarLock lock(h);
    return Lookup(h, cookie, true) != nullptr;
}

int32 MCGetCookieInfo(MagicCookieJar jar, MagicCookie cookie, void* infoOut) {
    JarHeader* h = Usable(jar);
    if (!h) return 1;
    if (h->infoSize == 8) {
        // Read first, then confirm the cookie still owns the slot (pages never move): a dispose in between
        // is caught.
        uInt8* slot = Lookup(h, cookie, true);
        uInt64 v = 0;
        if (slot) v = Load(*reinterpret_cast<uInt64*>(InfoOf(slot)));
        const bool valid = slot && Owns(h, slot, cookie, true);
        if (!valid) v = 0;
        if (infoOut) std::memcpy(infoOut, &v, 8);
        return valid ? 0 : 1;
    }
    JarLock lock(h);
    uInt8* slot = Lookup(h, cookie, true);
    if (!slot) {
        ClearOut(h, infoOut);
        return 1;
    }
    if (infoOut) ReadInfo(h, slot, infoOut);
    return 0;
}

int32 MCGetCookieInfoPtr(MagicCookieJar jar, MagicCookie cookie, void** ptrOut) {
    JarHeader* h = Usable(jar);
    uInt8* slot = h ? Lookup(h, cookie, true) : nullptr;
    if (ptrOut) *ptrOut = slot ? InfoOf(slot) : nullptr;
    return slot ? 0 : 1;
}

int32 MCSetCookieInfo(MagicCookieJar jar, MagicCookie cookie, const void* info) {
    JarHeader* h = Usable(jar);
    if (!h) return 1;
    JarLock lock(h);
    uInt8* slot = Lookup(h, cookie, true);
    if (!slot) return 1;
    WriteInfo(h, slot, info);
    return 0;
}

MagicCookie MCGetCookieForInfo(MagicCookieJar jar, const void* info) {
    JarHeader* h = Usable(jar);
    if (!h || !info) return 0;
    JarLock lock(h);
    MagicCookie found = 0;
    WalkSlots(h->tree, [&](uInt8* slot, uInt32 index) {
        if (!InUseWithRights(h, slot) || std::memcmp(InfoOf(slot), info, h->infoSize) != 0) return true;
        found = CookieFor(slot, index);
        return false;
    });
    return found;
}

TqErr MCGetCookieList(MagicCookieJar jar, UHandle* listHandle) {
    JarHeader* h = Usable(jar);
    if (!h || !listHandle) return kErrArgument;
    JarLock lock(h);
    const uInt32 count = h->count;
    const uInt64 bytes = 4 + 4 * uInt64(count);
    if (!*listHandle) {
        *listHandle = DSNewHandle(bytes);
        if (!*listHandle) return kErrMemoryFull;
    } else if (const TqErr err = DSSetHandleSize(*listHandle, bytes)) {
        return err;
    }
    uInt8* out = **listHandle;
    uInt32 found = 0;
    WalkSlots(h->tree, [&](uInt8* slot, uInt32 index) {
        if (Load(LinkOf(slot)) >= 0) return true;
        if (found < count) {
            const MagicCookie c = CookieFor(slot, index);
            std::memcpy(out + 4 + 4 * size_t(found), &c, 4);
        }
        ++found;
        return true;
    });
    if (found != count) TQ_REPORT(kDbgBroken, "PouchTree::CollectMagicCookies: cookie count discrepancy");
    // The count field holds the cookies actually written.
    const int32 written = int32(found < count ? found : count);
    std::memcpy(out, &written, 4);
    return kErrNone;
}

int32 MCJarSize(MagicCookieJar jar, int32* countOut) {
    JarHeader* h = Usable(jar);
    if (!h || !countOut) return 1;
    *countOut = int32(Load(h->count));
    return 0;
}

CookieList::~CookieList() {
    DSDisposeHandle(cookies_);
}

TqErr CookieList::SetCount(int32 n) {
    if (n < 0) return kErrArgument;
    if (n == 0) {
        DSDisposeHandle(cookies_);
        cookies_ = nullptr;
        count_ = 0;
        return kErrNone;
    }
    const uInt64 bytes = 4 * uInt64(n);
    TqErr err = kErrNone;
    if (cookies_) {
        err = DSSetHSzClr(cookies_, bytes);
    } else {
        cookies_ = DSNewHClr(bytes);
        if (!cookies_) err = kErrMemoryFull;
    }
    count_ = err ? 0 : n;
    return err;
}

MagicCookie CookieList::GetCookie(int32 i) const {
    if (i < 0 || i >= count_) return 0;
    MagicCookie c;
    std::memcpy(&c, *cookies_ + 4 * size_t(i), 4);
    return c;
}

int32 CookieList::SetCookie(int32 i, MagicCookie cookie) {
    if (i < 0 || i >= count_) return 1;
    std::memcpy(*cookies_ + 4 * size_t(i), &cookie, 4);
    return 0;
}

BaseCookieJar::~BaseCookieJar() {
    Uninit();
}

TqErr BaseCookieJar::Init(uInt32 infoSize, int32 rights) {
    // A second Init would orphan the cookies handed out from the first jar.
    if (jar_) return kErrArgument;
    jar_ = NewJar(infoSize, rights != 0);
    return jar_ ? kErrNone : kErrMemoryFull;
}

void BaseCookieJar::Uninit() {
    MCDisposeJar(jar_);
    jar_ = nullptr;
}

MagicCookie BaseCookieJar::NewCookie(const void* info) {
    return MCNewCookie(jar_, info);
}

int32 BaseCookieJar::DisposeCookie(MagicCookie cookie, void* infoOut) {
    return MCDisposeCookie(jar_, cookie, infoOut);
}

int32 BaseCookieJar::GetCookieInfo(MagicCookie cookie, void* infoOut) {
    return MCGetCookieInfo(jar_, cookie, infoOut);
}

int32 BaseCookieJar::SetCookieInfo(MagicCookie cookie, const void* info) {
    return MCSetCookieInfo(jar_, cookie, info);
}

MagicCookie BaseCookieJar::GetCookieForInfo(const void* info) {
    return MCGetCookieForInfo(jar_, info);
}

Bool32 BaseCookieJar::IsACookie(MagicCookie cookie) {
    return MCIsACookie(jar_, cookie);
}

int32 BaseCookieJar::GetNumCookies(int32* countOut) {
    return MCJarSize(jar_, countOut);
}

void BaseCookieJar::GetCookieList(CookieList& list) {
    UHandle cookies = nullptr;
    if (!jar_ || MCGetCookieList(jar_, &cookies) != kErrNone) {
        DSDisposeHandle(cookies);
        list.SetCount(0);
        return;
    }
    int32 n;
    std::memcpy(&n, *cookies, 4);
    if (list.SetCount(n) == kErrNone) {
        for (int32 i = 0; i < n; ++i) {
            MagicCookie c;
            std::memcpy(&c, *cookies + 4 + 4 * size_t(i), 4);
            list.SetCookie(i, c);
        }
    } else {
        list.SetCount(0);
    }
    DSDisposeHandle(cookies);
}

int32 BaseCookieJar::AcquireCookieRights(MagicCookie cookie, void* infoOut) {
    return AcquireRights(jar_, cookie, infoOut);
}

int32 BaseCookieJar::ReleaseCookieRights(MagicCookie cookie) {
    return ReleaseRights(jar_, cookie);
}
