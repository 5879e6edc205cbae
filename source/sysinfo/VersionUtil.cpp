// Packed version numbers and their printed forms.
#include <cstring>

#include "tqcore/sysinfo.h"

namespace {

uInt32 Nibble(uInt32 version, int shift) {
    return (version >> shift) & 0xF;
}

char StageLetter(uInt32 stage, bool releaseLetter) {
    switch (stage) {
        case 2:
            return 'd';
        case 4:
            return 'a';
        case 6:
            return 'b';
        case 8:
            return releaseLetter ? 'r' : '\0';
        default:
            return '?';
    }
}

void AppendDigit(std::string& s, uInt32 digit) {
    // A field holding 10..15 is not a decimal digit; print its value rather than a stray character.
    s += std::to_string(digit);
}

void AppendBuild(std::string& s, uInt32 version) {
    const uInt32 hundreds = Nibble(version, 8), tens = Nibble(version, 4);
    if (hundreds) AppendDigit(s, hundreds);
    if (hundreds || tens) AppendDigit(s, tens);
    AppendDigit(s, Nibble(version, 0));
}

void AppendStageAndBuild(std::string& s, uInt32 version, bool releaseLetter) {
    const char letter = StageLetter(Nibble(version, 12), releaseLetter);
    if (!letter) return;
    s += letter;
    AppendBuild(s, version);
}

}  // namespace

std::string BuildVersStdStr(uInt32 version, VersionStringDetailLevel level) {
    std::string s;
    if (Nibble(version, 28)) AppendDigit(s, Nibble(version, 28));
    AppendDigit(s, Nibble(version, 24));
    s += '.';
    AppendDigit(s, Nibble(version, 20));
    const uInt32 fix = Nibble(version, 16);
    switch (level) {
        case kVersionMajorMinor:
            break;
        case kVersionMajorMinorFix:
            s += '.';
            AppendDigit(s, fix);
            break;
        case kVersionFull:
            s += '.';
            AppendDigit(s, fix);
            AppendStageAndBuild(s, version, true);
            break;
        default:
            if (fix) {
                s += '.';
                AppendDigit(s, fix);
            }
            AppendStageAndBuild(s, version, false);
            break;
    }
    return s;
}

int32 BuildVersionString(uInt32 version, VersionStringDetailLevel level, char* buffer, int32 bufferSize) {
    const std::string s = BuildVersStdStr(version, level);
    const int32 length = int32(s.size());
    if (buffer && bufferSize > 0) {
        std::memset(buffer, 0, size_t(bufferSize));
        if (bufferSize > length) std::memcpy(buffer, s.data(), s.size());
    }
    return length;
}

void BuildVersStr(uInt32 version, PStr pascalOut) {
    if (!pascalOut) return;
    const std::string s = BuildVersStdStr(version, kVersionDefault);
    pascalOut[0] = uChar(s.size());
    std::memcpy(pascalOut + 1, s.data(), s.size());
}
