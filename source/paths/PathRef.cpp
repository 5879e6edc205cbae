// PathRef: building, editing, comparing and relating paths in the interned tree.
#include "tqcore/paths.h"

#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "diagnostics/Report.h"
#include "paths/PathItemElement.h"
#include "paths/PathManagerImplementation.h"
#include "paths/PathRefAccess.h"
#include "platform/CodePage.h"
#include "tqcore/core.h"
#include "tqcore/strings.h"

#define TQ_UNIT "source\\PathRef"

using tq::paths::ChainItems;
using tq::paths::PathLock;
using Chain = std::vector<const PathItemElement*>;

namespace {

const std::string kEmpty;

// Nothing ever hangs below the null-marker root: every member that lengthens a path refuses it first, so
// looking at the element itself is enough.
bool IsNullBased(const PathItemElement* e) {
    return e && !e->parent && e == tq::paths::BaseElement(kBaseNull);
}

bool IsDotDot(const char* name, size_t length) {
    return length == 2 && name[0] == '.' && name[1] == '.';
}

ComparePolicy Checked(ComparePolicy policy) {
    if (policy >= kCompareDefault && policy <= kCompareLexical) return policy;
    TQ_REPORT(kDbgError, "Unexpected PathRef::ComparePolicy");
    return kCompareIgnoreCase;
}

int32 BytesCompare(const std::string& a, const std::string& b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    const int c = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (c) return c < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool ElementsEqual(const PathItemElement* a, const PathItemElement* b, ComparePolicy policy) {
    if (a == b) return true;
    if (!a || !b || a->depth != b->depth) return false;
    const bool exact = Checked(policy) == kCompareExact;
    for (; a && b; a = a->parent, b = b->parent) {
        if (a == b) return true;
        const std::string &x = a->name, &y = b->name;
        if (x == y) continue;
        if (exact || a->foldedHash != b->foldedHash ||
            !StringUtils::CaseInsensitiveEqual(x.data(), x.size(), y.data(), y.size()))
            return false;
    }
    return a == b;
}

// The result of walking two paths' items from the front.
struct CommonPart {
    TqErr err = kErrNone;
    int32 count = 0;      // leading items that matched
    int32 firstDiff = 0;  // sign of the first difference, or of the length difference when all matched
    const PathItemElement* element = nullptr;
};

CommonPart WalkCommon(const PathItemElement* a, const PathItemElement* b, ComparePolicy policy) {
    CommonPart r;
    if (tq::paths::RootOf(a) != tq::paths::RootOf(b)) {
        r.err = kErrArgument;
        return r;
    }
    const int32 na = a->depth, nb = b->depth, m = na < nb ? na : nb;
    const int32 lengthOrder = na > nb ? 1 : (na < nb ? -1 : 0);
    const PathItemElement* shorter = na <= nb ? a : b;
    Chain ia, ib;
    if (!ChainItems(a, ia) || !ChainItems(b, ib)) {
        TQ_REPORT(kDbgError, "Corrupt Path");
        r.err = kErrEndOfData;
        return r;
    }
    for (int32 k = 0; k < m; ++k) {
        if (ia[k] == ib[k]) continue;
        const int32 c = Checked(policy) == kCompareExact
                            ? BytesCompare(ia[k]->name, ib[k]->name)
                            : StringUtils::CaseInsensitiveCompare(ia[k]->name, ib[k]->name);
        if (c) {
            r.count = k;
            r.firstDiff = c < 0 ? -1 : 1;
            r.element = k ? ia[k - 1] : tq::paths::RootOf(a);
            return r;
        }
    }
    r.count = m;
    r.firstDiff = lengthOrder;
    r.element = shorter;
    return r;
}

int32 BaseRank(PathBase b) {
    switch (b) {
        case kBaseUNC:
            return 0;
        case kBaseAbsolute:
            return 1;
        case kBaseRelative:
            return 2;
        default:
            return 3;
    }
}

}  // namespace

SplitCriteria::~SplitCriteria() = default;

// --- Lifetime ---

PathRef::PathRef(PathBase base) {
    if (base == kBaseNotAPath) return;
    element_ = tq::paths::BaseElement(base);
    tq::paths::Retain(element_);
}

PathRef::PathRef(PathItemElement* element, Retaining) : element_(element) {
    tq::paths::Retain(element_);
}

PathRef::PathRef(const PathRef* other) : PathRef(other ? *other : PathRef()) {}

PathRef::PathRef(const PathRef& other) : element_(other.element_) {
    tq::paths::Retain(element_);
}

PathRef& PathRef::operator=(const PathRef& other) {
    if (this == &other) return *this;
    tq::paths::Retain(other.element_);
    Adopt(other.element_);
    if (tq::paths::DebugMode()) {
        std::string text;
        if (ConvertToString(&text, StringDisplay()) == kErrNone) Buffer() = text;
    }
    return *this;
}

PathRef::~PathRef() {
    tq::paths::Release(element_);
    delete text_;
}

void PathRef::Adopt(PathItemElement* element) {
    PathItemElement* old = element_;
    element_ = element;
    tq::paths::Release(old);
}

void PathRef::SetNotAPath() {
    Adopt(nullptr);
}

void PathRef::Fail(TqErr code, const char* message, int32 line) {
    SetNotAPath();
    throw PKExcept(code, message, TQ_UNIT, line);
}

std::string& PathRef::Buffer() const {
    if (!text_) text_ = new std::string();
    return *text_;
}

const PathRef& PathRef::NotAPath() {
    static const PathRef notAPath;
    if (!tq::paths::Initialised())
        TQ_REPORT(kDbgWarn, "Call to GetNotAPath before PathRef::Init() or after PathRef::Uninit()?");
    return notAPath;
}

int32 PathRef::ConvertToPath(PathRef** out) const {
    if (!out) return kErrArgument;
    if (*out)
        **out = *this;
    else
        *out = new PathRef(*this);
    return kErrNone;
}

int32 PathRef::DisposePath(PathRef*& p) {
    delete p;
    p = nullptr;
    return kErrNone;
}

// --- Items ---

int32 PathRef::ItemCount() const {
    return element_ ? element_->depth : 0;
}

const std::string& PathRef::ItemAt(int32 i) const {
    if (i < 0 || i >= ItemCount())
        throw PKExcept(kErrEndOfData, "PathRef ItemAt, invalid index", TQ_UNIT, __LINE__);
    const PathItemElement* e = tq::paths::AncestorAt(element_, i + 1);
    if (!e || e->depth != i + 1)
        throw PKExcept(kErrEndOfData, "PathRef ItemAt, invalid index", TQ_UNIT, __LINE__);
    return e->name;
}

int32 PathRef::CopyItemAt(int32 i, std::string* out) const {
    const int32 n = ItemCount();
    if (!out || n == 0) return kErrArgument;
    if (i < 0) i = n - 1;
    if (i >= n) return kErrArgument;
    *out = ItemAt(i);
    return kErrNone;
}

std::string PathRef::Name() const {
    return ItemCount() ? element_->name : std::string();
}

int32 PathRef::CountUpDir() const {
    int32 count = 0;
    for (const PathItemElement* e = element_; e && e->parent; e = e->parent) {
        if (e->name.empty()) {
            ++count;
        } else if (count) {
            TQ_REPORT(kDbgError, "There are not supposed to be 'up dirs' in the middle of paths");
            count = 0;
        }
    }
    return count;
}

// --- Editing ---

void PathRef::AppendName(const char* name, size_t length, const char* where) {
    if (length == 1 && name[0] == '.') return;
    if (!element_ || IsNullBased(element_)) Fail(kErrArgument, where, __LINE__);
    const bool up = length == 0 || IsDotDot(name, length);
    if (up && element_->parent && !element_->name.empty()) {
        tq::paths::Retain(element_->parent);
        Adopt(element_->parent);
        return;
    }
    PathItemElement* child = tq::paths::FindOrCreateChild(element_, name, up ? 0 : length);
    if (!child) Fail(kErrMemoryFull, where, __LINE__);
    Adopt(child);
}

void PathRef::Append(const char* name) {
    if (!name) Fail(kErrArgument, "Append(PathRef::StringType)", __LINE__);
    AppendName(name, std::strlen(name), "Append(PathRef::StringType)");
}

void PathRef::Append(const std::string& name) {
    AppendName(name.data(), name.size(), "Append(PathRef::StringType)");
}

void PathRef::AppendUpDir() {
    AppendName("", 0, "Append(PathRef::StringType)");
}

void PathRef::Append(const PathRef& relative) {
    const PathRef rel(relative);
    if (!element_ || !rel.element_ || IsNullBased(element_) || IsNullBased(rel.element_))
        Fail(kErrArgument, "Append(relativePath): NULL or NotAPath cannot be used", __LINE__);
    if (tq::paths::BaseOf(rel.element_) != kBaseRelative)
        Fail(kErrArgument, "Append(relativePath): Must be appending a relative path", __LINE__);
    Chain items;
    if (!ChainItems(rel.element_, items))
        Fail(kErrEndOfData, "Append(relativePath): Corrupt relative Path", __LINE__);
    for (const PathItemElement* item : items) Append(item->name);
}

void PathRef::Replace(int32 i, const char* name) {
    Replace(i, std::string(name ? name : ""));
}

void PathRef::Replace(int32 i, const std::string& name) {
    if (!element_) Fail(kErrArgument, "PathRef replace, NULL parameter", __LINE__);
    if (i < 0 || i >= ItemCount())
        Fail(kErrArgument, "PathRef replace, invalid element index (element)", __LINE__);
    Chain items;
    if (!ChainItems(element_, items)) Fail(kErrEndOfData, "PathRef replace, Corrupt Path", __LINE__);
    PathItemElement* at = tq::paths::FindOrCreateChild(items[i]->parent, name.data(), name.size());
    if (!at) Fail(kErrMemoryFull, "PathRef replace, unable to allocate child", __LINE__);
    PathRef result = PathRefAccess::Adopting(at);
    for (size_t k = size_t(i) + 1; k < items.size(); ++k) {
        const std::string& n = items[k]->name;
        PathItemElement* next = tq::paths::FindOrCreateChild(result.element_, n.data(), n.size());
        if (!next) Fail(kErrMemoryFull, "PathRef replace, unable to allocate child", __LINE__);
        result.Adopt(next);
    }
    *this = result;
}

PathRef PathRef::GetParentDirectory() const {
    return PathRef(element_ ? element_->parent : nullptr, Retaining());
}

// --- Comparison ---

bool PathRef::NameEquals(const std::string& a, const std::string& b, ComparePolicy policy) {
    return NameEquals(a.data(), int32(a.size()), b.data(), int32(b.size()), policy);
}

bool PathRef::NameEquals(const char* a, int32 lengthA, const char* b, int32 lengthB, ComparePolicy policy) {
    if (lengthA != lengthB) return false;
    if (Checked(policy) == kCompareExact) return lengthA <= 0 || std::memcmp(a, b, size_t(lengthA)) == 0;
    return StringUtils::CaseInsensitiveEqual(a, size_t(lengthA), b, size_t(lengthB));
}

int32 PathRef::NameCompare(const std::string& a, const std::string& b, ComparePolicy policy) {
    return Checked(policy) == kCompareExact ? BytesCompare(a, b) : StringUtils::CaseInsensitiveCompare(a, b);
}

bool PathRef::Equals(const PathRef& other, ComparePolicy policy) const {
    return ElementsEqual(element_, other.element_, policy);
}

int32 PathRef::Compare(const PathRef& other, ComparePolicy policy) const {
    if (element_ == other.element_) return 0;
    if (!element_) return 1;
    if (!other.element_) return -1;
    const PathBase mine = tq::paths::BaseOf(element_), theirs = tq::paths::BaseOf(other.element_);
    policy = Checked(policy);
    if (mine != theirs) {
        if (policy == kCompareDefault || policy == kCompareIgnoreCase) return -1;
        return BaseRank(mine) < BaseRank(theirs) ? -1 : 1;
    }
    const int32 a = ItemCount(), b = other.ItemCount();
    if (a == 0 || b == 0) return a - b;
    const CommonPart common = WalkCommon(element_, other.element_, policy);
    if (common.err == kErrNone) {
        const int32 c = common.count;
        if (a == b && c == a) return 0;
        if (c == a || common.firstDiff < 0) return -(c + 1);
        if (c == b || common.firstDiff > 0) return c + 1;
    }
    TQ_REPORT(kDbgError, "How did we get here?");
    return -1;
}

bool PathRef::StartsWith(const PathRef& other, ComparePolicy policy) const {
    if (element_ == other.element_) return true;
    if (!element_ || !other.element_) return false;
    if (other.element_->depth >= element_->depth) return false;
    return ElementsEqual(tq::paths::AncestorAt(element_, other.element_->depth), other.element_, policy);
}

bool PathRef::StartsWith(PathBase base) const {
    return tq::paths::BaseOf(element_) == base;
}

bool PathRef::IsParentDirectoryOf(const PathRef& other, ComparePolicy policy) const {
    if (element_ == other.element_) return true;
    if (!element_ || !other.element_ || !other.element_->parent) return false;
    return ElementsEqual(other.element_->parent, element_, policy);
}

// --- Prefix arithmetic ---

PathRef PathRef::GetInCommonWith(const PathRef& other, ComparePolicy policy) const {
    if (!element_ || !other.element_) return PathRef();
    const CommonPart common = WalkCommon(element_, other.element_, policy);
    return common.err ? PathRef() : PathRefAccess::Sharing(common.element);
}

PathRef PathRef::GetRelativePathFromThisToThat(const PathRef& that, ComparePolicy policy) const {
    static const char* const kWhere = "PathRef GetRelativePathFromThisToThat";
    if (!element_)
        throw PKExcept(kErrArgument, "PathRef GetRelativePathFromThisToThat: this is NotAPath", TQ_UNIT,
                       __LINE__);
    if (!that.element_)
        throw PKExcept(kErrArgument, "PathRef GetRelativePathFromThisToThat: that is NotAPath", TQ_UNIT,
                       __LINE__);
    const CommonPart common = WalkCommon(element_, that.element_, policy);
    if (common.err) throw PKExcept(common.err, kWhere, TQ_UNIT, __LINE__);
    Chain items;
    if (!ChainItems(that.element_, items)) throw PKExcept(kErrEndOfData, kWhere, TQ_UNIT, __LINE__);
    PathRef result(kBaseRelative);
    if (!result.element_) throw PKExcept(kErrNotFound, kWhere, TQ_UNIT, __LINE__);
    auto descend = [&](const char* name, size_t length) {
        PathItemElement* child = tq::paths::FindOrCreateChild(result.element_, name, length);
        if (!child) throw PKExcept(kErrEndOfData, kWhere, TQ_UNIT, __LINE__);
        result.Adopt(child);
    };
    for (int32 k = common.count; k < ItemCount(); ++k) descend("", 0);
    for (size_t k = size_t(common.count); k < items.size(); ++k)
        descend(items[k]->name.data(), items[k]->name.size());
    return result;
}

bool PathRef::Rebase(const PathRef& oldBase, const PathRef& newBase, ComparePolicy policy) {
    if (!ItemCount() || !oldBase.ItemCount() || !newBase.ItemCount()) return false;
    const CommonPart common = WalkCommon(element_, oldBase.element_, policy);
    if (common.err || common.count != oldBase.ItemCount()) return false;
    Chain items;
    if (!ChainItems(element_, items)) Fail(kErrEndOfData, "Rebase: Corrupt Path", __LINE__);
    PathRef result(newBase);
    for (size_t k = size_t(common.count); k < items.size(); ++k) {
        const std::string& n = items[k]->name;
        PathItemElement* child = tq::paths::FindOrCreateChild(result.element_, n.data(), n.size());
        if (!child) Fail(kErrEndOfData, "Rebase: Corrupt Path", __LINE__);
        result.Adopt(child);
    }
    *this = result;
    return true;
}

bool PathRef::SplitOn(const SplitCriteria& criteria, PathRef* head, PathRef* tail,
                      SplitDirection direction) const {
    Chain items;
    if (!ChainItems(element_, items))
        throw PKExcept(kErrEndOfData, "PathRef SplitPathOn, invalid index", TQ_UNIT, __LINE__);
    const int32 n = int32(items.size());
    for (int32 visit = 0; visit < n; ++visit) {
        const int32 i = direction ? n - 1 - visit : visit;
        int32 action = criteria.Test(*this, visit, items[size_t(i)]);
        if (action == kSplitContinue) continue;
        if (action < kSplitDropItem || action > kSplitItemToTail) {
            TQ_REPORT(kDbgError, "Illegal action");
            action = kSplitDropItem;
        }
        const PathRef at = PathRefAccess::Sharing(items[size_t(i)]);
        const PathRef before = at.GetParentDirectory();
        const PathRef newHead = action == kSplitItemToHead ? at : before;
        const PathRef newTail = tail ? (action == kSplitItemToTail ? before : at)
                                           .GetRelativePathFromThisToThat(*this, kCompareExact)
                                     : PathRef();
        if (head) *head = newHead;
        if (tail) *tail = newTail;
        return true;
    }
    if (head) *head = PathRef();
    if (tail) *tail = PathRef();
    return false;
}

// --- Validity ---

bool PathRef::IsValid() const {
    if (!element_ || !element_->alive) return false;
    switch (tq::paths::BaseOf(element_)) {
        case kBaseAbsolute:
        case kBaseRelative:
            return true;
        case kBaseUNC:
            return element_->depth >= 1;
        default:
            return false;
    }
}

bool PathRef::IsSane(bool report) const {
    return tq::paths::CheckSanity(element_, report);
}

uInt64 PathRef::MemorySize() const {
    double total = 16;
    if (text_) total += 2.0 * double(text_->capacity()) + 48;
    PathLock lock;
    for (const PathItemElement* e = element_; e; e = e->parent) {
        double own = 2.0 * double(e->name.size()) + 96.03125;
        if (e->cache) {
            own += 16;
            for (const auto& item : *e->cache) own += double(item.second->Size());
        }
        const int32 retains = e->retains.load(std::memory_order_relaxed);
        total += retains >= 1 ? own / retains : own;
    }
    return uInt64(total);
}

// --- Extensions ---

namespace {

std::atomic<const ExtensionList*> gPrimaryExtensions{nullptr};
std::atomic<const ExtensionList*> gSecondaryExtensions{nullptr};

template <class Match>
const ExtensionListEntry* FindExtension(Match match) {
    for (const ExtensionList* list : {gPrimaryExtensions.load(), gSecondaryExtensions.load()}) {
        if (!list) continue;
        for (int32 i = 0; i < list->count; ++i)
            if (match(list->entries[i])) return &list->entries[i];
    }
    return nullptr;
}

std::string EntryExtension(const ExtensionListEntry& entry) {
    return std::string(entry.extension, strnlen(entry.extension, sizeof entry.extension));
}

const ExtensionListEntry* EntryOfType(_FMFileType type) {
    return FindExtension([type](const ExtensionListEntry& e) { return e.type == type; });
}

}  // namespace

void PathRef::SetExtensionList(const ExtensionList* primary, const ExtensionList* secondary) {
    if (gPrimaryExtensions.load() || gSecondaryExtensions.load())
        TQ_REPORT(kDbgWarn, "The extension lists should only be set once");
    gPrimaryExtensions.store(primary);
    gSecondaryExtensions.store(secondary);
}

std::string PathRef::NameGetExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

_FMFileType PathRef::NameGetExtensionType(const std::string& name) {
    if (name.find('.') == std::string::npos) return 0;
    const std::string ext = NameGetExtension(name);
    const ExtensionListEntry* entry = FindExtension([&ext](const ExtensionListEntry& e) {
        return StringUtils::CaseInsensitiveEqual(EntryExtension(e), ext);
    });
    return entry ? entry->type : 0;
}

bool PathRef::NameHasExtension(const std::string& name, _FMFileType type) {
    const ExtensionListEntry* entry = EntryOfType(type);
    if (!entry || name.find('.') == std::string::npos) return false;
    return StringUtils::CaseInsensitiveEqual(NameGetExtension(name), EntryExtension(*entry));
}

std::string PathRef::NameAppendExtension(const std::string& name, const std::string& extension) {
    return name + "." + extension;
}

std::string PathRef::NameAppendExtension(const std::string& name, _FMFileType type) {
    const ExtensionListEntry* entry = EntryOfType(type);
    return entry ? NameAppendExtension(name, EntryExtension(*entry)) : name;
}

std::string PathRef::NameRemoveExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

int32 PathRef::CopyExtension(std::string* out) const {
    if (!out || !element_) return kErrArgument;
    *out = ItemCount() ? NameGetExtension(element_->name) : std::string();
    return kErrNone;
}

const std::string& PathRef::Extension() const {
    std::string* buffer = nullptr;
    try {
        buffer = &Buffer();
        *buffer = ItemCount() ? NameGetExtension(element_->name) : std::string();
    } catch (const std::bad_alloc&) {
        throw PKExcept(kErrMemoryFull, "PathRef Extension", TQ_UNIT, __LINE__);
    }
    return *buffer;
}

std::string PathRef::GetExtension() const {
    std::string ext;
    const TqErr err = CopyExtension(&ext);
    if (err) throw PKExcept(err, "PathRef CopyExtension", TQ_UNIT, __LINE__);
    return ext;
}

namespace {

// The last item renamed; an empty result would read as "..", so such a name stays as it was.
PathRef Renamed(const PathRef& path, const std::string& name) {
    if (name.empty() || name == path.Name()) return path;
    PathRef parent = path.GetParentDirectory();
    PathItemElement* child =
        tq::paths::FindOrCreateChild(PathRefAccess::Element(parent), name.data(), name.size());
    if (!child) throw std::bad_alloc();
    return PathRefAccess::Adopting(child);
}

}  // namespace

void PathRef::AppendExtension(const std::string& extension) {
    if (!ItemCount()) Fail(kErrArgument, "PathRef AppendExtension", __LINE__);
    try {
        *this = Renamed(*this, NameAppendExtension(element_->name, extension));
    } catch (const std::bad_alloc&) {
        Fail(kErrMemoryFull, "PathRef AppendExtension", __LINE__);
    }
}

void PathRef::AppendExtension(_FMFileType type) {
    if (!ItemCount()) Fail(kErrArgument, "PathRef AppendExtension", __LINE__);
    try {
        *this = Renamed(*this, NameAppendExtension(element_->name, type));
    } catch (const std::bad_alloc&) {
        Fail(kErrMemoryFull, "PathRef AppendExtension", __LINE__);
    }
}

void PathRef::RemoveExtension() {
    if (!ItemCount()) Fail(kErrArgument, "PathRef RemoveExtension", __LINE__);
    try {
        *this = Renamed(*this, NameRemoveExtension(element_->name));
    } catch (const std::bad_alloc&) {
        Fail(kErrMemoryFull, "PathRef RemoveExtension", __LINE__);
    }
}

// --- Wildcard names ---

namespace {

struct WildCard {
    const char* nameEnd;
    const char* patternEnd;
    const uChar* lower;

    const char* Next(const char* s) const {
        return s + (s + 1 < nameEnd && tq::platform::AnsiIsLeadByte(uChar(*s)) ? 2 : 1);
    }

    // The literal run [p, q) against the name at n; returns the name position after it, or null.
    const char* Literal(const char* n, const char* p, const char* q) const {
        while (p < q) {
            if (n >= nameEnd) return nullptr;
            if (tq::platform::AnsiIsLeadByte(uChar(*p)) && p + 1 < q) {
                if (nameEnd - n < 2 || n[0] != p[0] || n[1] != p[1]) return nullptr;
                n += 2, p += 2;
                continue;
            }
            if (*n != *p && lower[uChar(*n)] != lower[uChar(*p)]) return nullptr;
            ++n, ++p;
        }
        return n;
    }

    bool Match(const char* n, const char* p) const {
        while (p < patternEnd) {
            switch (*p) {
                case '*':
                    return Star(n, p);
                case '?':
                    if (n >= nameEnd || *n == '\\') return false;
                    n = Next(n), ++p;
                    break;
                case '.':
                    if (n < nameEnd && *n == '.')
                        ++n;
                    else if (n != nameEnd)
                        return false;
                    ++p;
                    break;
                default: {
                    const char* q = p;
                    while (q < patternEnd && *q != '*' && *q != '?' && *q != '.') ++q;
                    n = Literal(n, p, q);
                    if (!n) return false;
                    p = q;
                }
            }
        }
        return n == nameEnd;
    }

    bool Star(const char* n, const char* p) const {
        const bool crossesBackslash = p + 1 < patternEnd && p[1] == '*';
        p += crossesBackslash ? 2 : 1;
        for (const char* s = n;; s = Next(s)) {
            if (Match(s, p)) return true;
            if (s >= nameEnd || (!crossesBackslash && *s == '\\')) return false;
        }
    }
};

}  // namespace

bool PathRef::NameWildCardMatch(const std::string& name, const std::string& pattern) {
    const WildCard w{name.data() + name.size(), pattern.data() + pattern.size(),
                     tq::platform::AnsiLowerTable().table};
    return w.Match(name.data(), pattern.data());
}
