// The process's buffer cache: blocks of disposed large handles kept for the next handle of a similar size.
// It exists from the memory manager's start to its stop; outside that time every request bypasses it.
#pragma once

#include "memory/HandleLayout.h"

namespace tq::memory {

struct BufferCacheSettings {
    int32 minBufferSize = 16384;
    int32 maxBuffers = 5;
    int32 cleanUpThreshold = 0x1E00000;  // bounds a single buffer and the total
    float resizeFactor = 1.5f;
};

struct BufferCacheContents {
    uInt64 count = 0;
    uInt64 bytes = 0;
};

// Made by the memory manager's start; false when its mutex cannot be had (the cache then stays off).
bool CreateBufferCache();
// Frees every cached buffer and ends the cache.
void ReleaseBufferCache();
// Frees every cached buffer; the cache stays.
void EmptyBufferCache();

// Values that cannot apply (negative sizes, a factor below 1) keep the current ones.
void SetBufferCacheSettings(const BufferCacheSettings& s);
BufferCacheSettings GetBufferCacheSettings();
BufferCacheContents GetBufferCacheContents();

// Keeps the pool block of a disposed handle whose data was at data; false when the caller must free it.
bool CacheBuffer(uChar* data, const HandleHeader& h, uInt64 guardRoom);
// The data address of a cached block laid out for size bytes with layout l (header written, guards written
// when the mode says so), or null when nothing suitable is cached.
uChar* TakeCachedBuffer(uInt64 size, Layout l);

}  // namespace tq::memory
