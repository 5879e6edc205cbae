#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Command.h"
#include "tqcore/strings.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kScan = {
    "scan",
    "read decimal text into a packed decimal and binary values",
    "usage: tqcore scan TEXT [--point C]\n"
    "\n"
    "Reads TEXT with the library's decimal scanner and prints the packed-decimal record\n"
    "(sign, up to 18 digits, exponent, digit count), whether the whole text was one number,\n"
    "and the nearest double and extended values.\n"
    "  --point C   the decimal-point character (default .)\n",
    Run,
};
const tool::CommandRegistrar kRegistrar(kScan);

std::string DigitsOf(const PackedDecimalReal& p) {
    std::string s;
    for (int i = p.count - 1; i >= 0; --i) s += char('0' + ((p.digits[i / 2] >> (i % 2 ? 4 : 0)) & 0xF));
    return s;
}

int Run(int argc, char** argv) {
    const char* text = nullptr;
    uChar point = '.';
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--point") && i + 1 < argc) {
            if (std::strlen(argv[++i]) != 1) return tool::UsageError(kScan, "the point is one character");
            point = uChar(argv[i][0]);
        } else if (!text) {
            text = argv[i];
        } else {
            return tool::UsageError(kScan, "one text only");
        }
    }
    if (!text) return tool::UsageError(kScan, "a text is required");
    PackedDecimalReal p;
    const Bool32 ok =
        StringToPacked(reinterpret_cast<const uChar*>(text), int32(std::strlen(text)), &p, point);
    std::printf("well-formed  %s\n", ok ? "yes" : "no");
    const uInt16 e = uInt16(p.exponent);
    if (e == 0x7FFF || e == 0x7FFE) {
        std::printf("value        %s%s\n", p.sign && e == 0x7FFF ? "-" : "", e == 0x7FFF ? "Inf" : "NaN");
        return 0;
    }
    const std::string digits = DigitsOf(p);
    std::printf("packed       sign %s, digits %s, exponent %d, count %d\n", p.sign ? "-" : "+",
                digits.c_str(), int(p.exponent), int(p.count));
    const std::string decimal = (p.sign ? "-" : "") + digits + "e" + std::to_string(p.exponent);
    double d = 0;
    const auto r = std::from_chars(decimal.data(), decimal.data() + decimal.size(), d);
    if (r.ec == std::errc::result_out_of_range) d = p.sign ? -HUGE_VAL : HUGE_VAL;
    unsigned long long bits;
    std::memcpy(&bits, &d, 8);
    std::printf("double       %.17g  (0x%016llX)\n", d, bits);
    const long double x = std::strtold(decimal.c_str(), nullptr);
    std::printf("extended     %.21Lg\n", x);
    uChar rendered[128];
    PackedToString(&p, int16(p.count > 17 ? 17 : p.count), rendered, sizeof rendered, point);
    std::printf("as text      %s\n", reinterpret_cast<char*>(rendered));
    return 0;
}

}  // namespace
