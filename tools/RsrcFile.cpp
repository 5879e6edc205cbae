#include "RsrcFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>

#include "FileText.h"
#include "tqcore/core.h"
#include "tqcore/diagnostics.h"
#include "tqcore/files.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"

namespace tool::rsrc {
namespace {

struct RuleName {
    bool header;
    int32 rule;
    const char* text;
};

constexpr RuleName kRules[] = {
    {true, 1, "the header is not recognised"},
    {true, 2, "the map offset lies past the end of the file"},
    {true, 3, "the map size does not fit the file (or is below the smallest map, 88 bytes)"},
    {true, 4, "the data offset is below 32 or past the end of the file"},
    {true, 5, "the data area does not fit the file or is not a multiple of 4"},
    {true, 6, "one of the map and data sizes is 0 and the other is not"},
    {true, 9, "the map ends past the end of the file"},
    {true, 10, "the map does not start right after the data area"},
    {false, 1, "the map's copy of the header is not recognised"},
    {false, 7, "the map's copy of the header disagrees with the header"},
    {false, 8, "the map attributes hold unknown bits"},
    {false, 11, "the type-list offset is out of range"},
    {false, 12, "the name-list offset is out of range or not a multiple of 4"},
    {false, 13, "the number of types does not fit the map"},
    {false, 14, "there is no room for reference entries"},
    {false, 15, "the reference area is not a whole number of 20-byte entries"},
    {false, 16, "a type's resource count is out of range"},
    {false, 17, "a reference-list offset is out of range or off an entry boundary"},
    {false, 18, "a reference entry belongs to two types"},
    {false, 19, "a resource's attributes hold unknown bits"},
    {false, 20, "a name offset lies outside the name list"},
    {false, 21, "a name is empty or runs past the name list"},
    {false, 22, "a data-block offset is out of range or not a multiple of 4"},
    {false, 23, "the type counts do not add up to the reference entries"},
    {false, 24, "a reference entry belongs to no type"},
};

// The library names a failed rule on its debug channel; the check listens while it opens.
std::mutex gHeardLock;
std::string gHeard;

void Listen(const char*, int32, const char*, DebugOutputLevel, uInt32, const char* message) {
    std::lock_guard<std::mutex> hold(gHeardLock);
    gHeard += message ? message : "";
    gHeard += '\n';
}

// The number after marker in text, or 0.
int32 NumberAfter(const std::string& text, const std::string& marker) {
    const size_t at = text.find(marker);
    return at == std::string::npos ? 0 : int32(std::atoi(text.c_str() + at + marker.size()));
}

// Reads every resource of every type.
TqErr ReadAll(uInt32 ref, std::string* detail) {
    int32 types = 0;
    if (const TqErr e = RCountTypes(ref, &types)) return e;
    for (int32 t = 1; t <= types; ++t) {
        ResType type = 0;
        int32 count = 0;
        if (const TqErr e = RGetIndType(ref, &type, t)) return e;
        if (const TqErr e = RCount(ref, type, &count)) return e;
        for (int32 i = 1; i <= count; ++i) {
            UHandle h = nullptr;
            if (const TqErr e = RGetInd(ref, type, i, &h)) {
                *detail = "resource " + std::to_string(i) + " of type " +
                          std::string(reinterpret_cast<char*>(&type), 4) + " cannot be read";
                return e;
            }
            RRelease(h);
        }
    }
    return kErrNone;
}

}  // namespace

bool ReadWhole(const std::string& path, Bytes* out, std::string* why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *why = "cannot open " + path;
        return false;
    }
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *why = "cannot read " + path;
        return false;
    }
    return true;
}

const char* RuleText(bool header, int32 rule) {
    for (const RuleName& r : kRules)
        if (r.header == header && r.rule == rule) return r.text;
    return "unknown rule";
}

Check CheckBytes(const Bytes& bytes) {
    Check c;
    {
        std::lock_guard<std::mutex> hold(gHeardLock);
        gHeard.clear();
    }
    const DebugOutputHandler previous = DebugOutputGetHandler();
    DebugOutputSetHandler(&Listen);
    uInt32 ref = 0;
    c.code = ROpenUPtr(bytes.data(), bytes.size(), &ref, nullptr, nullptr);
    if (!c.code) {
        c.code = ReadAll(ref, &c.detail);
        RCloseFile(ref);
    }
    DebugOutputSetHandler(previous);
    std::lock_guard<std::mutex> hold(gHeardLock);
    if ((c.rule = NumberAfter(gHeard, "header validationErr="))) {
        c.header = true;
    } else {
        c.rule = NumberAfter(gHeard, "map validation failure ");
    }
    if (c.rule) c.detail = RuleText(c.header, c.rule);
    if (c.code == kErrResourceFile && c.detail.empty()) c.detail = "not a resource file";
    if (c.code == kErrResFileVersion) c.detail = "a format version this library cannot read";
    if (c.code == kErrEndOfFile && c.detail.empty()) c.detail = "the file is shorter than its header";
    return c;
}

namespace {

// Writes the copy through the library's file manager and flushes it to the device. A test stops the program
// halfway through, with the copy half written.
bool WriteCopy(const std::string& copy, const Bytes& bytes, std::string* why) {
    PathRef p;
    try {
        p = PathRef(std::filesystem::absolute(copy).string(), tool::NativePathFormat());
    } catch (const std::exception&) {
        *why = "cannot name " + copy;
        return false;
    }
    File fd = 0;
    TqErr e = FCreateAlways(&fd, &p, 0644, kOpenReadWrite, kDenyReadWrite, nullptr);
    if (e) {
        *why = "cannot create " + copy + ": error " + std::to_string(e);
        return false;
    }
    const bool stop = std::getenv("TQCORE_RSRC_STOP_MID_WRITE") != nullptr;
    const size_t half = bytes.size() / 2;
    int32 done = 0;
    e = FMWrite(fd, int32(stop ? half : bytes.size()), &done, const_cast<uInt8*>(bytes.data()));
    if (!e && stop) std::_Exit(9);
    if (!e) e = FFlush(fd);
    const TqErr closed = FMClose(fd);
    if (e || closed) {
        *why = "cannot write " + copy + ": error " + std::to_string(e ? e : closed);
        return false;
    }
    return true;
}

}  // namespace

bool ReplaceSafely(const std::string& path, const Bytes& bytes, std::string* why) {
    const std::string copy = path + ".tqcore-edit";
    if (bytes.size() > size_t(INT32_MAX)) {
        *why = "the file would be larger than 2 GiB";
        return false;
    }
    Bytes back;
    if (!WriteCopy(copy, bytes, why) || !ReadWhole(copy, &back, why) || back != bytes ||
        CheckBytes(back).code) {
        if (why->empty()) *why = "the copy did not read back as written";
        std::error_code ignored;
        std::filesystem::remove(copy, ignored);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(copy, path, ec);
    if (ec) {
        *why = "cannot replace " + path + ": " + ec.message();
        std::filesystem::remove(copy, ec);
        return false;
    }
    return true;
}

uInt32 OpenForEdit(const Bytes& bytes, TqErr* code) {
    UHandle h = nullptr;
    if ((*code = DSPtrToHand(bytes.data(), &h, bytes.size()))) return 0;
    uInt32 ref = 0;
    *code = ROpenUHandle(h, kResReadWrite, &ref, nullptr, nullptr);
    return *code ? 0 : ref;
}

bool Image(uInt32 refnum, Bytes* out, TqErr* code) {
    UHandle h = nullptr;
    if ((*code = RGetMemFileHandle(refnum, &h))) return false;
    out->assign(*h, *h + DSGetHandleSize(h));
    DSDisposeHandle(h);
    return true;
}

}  // namespace tool::rsrc
