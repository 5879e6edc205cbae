// The allocation tracker: live allocations by address, each with its size, source position, number and the
// call stack that made it.
#include <map>
#include <new>
#include <string_view>

#include "memory/DumpLeakInfo.h"
#include "threads/PlatformMutex.h"
#include "tqcore/diagnostics.h"
#include "tqcore/memory.h"

namespace tq::memory {

namespace {

constexpr int32 kDefaultSkip = 3;
constexpr const char* kOwnFile = "AllocTracker";

struct Item {
    uInt64 size;
    const char* file;
    int32 line;
    uInt64 number;
    StackChainFS<16> stack;
};

struct Record {
    std::map<const void*, Item> items;
    bool deactivated = false;
    bool busy = false;  // set while the tracker works: what its own allocations report is not recorded
    int32 skip = kDefaultSkip;
    uInt64 next = 0;
    threads::PlatformMutex* mutex = nullptr;
};

void Deactivate(Record& r, const char* why) {
    r.deactivated = true;
    DefaultDumper out;
    out.FormatToOutput("%s", why);
}

void ReportDuplicate(Record& r, const Item& first) {
    {
        DefaultDumper out;
        out.FormatToOutput("Duplicate pointer first returned in this context:\n");
        DumpFrames(out, first.stack);
    }
    Deactivate(r, "memdebug deactivated. Malloc returned same pointer twice.\n");
}

void DumpItem(AllocDumper& dumper, const void* p, const Item& item) {
    dumper.FormatToOutput("----------------------\nFile %-15s; Line %-5lu # ", item.file ? item.file : "",
                          static_cast<unsigned long>(item.line));
    dumper.FormatToOutput("%6lu  %-20s            %6lu            0x%016llX\n",
                          static_cast<unsigned long>(item.size), "", static_cast<unsigned long>(item.number),
                          static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    if (dumper.GetShowStackNames()) DumpFrames(dumper, item.stack);
    dumper.DumpItemContents(p, item.size);
}

// Holds the record's mutex and marks it busy; Entered() is false when the record is already busy on this
// thread (the tracker's own allocations) or tracking is off.
class Entry {
  public:
    explicit Entry(Record* r) : r_(r) {
        if (!r_) return;
        r_->mutex->Acquire();
        entered_ = !r_->busy;
        if (entered_) r_->busy = true;
    }
    ~Entry() {
        if (!r_) return;
        if (entered_) r_->busy = false;
        r_->mutex->Release();
    }
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    bool Entered() const { return entered_; }
    bool Tracking() const { return entered_ && !r_->deactivated; }

  private:
    Record* r_;
    bool entered_ = false;
};

class Tracker final : public AllocTracker {
  public:
    ~Tracker() override { Uninit(); }

    void Refresh() override { Idle(); }
    void Add(const void* p) override { Add(p, 0, kOwnFile, __LINE__); }
    int32 Forget(const void* p) override { return Remove(p); }
    int32 Count32() override { return int32(Count()); }

    void Init(int32 skipFrames) override {
        if (record_) return;
        auto* r = new (std::nothrow) Record;
        if (!r) return;
        r->mutex = threads::CreatePlatformMutex();
        if (!r->mutex) {
            delete r;
            return;
        }
        r->skip = skipFrames < 0 ? 0 : skipFrames;
        record_ = r;
    }

    void Uninit() override {
        Record* r = record_;
        if (!r) return;
        record_ = nullptr;
        threads::DestroyPlatformMutex(r->mutex);
        delete r;
    }

    __attribute__((noinline)) void Add(const void* p, uInt64 size, const char* file, int32 line) override {
        Entry e(record_);
        if (!e.Tracking()) return;
        Record& r = *record_;
        try {
            auto [at, fresh] = r.items.try_emplace(p);
            if (!fresh) return ReportDuplicate(r, at->second);
            Item& item = at->second;
            item.size = size;
            item.file = file;
            item.line = line;
            item.number = r.next++;
            item.stack.Record(r.skip);
        } catch (const std::bad_alloc&) {
            Deactivate(r, "memdebug deactivated. Internal out of memory.\n");
        }
    }

    int32 Remove(const void* p) override {
        Entry e(record_);
        if (!e.Tracking()) return 1;
        return record_->items.erase(p) ? 0 : 1;
    }

    int64 Count() override {
        Entry e(record_);
        return record_ ? int64(record_->items.size()) : 0;
    }

    int32 Reserved() override { return 0; }

    void Dump(AllocDumper* dumper) override { Dump(dumper, nullptr); }

    void Dump(AllocDumper* dumper, const char* file) override {
        if (!dumper) return;
        Entry e(record_);
        if (record_ && !e.Entered()) return;
        dumper->FormatToOutput("** List of currently allocated %-20s  **\n", dumper->ObjBeingTrackedName());
        dumper->FormatToOutput("****************************************\n");
        dumper->FormatToOutput(
            "                                     Size  Size Expression     Content String      Alloc "
            "Number\n");
        int32 listed = 0;
        if (record_) {
            for (const auto& [p, item] : record_->items) {
                if (file && (!item.file || std::string_view(file) != item.file)) continue;
                DumpItem(*dumper, p, item);
                ++listed;
            }
        }
        dumper->FormatToOutput("Number of unfreed items: %d\n", listed);
    }

    bool IsTracked(const void* p) override {
        Entry e(record_);
        return record_ && record_->items.count(p) != 0;
    }

    void Idle() override {}

    bool Active() const { return record_ != nullptr; }

  private:
    Record* record_ = nullptr;
};

AllocTracker* Create(int32 skip) {
    auto* t = new (std::nothrow) Tracker;
    if (!t) return nullptr;
    t->Init(skip);
    if (!t->Active()) {
        delete t;
        return nullptr;
    }
    return t;
}

}  // namespace

}  // namespace tq::memory

AllocTracker* CreateAllocTracker(void) {
    return tq::memory::Create(tq::memory::kDefaultSkip);
}

AllocTracker* CreateAllocTrackerSpecifySkip(int32 skip) {
    return tq::memory::Create(skip);
}

void DestroyAllocTracker(AllocTracker* tracker) {
    if (!tracker) return;
    tracker->Uninit();
    delete tracker;
}
