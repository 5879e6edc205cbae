// The x87 unit is the same on every OS of this processor family; only the rounding-mode calls differ.
#include "platform/FloatingPoint.h"

namespace tq::platform {

void X87Reset(uInt16 controlWord) {
    asm volatile("fninit\n\tfldcw %0" : : "m"(controlWord));
}

uInt16 X87ControlWord() {
    uInt16 cw = 0;
    asm volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

void X87SetControlWord(uInt16 controlWord) {
    asm volatile("fldcw %0" : : "m"(controlWord));
}

uInt16 X87StatusWord() {
    uInt16 sw = 0;
    asm volatile("fnstsw %0" : "=m"(sw));
    return sw;
}

uInt16 X87SaveRestore() {
    // 108-byte protected-mode image; the tag word sits at byte 8.
    alignas(16) uInt8 image[108] = {};
    asm volatile("fnsave %0\n\tfrstor %0" : "+m"(image));
    return uInt16(image[8] | image[9] << 8);
}

}  // namespace tq::platform
