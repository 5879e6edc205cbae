#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Command.h"
#include "tqcore/strings.h"

namespace {

int Run(int argc, char** argv);

const tool::Command kNum = {
    "num",
    "render a number under a format code",
    "usage: tqcore num VALUE --code N [--type T] [--point C] [--exponent E]\n"
    "\n"
    "Renders VALUE with the library's number-to-text conversion.\n"
    "  --code N      the format code: 64..68 integer bases, -63..0 fixed, 1..63 scientific,\n"
    "                100..130 engineering, 131..162 SI prefix, below -64 polar complex\n"
    "  --type T      iB iW iL iQ uB uW uL uQ fS fD fX cS cD cX (default fD); complex values as RE,IM\n"
    "  --point C     the decimal-point character (default .)\n"
    "  --exponent E  the exponent in/out value for engineering and SI codes\n",
    Run,
};
const tool::CommandRegistrar kRegistrar(kNum);

int32 TypeCode(const char* t) {
    static const char* const kNames[] = {"iB", "iW", "iL", "iQ", "uB", "uW", "uL",
                                         "uQ", "fS", "fD", "fX", "cS", "cD", "cX"};
    for (int32 i = 0; i < 14; ++i)
        if (!std::strcmp(t, kNames[i])) return i + 1;
    return 0;
}

bool WholeNumber(const char* text, long long& v) {
    errno = 0;
    char* end;
    v = std::strtoll(text, &end, 0);
    if (errno == ERANGE) v = static_cast<long long>(std::strtoull(text, &end, 0)), errno = 0;
    return *text && !*end && !errno;
}

bool RealNumber(const char* text, const char* stop, long double& v) {
    char* end;
    v = std::strtold(text, &end);
    return end != text && *end == *stop;
}

// Stores VALUE as the bytes of the given type in `value` (big enough for a complex extended).
bool Encode(const char* text, int32 type, unsigned char* value) {
    long long i;
    long double re, im;
    if (type <= 8) {
        if (!WholeNumber(text, i)) return false;
        static const int kSizes[] = {0, 1, 2, 4, 8, 1, 2, 4, 8};
        std::memcpy(value, &i, size_t(kSizes[type]));  // little-endian: the low bytes
        return true;
    }
    const char* comma = std::strchr(text, ',');
    if (type >= 12) {
        if (!comma || !RealNumber(text, ",", re) || !RealNumber(comma + 1, "", im)) return false;
    } else if (!RealNumber(text, "", re)) {
        return false;
    }
    const int part = type >= 12 ? type - 3 : type;
    auto put = [&](long double x, unsigned char* at) {
        if (part == 9) {
            const float f = float(x);
            std::memcpy(at, &f, 4);
        } else if (part == 10) {
            const double d = double(x);
            std::memcpy(at, &d, 8);
        } else
            std::memcpy(at, &x, 10);
    };
    const int partSize = part == 9 ? 4 : (part == 10 ? 8 : 10);
    put(re, value);
    if (type >= 12) put(im, value + partSize);
    return true;
}

int Run(int argc, char** argv) {
    const char* value = nullptr;
    long long code = 1 << 20, exponent = 0;
    bool haveExponent = false;
    int32 type = 10;
    uChar point = '.';
    for (int i = 1; i < argc; ++i) {
        const bool more = i + 1 < argc;
        if (!std::strcmp(argv[i], "--code") && more) {
            if (!WholeNumber(argv[++i], code) || code < -32768 || code > 32767)
                return tool::UsageError(kNum, "the code is a 16-bit integer");
        } else if (!std::strcmp(argv[i], "--type") && more) {
            if (!(type = TypeCode(argv[++i]))) return tool::UsageError(kNum, "unknown type");
        } else if (!std::strcmp(argv[i], "--point") && more) {
            if (std::strlen(argv[++i]) != 1) return tool::UsageError(kNum, "the point is one character");
            point = uChar(argv[i][0]);
        } else if (!std::strcmp(argv[i], "--exponent") && more) {
            if (!WholeNumber(argv[++i], exponent))
                return tool::UsageError(kNum, "the exponent is an integer");
            haveExponent = true;
        } else if (!value &&
                   (argv[i][0] != '-' || argv[i][1] == 0 || std::strchr("0123456789.", argv[i][1]))) {
            value = argv[i];
        } else {
            return tool::UsageError(kNum, (std::string("unexpected argument ") + argv[i]).c_str());
        }
    }
    if (!value || code == 1 << 20) return tool::UsageError(kNum, "a value and --code are required");
    alignas(16) unsigned char bytes[32] = {};
    if (!Encode(value, type, bytes)) return tool::UsageError(kNum, "the value does not read as that type");
    const int16 code16 = int16(code);
    int32 exp32 = int32(exponent);
    uChar text[512];
    const int32 n =
        NumToAnyString(bytes, type, &code16, text, sizeof text, point, haveExponent ? &exp32 : nullptr);
    std::printf("%.*s\n", int(n), reinterpret_cast<char*>(text));
    if (haveExponent) std::printf("exponent %d\n", int(exp32));
    return 0;
}

}  // namespace
