// GUID text form: formatting and parsing, shared by both OS implementations.
#include <cstring>

#include "platform/Guid.h"

namespace tq::platform {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
// Offsets in the text where each of the 16 bytes starts, in field order (data1..data4).
constexpr int kByteAt[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};

// The 16 bytes in text order: data1..data3 as big-endian numbers, then data4.
void ToTextOrder(const PKGuidType& g, uInt8 (&b)[16]) {
    for (int i = 0; i < 4; ++i) b[i] = uInt8(g.data1 >> (24 - 8 * i));
    b[4] = uInt8(g.data2 >> 8);
    b[5] = uInt8(g.data2);
    b[6] = uInt8(g.data3 >> 8);
    b[7] = uInt8(g.data3);
    std::memcpy(b + 8, g.data4, 8);
}

void FromTextOrder(const uInt8 (&b)[16], PKGuidType& g) {
    g.data1 = uInt32(b[0]) << 24 | uInt32(b[1]) << 16 | uInt32(b[2]) << 8 | b[3];
    g.data2 = uInt16(b[4] << 8 | b[5]);
    g.data3 = uInt16(b[6] << 8 | b[7]);
    std::memcpy(g.data4, b + 8, 8);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsHyphenAt(int i) {
    return i == 8 || i == 13 || i == 18 || i == 23;
}

}  // namespace

void FormatGuidText(const PKGuidType& guid, char (&text)[kPKGuidTextSize]) {
    uInt8 b[16];
    ToTextOrder(guid, b);
    for (int i = 0; i < 36; ++i) text[i] = '-';
    for (int i = 0; i < 16; ++i) {
        text[kByteAt[i]] = kHexDigits[b[i] >> 4];
        text[kByteAt[i] + 1] = kHexDigits[b[i] & 15];
    }
    text[36] = '\0';
}

bool ParseGuidText(const char* text, PKGuidType& guid) {
    for (int i = 0; i < 36; ++i) {
        if (text[i] == '\0') return false;
        if (IsHyphenAt(i) ? text[i] != '-' : HexValue(text[i]) < 0) return false;
    }
    if (text[36] != '\0') return false;
    uInt8 b[16];
    for (int i = 0; i < 16; ++i)
        b[i] = uInt8(HexValue(text[kByteAt[i]]) << 4 | HexValue(text[kByteAt[i] + 1]));
    FromTextOrder(b, guid);
    return true;
}

}  // namespace tq::platform
