// Volumes: the list of them and their space.
#include <algorithm>
#include <cstring>
#include <vector>

#include "files/PathSupport.h"
#include "platform/FileSystem.h"
#include "tqcore/core.h"
#include "tqcore/memory.h"

namespace {
namespace platform = tq::platform;

// Volume entries' flags: every entry has bit 1.
constexpr uInt32 kVolumeFlags = 2;

const char* KindCode(platform::VolumeKind kind) {
    switch (kind) {
        case platform::VolumeKind::kRemovable:
            return "flpy";
        case platform::VolumeKind::kNetwork:
            return "srvr";
        case platform::VolumeKind::kFixed:
            break;
    }
    return "hdsk";
}

TqErr FillNames(CPStrHandle names, const std::vector<platform::VolumeEntry>& volumes) {
    uInt64 bytes = sizeof(int32);
    for (const auto& v : volumes) bytes += 1 + std::min<size_t>(v.name.size(), 255);
    UHandle h = reinterpret_cast<UHandle>(names);
    if (DSSetHandleSize(h, bytes) != kErrNone) return kErrMemoryFull;
    (*names)->cnt = int32(volumes.size());
    uChar* out = (*names)->str;
    for (const auto& v : volumes) {
        const size_t n = std::min<size_t>(v.name.size(), 255);
        *out++ = uChar(n);
        std::memcpy(out, v.name.data(), n);
        out += n;
    }
    return kErrNone;
}

TqErr FillKinds(UHandle info, const std::vector<platform::VolumeEntry>& volumes) {
    if (DSSetHandleSize(info, volumes.size() * sizeof(VolKindRec)) != kErrNone) return kErrMemoryFull;
    VolKindRec* out = reinterpret_cast<VolKindRec*>(*info);
    for (const auto& v : volumes) {
        out->flags = kVolumeFlags;
        std::memcpy(out->kind, KindCode(v.kind), 4);
        ++out;
    }
    return kErrNone;
}

uInt32 Clamped(uInt64 v) {
    return v > UINT32_MAX ? UINT32_MAX : uInt32(v);
}

// The space of p's volume; the OS's failure as a code.
TqErr SpaceOf(Path p, platform::DiskSpace* space) {
    *space = {};
    Path volume = nullptr;
    if (const TqErr err = FMGetVolPath(p, &volume)) return err;
    std::string name;
    TqErr err = volume->ItemCount() == 0 ? kErrNone : tq::files::RootedOsName(volume, false, name);
    delete volume;
    if (err) return err;
    // POSIX's place above the volumes is a file system of its own.
    if (name.empty()) name = "/";
    return platform::GetDiskSpace(name.c_str(), space) ? kErrNone : Win32ToPKFileErr();
}
}  // namespace

TqErr FListDesktop(CPStrHandle names, UHandle info) {
    if (!names) return kErrArgument;
    const std::vector<platform::VolumeEntry> volumes = platform::ListVolumes();
    if (const TqErr err = FillNames(names, volumes)) return err;
    return info ? FillKinds(info, volumes) : kErrNone;
}

TqErr FMGetVolPath(Path p, Path* vol) {
    if (!vol || !tq::files::IsRootedPath(p)) return kErrArgument;
    try {
        PathRef volume = *p;
        while (volume.ItemCount() > 1) volume = volume.GetParentDirectory();
        if (*vol)
            **vol = volume;
        else
            *vol = new PathRef(volume);
        return kErrNone;
    } catch (...) {
        return kErrMemoryFull;
    }
}

TqErr FGetVolInfo(Path p, VolInfoRec* info) {
    if (!info || !tq::files::IsRootedPath(p)) return kErrArgument;
    *info = {};
    if (const TqErr err = FMGetVolPath(p, &p)) return err;
    platform::DiskSpace space;
    if (const TqErr err = SpaceOf(p, &space)) return err;
    info->totalBytes = Clamped(space.totalBytes);
    info->freeBytes = Clamped(space.freeBytes);
    info->usedBytes = Clamped(space.totalBytes - space.freeBytes);
    return kErrNone;
}

TqErr FMGetVolInfo64(Path p, uInt64* freeBytes, uInt64* totalBytes, uInt32* bytesPerSector) {
    platform::DiskSpace space;
    const TqErr err = tq::files::IsRootedPath(p) ? SpaceOf(p, &space) : kErrArgument;
    if (err) space = {};
    if (freeBytes) *freeBytes = space.availableBytes;
    if (totalBytes) *totalBytes = space.totalBytes;
    if (bytesPerSector) *bytesPerSector = space.bytesPerSector;
    return err;
}

TqErr FMGetVolInfo(Path p, double* totalBytes, double* freeBytes) {
    uInt64 total = 0, free = 0;
    const TqErr err = FMGetVolInfo64(p, &free, &total, nullptr);
    if (totalBytes) *totalBytes = double(total);
    if (freeBytes) *freeBytes = double(free);
    return err;
}
