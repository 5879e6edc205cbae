// The library's assembly: the start-up entry points that start and stop the base and application services.
#include <algorithm>
#include <cstring>
#include <vector>

#include "assembly/AppSupportHooks.h"
#include "config/Services.h"
#include "core/ServiceRegistry.h"
#include "diagnostics/Services.h"
#include "diagnostics/StackOverflowHandler.h"
#include "files/Services.h"
#include "memory/BufferCache.h"
#include "memory/Services.h"
#include "numerics/Services.h"
#include "platform/DynamicLibrary.h"
#include "resources/Services.h"
#include "strings/Services.h"
#include "threads/Services.h"
#include "tqcore/config.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"

namespace {

constexpr int kBaseServiceCount = 10;
IServiceObject* gBaseServices[kBaseServiceCount + 1];
tq::core::ServiceRegistry* gBaseRegistry = nullptr;
// The records of the last base registry that UninitTQCoreBase stopped.
std::vector<TQServiceRecord> gStoppedRecords;
bool gAppSupportStarted = false;

void FillBaseServices() {
    IServiceObject* const services[kBaseServiceCount] = {
        tq::diagnostics::DebugStreamService(),
        tq::numerics::FloatingPointConstantsService(),
        tq::threads::ThEventService(),
        tq::threads::ThMutexService(),
        tq::strings::StringUtilsLocaleCacheService(),
        ProtectedAtomicOperationsService(),
        MemoryManagerService(),
        tq::memory::TrackedMallocFreeService(),
        PathManagerService(),
        tq::files::FileManagerService(),
    };
    for (int i = 0; i < kBaseServiceCount; ++i) gBaseServices[i] = services[i];
    gBaseServices[kBaseServiceCount] = nullptr;
}

void RecordName(TQServiceRecord& r, IServiceObject* service) {
    const char* name = service->Name();
    std::strncpy(r.name, name ? name : "", sizeof r.name - 1);
    r.name[sizeof r.name - 1] = 0;
}

void RecordTimes(TQServiceRecord& r, const tq::core::ServiceRegistryItem& item, bool running) {
    r.startResult = item.startResult;
    r.startBegin = item.startBegin;
    r.startEnd = item.startEnd;
    r.stopResult = item.stopResult;
    r.stopBegin = item.stopBegin;
    r.stopEnd = item.stopEnd;
    r.running = running ? 1 : 0;
}

// Names are read while the services live: the last stop destroys them.
std::vector<TQServiceRecord> NamedRecords(const tq::core::ServiceRegistry& registry) {
    std::vector<TQServiceRecord> records(registry.StartOrder().size());
    for (size_t i = 0; i < records.size(); ++i) {
        records[i] = {};
        RecordName(records[i], registry.StartOrder()[i]->service);
    }
    return records;
}

void UpdateRecords(std::vector<TQServiceRecord>& records, const tq::core::ServiceRegistry& registry) {
    for (size_t i = 0; i < records.size(); ++i)
        RecordTimes(records[i], *registry.StartOrder()[i], int32(i) < registry.StartedCount());
}

}  // namespace

namespace tq::assembly {

namespace {

// A typed preference of the main configuration manager; false when it is unset, unreadable or there is no
// manager yet, the value then untouched.
bool ReadPreference(int32 type, const char* token, void* value) {
    Str255 name;
    const size_t n = std::min<size_t>(std::strlen(token), 255);
    name[0] = uChar(n);
    std::memcpy(name + 1, token, n);
    return CfgGetDefault(type, name, value) == kErrNone;
}

// A missing setting leaves its default.
void ApplyBufferCacheSettings() {
    tq::memory::BufferCacheSettings s = tq::memory::GetBufferCacheSettings();
    PreferenceInt32("SelectiveDeallocation.BufferCache.MinBufferSize", &s.minBufferSize);
    PreferenceInt32("SelectiveDeallocation.BufferCache.MaxSize", &s.maxBuffers);
    PreferenceInt32("SelectiveDeallocation.BufferCache.CleanUpThreshold", &s.cleanUpThreshold);
    PreferenceFloat32("SelectiveDeallocation.BufferCache.ResizeFactor", &s.resizeFactor);
    tq::memory::SetBufferCacheSettings(s);
}

}  // namespace

bool PreferenceBool(const char* token) {
    int32 value = 0;
    return ReadPreference(TQFourCC("Bool"), token, &value) && value != 0;
}

bool PreferenceInt32(const char* token, int32* value) {
    return ReadPreference(TQFourCC("I32 "), token, value);
}
bool PreferenceFloat32(const char* token, float* value) {
    return ReadPreference(TQFourCC("F32 "), token, value);
}

// A setting only turns its switch on: an absent one leaves what the host chose.
// "MemoryManger.UseMasterPointerPool" joins when the memory manager exports its switch.
void ApplyMemoryAppSettings() {
    if (PreferenceBool("NeverShrinkBuffers")) SetNeverShrinkBuffers(1);
    ApplyBufferCacheSettings();
}

}  // namespace tq::assembly

TqErr InitTQCoreBase(void) {
    // A stack overflow anywhere in the host then ends the process quietly with its status.
    tq::diagnostics::InstallStackOverflowHandler();
    FillBaseServices();
    // A second call replaces the base registry; the earlier one is released without stopping its services.
    if (gBaseRegistry) gBaseRegistry->Release();
    gBaseRegistry = static_cast<tq::core::ServiceRegistry*>(CreateServiceRegistry(gBaseServices));
    if (!gBaseRegistry) return kErrMemoryFull;
    return gBaseRegistry->InitAll();
}

TqErr UninitTQCoreBase(void) {
    if (!gBaseRegistry) return kErrNone;
    try {
        gStoppedRecords = NamedRecords(*gBaseRegistry);
    } catch (...) {
        gStoppedRecords.clear();
    }
    (void)gBaseRegistry->UninitAll();
    UpdateRecords(gStoppedRecords, *gBaseRegistry);
    gBaseRegistry->Release();
    gBaseRegistry = nullptr;
    return kErrNone;
}

TqErr InitTQCoreAppSupport(void) {
    if (gAppSupportStarted) return kErrNone;
    (void)tq::config::ConfigManagerService()->Init();
    (void)tq::config::ConfigCoreTypesService()->Init();
    if (tq::assembly::PreferenceBool("LoadHeapDebugger"))
        (void)tq::platform::LoadLibraryByName("HeapDebugger.dll");
    tq::assembly::ApplyMemoryAppSettings();
    (void)tq::threads::ThThreadService()->Init();
    // "ShareReadOnlyResourceFiles" defaults to true, which an unset preference cannot say yet.
    tq::resources::ApplyResourceSettings(tq::assembly::PreferenceBool("UseWeakRsrcFileValidation"), true);
    (void)tq::resources::ResourceManagerService()->Init();
    gAppSupportStarted = true;
    return kErrNone;
}

TqErr UninitTQCoreAppSupport(void) {
    if (!gAppSupportStarted) return kErrNone;
    (void)tq::resources::ResourceManagerService()->Uninit();
    (void)tq::threads::ThThreadService()->Uninit();
    (void)tq::config::ConfigCoreTypesService()->Uninit();
    (void)tq::config::ConfigManagerService()->Uninit();
    gAppSupportStarted = false;
    return kErrNone;
}

int32 TQCoreBaseServiceRecords(TQServiceRecord* records, int32 capacity) {
    std::vector<TQServiceRecord> live;
    if (gBaseRegistry) {
        try {
            live = NamedRecords(*gBaseRegistry);
        } catch (...) {
            return 0;
        }
        UpdateRecords(live, *gBaseRegistry);
    }
    const std::vector<TQServiceRecord>& source = gBaseRegistry ? live : gStoppedRecords;
    for (int32 i = 0; records && i < capacity && size_t(i) < source.size(); ++i)
        records[i] = source[size_t(i)];
    return int32(source.size());
}
