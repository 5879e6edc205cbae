// Number text in both directions from arbitrary bytes: StringToPacked, StringToNum32/64 and NumToAnyString
// into exact-size buffers. Round trip: a scanned record rendered with all its digits scans back to itself;
// plain text reads as the general reader reads it, to the value the C library gives its digits.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "strings/DecimalDigits.h"
#include "tqcore/diagnostics.h"
#include "tqcore/strings.h"

namespace {

void Quiet(const char*, int32, const char*, DebugOutputLevel, uInt32, const char*) {}

void CheckPackedRoundTrip(const uint8_t* data, size_t size) {
    std::vector<uChar> text(data, data + size);  // exact size: no terminator to lean on
    PackedDecimalReal p;
    StringToPacked(text.data(), int32(text.size()), &p, ',');
    uChar rendered[64];
    const int16 digits = int16(p.count < 1 ? 1 : (p.count > 17 ? 17 : p.count));
    const int32 n = PackedToString(&p, digits, rendered, sizeof rendered, '.');
    if (p.count > 17 || uInt16(p.exponent) >= 0x7FFE || p.exponent <= -4915 || p.exponent > 4900) return;
    PackedDecimalReal again;
    if (!StringToPacked(rendered, n, &again, '.')) __builtin_trap();
    // Trailing zeros may move into the exponent; compare the values digit by digit.
    auto value = [](const PackedDecimalReal& r, char* out) {
        int32 n = 0;
        for (int32 i = r.count - 1; i >= 0; --i)
            out[n++] = char('0' + ((r.digits[i / 2] >> (i % 2 ? 4 : 0)) & 15));
        int32 e = r.exponent;
        while (n > 1 && out[n - 1] == '0') --n, ++e;
        out[n] = 0;
        return e;
    };
    char a[24], b[24];
    if (value(p, a) != value(again, b) || std::strcmp(a, b) != 0) __builtin_trap();
    if (std::strcmp(a, "0") != 0 && (again.sign != 0) != (p.sign != 0)) __builtin_trap();
}

// A well-formed text reads the same through the general reader (a blank after the sign sends it there), and
// its value is the correctly rounded one of the record's digits.
void CheckPackedPaths(const uint8_t* data, size_t size) {
    if (size == 0 || size > 200) return;
    const std::string text(reinterpret_cast<const char*>(data), size);
    PackedDecimalReal p;
    if (!StringToPacked(reinterpret_cast<const uChar*>(text.data()), int32(size), &p, ',')) return;
    const bool sign = text[0] == '-' || text[0] == '+';
    const size_t zeros = text.find_first_not_of('0');
    if (!sign && zeros != std::string::npos && (text[zeros] == '+' || text[zeros] == '-'))
        return;  // a sign after leading zeros is taken only before any sign
    const std::string general = (sign ? text.substr(0, 1) : "+") + " " + text.substr(sign ? 1 : 0);
    PackedDecimalReal q;
    if (!StringToPacked(reinterpret_cast<const uChar*>(general.data()), int32(general.size()), &q, ',') ||
        std::memcmp(&p, &q, sizeof p) != 0)
        __builtin_trap();
    if (uInt16(p.exponent) >= 0x7FFE) return;
    std::string decimal = p.sign ? "-" : "";
    for (int32 i = p.count - 1; i >= 0; --i)
        decimal += char('0' + ((p.digits[i / 2] >> (i % 2 ? 4 : 0)) & 15));
    decimal += "e" + std::to_string(p.exponent);
    const double ours = tq::strings::PackedToDouble(p), ref = std::strtod(decimal.c_str(), nullptr);
    if (std::memcmp(&ours, &ref, sizeof ours) != 0) __builtin_trap();
}

void CheckIntegers(const uint8_t* data, size_t size) {
    if (size < 3) return;
    std::vector<uChar> text(data + 3, data + size);
    const int32 type = 1 + data[0] % 8, base = 2 + data[1] % 35;
    const uChar* p = text.data();
    StringToNum32(&p, int32(text.size()), type, base, data[2] & 1);
    if (p < text.data() || p > text.data() + text.size()) __builtin_trap();
    p = text.data();
    StringToNum64(&p, int32(text.size()), type, base, data[2] & 2);
    if (p < text.data() || p > text.data() + text.size()) __builtin_trap();
}

void CheckRendering(const uint8_t* data, size_t size) {
    if (size < 36) return;
    alignas(16) uChar value[32];
    std::memcpy(value, data, 32);
    const int16 code = int16(data[32] | data[33] << 8);
    const int32 type = data[34] & 15;
    const int32 bufSize = 1 + data[35] % 80;
    std::vector<uChar> buf(static_cast<size_t>(bufSize));
    int32 exponent = int32(int8(data[35]));
    const int32 n =
        NumToAnyString(value, type, &code, buf.data(), bufSize, '.', data[34] & 16 ? &exponent : nullptr);
    if (n < 0 || n >= bufSize || buf[size_t(n)] != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DebugOutputSetHandler(Quiet);
    CheckPackedRoundTrip(data, size);
    CheckPackedPaths(data, size);
    CheckIntegers(data, size);
    CheckRendering(data, size);
    return 0;
}
