// tqcore/cookies.h - magic cookie jars: checked 32-bit identifiers for small fixed-size records.
// Every function may be called from any thread; each jar serialises its structural changes on its own mutex.
#pragma once

#include "tqcore/types.h"

// Bits 31..20: a generation tag (never 0); bits 19..0: the record's index. 0 is no cookie.
typedef uInt32 MagicCookie;
// A jar is passed as its handle.
typedef UHandle MagicCookieJar;

TQ_EXTERN_C_BEGIN
// A jar with 8 bytes of info per cookie; null on failure.
TQ_API MagicCookieJar MCNewJar(void);
// A jar with infoSize bytes of info per cookie (at most 16 MiB); null on failure.
TQ_API MagicCookieJar MCNewBigJar(uInt32 infoSize);
// Frees the jar and every record (a note is reported when cookies remain); null is accepted. Returns 0.
TQ_API TqErr MCDisposeJar(MagicCookieJar jar);
// A new cookie holding a copy of info (null info stores zeros); 0 when the jar is null, full or out of
// memory.
TQ_API MagicCookie MCNewCookie(MagicCookieJar jar, const void* info);
// Frees the record, first copying its info to infoOut when non-null. 0, or 1 for an invalid cookie.
TQ_API int32 MCDisposeCookie(MagicCookieJar jar, MagicCookie cookie, void* infoOut);
// 1 when cookie names a live record (with rights, one whose rights count is not 0), else 0.
TQ_API Bool32 MCIsACookie(MagicCookieJar jar, MagicCookie cookie);
// Copies the info out. 0, or 1 for an invalid cookie (infoOut is then cleared).
TQ_API int32 MCGetCookieInfo(MagicCookieJar jar, MagicCookie cookie, void* infoOut);
// Stores the address of the record's info (null when invalid) in *ptrOut. 0, or 1 for an invalid cookie.
// The address stays usable until the cookie is disposed.
TQ_API int32 MCGetCookieInfoPtr(MagicCookieJar jar, MagicCookie cookie, void** ptrOut);
// Overwrites the info. 0, or 1 for an invalid cookie.
TQ_API int32 MCSetCookieInfo(MagicCookieJar jar, MagicCookie cookie, const void* info);
// The lowest-index cookie whose info equals info byte for byte; 0 if none.
TQ_API MagicCookie MCGetCookieForInfo(MagicCookieJar jar, const void* info);
// Fills *listHandle (created when null, else resized; caller owns it) with an int32 count and that many
// cookies in index order. 0, kErrArgument for null arguments, or the memory manager's error.
TQ_API TqErr MCGetCookieList(MagicCookieJar jar, UHandle* listHandle);
// Stores the number of live cookies. 0, or 1 when either argument is null.
TQ_API int32 MCJarSize(MagicCookieJar jar, int32* countOut);
TQ_EXTERN_C_END

#ifdef __cplusplus

// A resizable list of cookies. One thread at a time.
class TQ_API CookieList {
  public:
    CookieList() = default;
    ~CookieList();
    CookieList(const CookieList&) = delete;
    CookieList& operator=(const CookieList&) = delete;

    // 0 frees the storage; n >= 1 resizes it, new entries 0; n < 0 returns 1. On a failed allocation the
    // count becomes 0 and the memory manager's error is returned.
    TqErr SetCount(int32 n);
    int32 GetCount() const { return count_; }
    // 0 for an index outside 0..count-1.
    MagicCookie GetCookie(int32 i) const;
    // 0, or 1 for an index outside 0..count-1.
    int32 SetCookie(int32 i, MagicCookie cookie);

  private:
    int32 count_ = 0;
    UHandle cookies_ = nullptr;
};

// A jar owned by an object; null until Init. Optional rights mode makes each record reference counted.
class TQ_API BaseCookieJar {
  public:
    BaseCookieJar() = default;
    // Disposes a jar that is still held.
    virtual ~BaseCookieJar();
    BaseCookieJar(const BaseCookieJar&) = delete;
    BaseCookieJar& operator=(const BaseCookieJar&) = delete;

    // 0; kErrMemoryFull when the jar cannot be made; kErrArgument when this object already holds a jar.
    TqErr Init(uInt32 infoSize, int32 rights);
    void Uninit();
    Bool32 IsAValidJar() const { return jar_ != nullptr; }

    MagicCookie NewCookie(const void* info);
    int32 DisposeCookie(MagicCookie cookie, void* infoOut);
    int32 GetCookieInfo(MagicCookie cookie, void* infoOut);
    int32 SetCookieInfo(MagicCookie cookie, const void* info);
    MagicCookie GetCookieForInfo(const void* info);
    Bool32 IsACookie(MagicCookie cookie);
    // As MCJarSize; 1 when there is no jar.
    int32 GetNumCookies(int32* countOut);
    // Fills list in index order; empties it on failure or when there is no jar.
    void GetCookieList(CookieList& list);
    // Rights mode, lock-free: 1 and the info copied out when a right was taken; else 0 with infoOut cleared.
    int32 AcquireCookieRights(MagicCookie cookie, void* infoOut);
    // Rights mode, lock-free: the count before release when it was above 1; 1 when this release disposed
    // the record; 0 when nothing was released.
    int32 ReleaseCookieRights(MagicCookie cookie);

  protected:
    MagicCookieJar jar_ = nullptr;
};

#endif
