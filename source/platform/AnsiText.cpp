// The process's ANSI code page and the character functions over it, portable above the OS conversions.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include "platform/CodePage.h"

namespace tq::platform {

namespace {

struct CharTables {
    uInt32 codePage = 0;
    uChar upper[256];
    uChar lower[256];
    bool lead[256];
    bool doubleByte = false;
    bool asciiPlain = true;
    AnsiLowerFold fold{lower, true};
};

// One byte mapped through Unicode case and back; unchanged when either side has no single-byte form.
uChar FoldByte(uInt32 codePage, uChar b, TQWChar (*fold)(TQWChar)) {
    const char in = char(b);
    TQWChar wide[2];
    if (MultiByteToWide(codePage, kConvertStrict, &in, 1, wide, 2) != 1) return b;
    const TQWChar folded = fold(wide[0]);
    if (folded == wide[0]) return b;
    char out[4];
    if (WideToMultiByte(codePage, kConvertStrict, &folded, 1, out, 4) != 1) return b;
    return uChar(out[0]);
}

std::unique_ptr<CharTables> BuildTables(uInt32 codePage) {
    auto t = std::make_unique<CharTables>();
    t->codePage = codePage;
    if (!LeadByteTable(codePage, t->lead)) return nullptr;
    for (bool l : t->lead) t->doubleByte |= l;
    for (int b = 0; b < 256; ++b) {
        const bool single = !t->lead[b];
        t->upper[b] = single ? FoldByte(codePage, uChar(b), WideToUpper) : uChar(b);
        t->lower[b] = single ? FoldByte(codePage, uChar(b), WideToLower) : uChar(b);
    }
    for (int b = 0; b < 0x80; ++b) t->asciiPlain &= t->lower[b] == ((b >= 'A' && b <= 'Z') ? b + 32 : b);
    t->fold.asciiPlain = t->asciiPlain;
    return t;
}

class CodePageState {
  public:
    const CharTables& Current() {
        const CharTables* t = current_.load(std::memory_order_acquire);
        if (t) return *t;
        std::lock_guard<std::mutex> lock(mutex_);
        if (!current_.load()) {
            // An unusable host choice falls back to the western page rather than leaving tables unset.
            const CharTables* chosen = TablesFor(HostAnsiCodePage());
            Publish(chosen ? chosen : TablesFor(kCodePageWestern));
        }
        return *current_.load();
    }

    bool Select(uInt32 codePage) {
        std::lock_guard<std::mutex> lock(mutex_);
        const CharTables* t = TablesFor(codePage);
        if (!t) return false;
        Publish(t);
        return true;
    }

    bool Supported(uInt32 codePage) {
        std::lock_guard<std::mutex> lock(mutex_);
        return TablesFor(codePage) != nullptr;
    }

  private:
    void Publish(const CharTables* t) {
        current_.store(t, std::memory_order_release);
        gAnsiLowerFold.store(&t->fold, std::memory_order_release);
    }

    // Tables are built once per code page and kept for the life of the process, so readers need no lock.
    const CharTables* TablesFor(uInt32 codePage) {
        if (codePage == kCodePageAnsi || codePage == kCodePageUtf8) return nullptr;
        auto it = tables_.find(codePage);
        if (it == tables_.end()) it = tables_.emplace(codePage, BuildTables(codePage)).first;
        return it->second.get();
    }

    std::mutex mutex_;
    std::atomic<const CharTables*> current_{nullptr};
    std::map<uInt32, std::unique_ptr<CharTables>> tables_;
};

CodePageState& State() {
    static CodePageState* state = new CodePageState();  // never destroyed: used until process exit
    return *state;
}

}  // namespace

uInt32 AnsiCodePage() {
    return State().Current().codePage;
}

bool SetAnsiCodePage(uInt32 codePage) {
    return State().Select(codePage);
}

bool IsCodePageSupported(uInt32 codePage) {
    return codePage == kCodePageUtf8 || State().Supported(codePage);
}

uChar AnsiCharUpper(uChar c) {
    return State().Current().upper[c];
}

uChar AnsiCharLower(uChar c) {
    return State().Current().lower[c];
}

namespace {
void FoldBuffer(char* text, uInt32 length, const uChar* table, const bool* lead) {
    for (uInt32 i = 0; i < length; ++i) {
        const uChar b = uChar(text[i]);
        if (lead[b] && i + 1 < length) {
            ++i;  // both bytes of a double-byte character stay as they are
            continue;
        }
        text[i] = char(table[b]);
    }
}
}  // namespace

void AnsiCharUpperBuff(char* text, uInt32 length) {
    if (!text) return;
    const CharTables& t = State().Current();
    FoldBuffer(text, length, t.upper, t.lead);
}

void AnsiCharLowerBuff(char* text, uInt32 length) {
    if (!text) return;
    const CharTables& t = State().Current();
    FoldBuffer(text, length, t.lower, t.lead);
}

std::atomic<const AnsiLowerFold*> gAnsiLowerFold{nullptr};

AnsiLowerFold AnsiLowerTableSlow() {
    return State().Current().fold;
}

bool AnsiIsLeadByte(uChar c) {
    return State().Current().lead[c];
}

const char* AnsiCharNext(const char* current) {
    if (!current || *current == '\0') return current;
    const bool* lead = State().Current().lead;
    if (lead[uChar(*current)] && current[1] != '\0') return current + 2;
    return current + 1;
}

const char* AnsiCharPrev(const char* start, const char* current) {
    if (!start || !current || current <= start) return start;
    const CharTables& t = State().Current();
    if (!t.doubleByte) return current - 1;
    const bool* lead = t.lead;
    // Only a walk from the start knows whether a byte is a trail byte.
    const char* p = start;
    for (;;) {
        const char* next = (lead[uChar(*p)] && p + 1 < current && p[1] != '\0') ? p + 2 : p + 1;
        if (next >= current) return p;
        p = next;
    }
}

}  // namespace tq::platform
