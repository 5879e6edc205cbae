// Mathematical and physical constants, and the service that sets up the special values at start.
#include <bit>
#include <cstring>
#include <mutex>

#include "numerics/Services.h"
#include "numerics/X87.h"
#include "tqcore/numerics.h"

namespace {

struct SpecialValues {
    std::once_flag once;
    float sInf = 0, sNegInf = 0;
    double dInf = 0, dNegInf = 0, dNaN = 0;
};
SpecialValues gSpecial;

void Fill() {
    gSpecial.sInf = std::bit_cast<float>(0x7F800000u);
    gSpecial.sNegInf = std::bit_cast<float>(0xFF800000u);
    gSpecial.dInf = std::bit_cast<double>(0x7FF0000000000000ull);
    gSpecial.dNegInf = std::bit_cast<double>(0xFFF0000000000000ull);
    gSpecial.dNaN = std::bit_cast<double>(0x7FF8000000000000ull);
}

void FillSpecialValues() {
    std::call_once(gSpecial.once, Fill);
}

// Callers that never started the service still get the values: they are filled on first use.
const SpecialValues& Special() {
    FillSpecialValues();
    return gSpecial;
}

class FloatingPointConstants final : public RefcountedServiceObject_T<FloatingPointConstants> {
  public:
    const char* Name() override { return "FloatingPointConstants"; }
    void Dependencies(IServiceDependencyList&) override {}
    TqErr InitService() override {
        FillSpecialValues();
        return kErrNone;
    }
};

// Quiet NaN with every fraction bit set: exponent all ones, integer bit and all 63 fraction bits.
long double ExtNaN() {
    long double v = 0;
    const uInt8 bytes[10] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
    std::memcpy(&v, bytes, 10);
    return v;
}

}  // namespace

IServiceObject* tq::numerics::FloatingPointConstantsService() {
    return FloatingPointConstants::Get();
}

TQ_EXTERN_C_BEGIN

TQ_API double DPi(void) {
    return 3.14159265358979323846;
}
TQ_API double DHalfPi(void) {
    return 1.57079632679489661923;
}
TQ_API double DThreeHalvesPi(void) {
    return 4.71238898038468985769;
}
TQ_API double DTwoPi(void) {
    return 6.28318530717958647692;
}
TQ_API double DTwo(void) {
    return 2.0;
}
// The short value callers have always used, not the full 180/pi.
TQ_API double DRad2Deg(void) {
    return 57.2957795;
}
TQ_API double DInfinity(void) {
    return Special().dInf;
}
TQ_API double DNegInfinity(void) {
    return Special().dNegInf;
}
TQ_API double DNaN(void) {
    return Special().dNaN;
}
TQ_API float SInfinity(void) {
    return Special().sInf;
}
TQ_API float SNegInfinity(void) {
    return Special().sNegInf;
}

TQ_API TQExtended EPi(void) {
    return tq::numerics::x87::kPi;
}
TQ_API TQExtended EHalfPi(void) {
    return tq::numerics::x87::kHalfPi;
}
TQ_API TQExtended ETwoPi(void) {
    return tq::numerics::x87::kTwoPi;
}
TQ_API TQExtended ERecipPi(void) {
    return 0xa.2f9836e4e44152ap-5L;
}
TQ_API TQExtended ELnOfPi(void) {
    return 0x9.28682473d0de85fp-3L;
}
TQ_API TQExtended EE(void) {
    return 0xa.df85458a2bb4a9bp-2L;
}
TQ_API TQExtended ERecipE(void) {
    return 0xb.c5ab1b16779be35p-5L;
}
TQ_API TQExtended Eln10(void) {
    return 0x9.35d8dddaaa8ac17p-2L;
}
TQ_API TQExtended ELnOfTwo(void) {
    return tq::numerics::x87::kLn2.hi;
}
TQ_API TQExtended ELogOfE(void) {
    return 0xd.e5bd8a937287195p-5L;
}
TQ_API TQExtended EOne(void) {
    return 1;
}
TQ_API TQExtended EZero(void) {
    return 0;
}
TQ_API TQExtended EInfinity(void) {
    return __builtin_infl();
}
TQ_API TQExtended ENegInfinity(void) {
    return -__builtin_infl();
}
TQ_API TQExtended ENaN(void) {
    return ExtNaN();
}
TQ_API TQExtended EEpsilon(void) {
    return 0x1p-52L;
}
TQ_API TQExtended EEpsilonSgl(void) {
    return 0x1p-23L;
}
TQ_API TQExtended EEpsilonExt(void) {
    return 0x1p-63L;
}
TQ_API TQExtended EMaxW(void) {
    return 32767;
}
TQ_API TQExtended EMaxL(void) {
    return 2147483647;
}
TQ_API TQExtended ESpeedLt(void) {
    return 299792458.0L;
}
TQ_API TQExtended EPlanck(void) {
    return 6.62607015e-34L;
}
TQ_API TQExtended EElemChg(void) {
    return 1.602176634e-19L;
}
TQ_API TQExtended EAvgdro(void) {
    return 6.02214076e23L;
}
TQ_API TQExtended EGravity(void) {
    return 6.6743e-11L;
}
TQ_API TQExtended EMlrGas(void) {
    return 8.314462618L;
}
TQ_API TQExtended ERydbrg(void) {
    return 10973731.56816L;
}

TQ_EXTERN_C_END
