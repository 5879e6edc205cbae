// tqcore/clocks.h - the 32-bit millisecond tick, the 64-bit high-resolution tick and the 128-bit absolute
// time. Every call may come from any thread; the use-multimedia-timer switches are meant for start-up.
#pragma once

#include "tqcore/types.h"

// Performance-counter ticks since the library was loaded, stored high word first (not as one 64-bit integer).
typedef struct _HRTime {
    uInt32 hi;
    uInt32 lo;
} _HRTime;

// A FILETIME by value: 100-ns units since 1601-01-01 UTC, in the Windows layout (low half first).
typedef struct TQFileTime {
    uInt32 dwLowDateTime;
    uInt32 dwHighDateTime;
} TQFileTime;

TQ_EXTERN_C_BEGIN
// The current millisecond tick; wraps about every 49.7 days.
TQ_API uInt32 MilliSecs(void);
// a - b as a signed value: positive when a is later, correct across one wrap.
TQ_API int32 MillisecCmp(uInt32 a, uInt32 b);
// Non-zero selects the multimedia timer as the tick's source (off at load).
TQ_API void MillisecSetUseMultimediaTimer(Bool32 flag);

// The _HRTime calls ignore null pointers (a null output is left alone, a null input reads as 0).
TQ_API void HRWallClockTime(_HRTime* out);
TQ_API void HRTimeZero(_HRTime* t);
// Wrapping 64-bit sum and difference.
TQ_API void HRTimeAdd(const _HRTime* a, const _HRTime* b, _HRTime* out);
TQ_API void HRTimeSubtract(const _HRTime* a, const _HRTime* b, _HRTime* out);
// -1, 0 or 1; both words compare unsigned.
TQ_API int32 HRTimeCompare(const _HRTime* a, const _HRTime* b);
TQ_API double HRTimeToSeconds(const _HRTime* t);
TQ_API void SecondsToHRTime(double seconds, _HRTime* out);
// A stored switch only: no _HRTime call consults it.
TQ_API void HRTimeSetUseMultimediaTimer(Bool32 flag);
TQ_API Bool32 HRTimeGetUseMultimediaTimer(void);
TQ_EXTERN_C_END

#ifdef __cplusplus

// A signed 64-bit count of high-resolution ticks relative to a base taken at load.
class TQ_API HiResClock {
  public:
    enum InitialValue : int32 { kInitZero = 0, kInitNow = 1 };

    HiResClock() = default;
    // kInitNow starts at the current tick; any other value at 0.
    explicit HiResClock(InitialValue initial);

    void SetToNow();
    void SetToZero() { ticks_ = 0; }
    void FromSeconds(double seconds);
    double ToSeconds() const;
    bool IsEqual(const HiResClock& other) const { return ticks_ == other.ticks_; }
    // Compares the tick counts unsigned.
    bool operator<(const HiResClock& other) const;
    HiResClock& operator+=(const HiResClock& other);
    HiResClock& operator-=(const HiResClock& other);
    int64 Ticks() const { return ticks_; }

  private:
    int64 ticks_ = 0;
};

// Seconds since 1904-01-01 00:00:00 UTC as signed 64.64 fixed point: whole seconds, then a fraction in
// units of 2^-64 s. As one 128-bit two's-complement number it orders and negates naturally.
class TQ_API ATime128 {
  public:
    // Long enough for every ToText result, terminator included.
    static constexpr int32 kTextSize = 48;

    ATime128() = default;
    ATime128(int64 seconds, uInt64 fraction) : fraction_(fraction), seconds_(seconds) {}
    // Truncates below 2^-64 s; an infinity, NaN or a value beyond the range saturates by its sign.
    explicit ATime128(double seconds);

    int64 GetInt64Seconds() const { return seconds_; }
    void SetInt64Seconds(int64 s) { seconds_ = s; }
    uInt64 GetUInt64Fraction() const { return fraction_; }
    void SetUInt64Fraction(uInt64 f) { fraction_ = f; }
    double getSeconds() const { return double(seconds_); }
    // The fraction alone, in [0, 1).
    double getFraction() const;
    double ToDouble() const;
    // The four 32-bit words from most to least significant; null outputs are skipped.
    void Get(uInt32* w3, uInt32* w2, uInt32* w1, uInt32* w0) const;
    // Adds 2^-64 s, carrying into the seconds.
    void IncrementLSB();

    // Wrapping 128-bit arithmetic; the product is the rounded 64.64 fixed-point product.
    ATime128 operator+(const ATime128& other) const;
    ATime128 operator-(const ATime128& other) const;
    ATime128 operator-() const;
    ATime128 operator*(const ATime128& other) const;
    bool operator==(const ATime128& other) const = default;
    bool operator<(const ATime128& other) const;

    // UTC text "YYYY-MM-DDTHH:MM:SS.nnnnnnnnnZ" (fraction truncated to nanoseconds), NUL-terminated and cut
    // to fit `capacity`. Returns the length of the whole text.
    int32 ToText(char* out, int32 capacity) const;

  private:
    uInt64 fraction_ = 0;
    int64 seconds_ = 0;
};

// The class-valued calls have C++ linkage: a C caller could not use ATime128 anyway.
TQ_API ATime128 GetCurrentATime128();
TQ_API ATime128 ATime128FromFILETIME(const TQFileTime& ft);
// The FILETIME given by its two 32-bit halves.
TQ_API ATime128 ATime128FromHILOTime(uInt32 high, uInt32 low);
TQ_API TQFileTime FILETIMEFromATime128(const ATime128& t);

#endif
