// Resource files for tests, made by the library's own writer, and byte access to their images.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tqcore/core.h"
#include "tqcore/memory.h"
#include "tqcore/resources.h"

namespace restest {

using Bytes = std::vector<uInt8>;

struct Item {
    ResType type;
    int32 id;
    std::string data;
    std::string name;  // empty: unnamed
};

inline Bytes PStrOf(const std::string& s) {
    Bytes p(s.size() + 1);
    p[0] = uInt8(s.size());
    if (!s.empty()) std::memcpy(p.data() + 1, s.data(), s.size());
    return p;
}

inline Bytes HandleBytes(UHandle h) {
    return Bytes(*h, *h + DSGetHandleSize(h));
}

// An image holding the resources in the order given.
inline Bytes MakeImage(const std::vector<Item>& items, ResType type = TQFourCC("TEST"),
                       ResType creator = TQFourCC("tqcr")) {
    ResFile* f = nullptr;
    EXPECT_EQ(ResFileFactory::RCreateMemFile(&f, creator, type), kErrNone);
    for (const Item& s : items) {
        const Bytes name = PStrOf(s.name);
        EXPECT_EQ(f->RAddPtr(reinterpret_cast<const uInt8*>(s.data.data()), int32(s.data.size()), s.type,
                             s.id, s.name.empty() ? nullptr : name.data()),
                  kErrNone);
    }
    UHandle h = nullptr;
    EXPECT_EQ(f->RGetMemFileHandle(&h), kErrNone);
    Bytes image = h ? HandleBytes(h) : Bytes{};
    DSDisposeHandle(h);
    f->RCloseFile();
    delete f;
    return image;
}

inline uInt32 BE32(const Bytes& b, size_t at) {
    return uInt32(b[at]) << 24 | uInt32(b[at + 1]) << 16 | uInt32(b[at + 2]) << 8 | b[at + 3];
}
inline void SetBE32(Bytes& b, size_t at, uInt32 v) {
    b[at] = uInt8(v >> 24), b[at + 1] = uInt8(v >> 16), b[at + 2] = uInt8(v >> 8), b[at + 3] = uInt8(v);
}
inline uInt32 MapOffset(const Bytes& b) {
    return BE32(b, 16);
}

// Opens the image read-only over the vector's memory; the refnum is closed by the caller.
inline TqErr OpenImage(const Bytes& b, uInt32* refnum) {
    return ROpenUPtr(b.data(), b.size(), refnum, nullptr, nullptr);
}

// Opens a read-write copy of the image in a handle.
inline TqErr OpenCopy(const Bytes& b, uInt32* refnum, int32 permission = kResReadWrite) {
    UHandle h = nullptr;
    EXPECT_EQ(DSPtrToHand(b.data(), &h, b.size()), kErrNone);
    return ROpenUHandle(h, permission, refnum, nullptr, nullptr);
}

inline std::string Text(UHandle h) {
    return std::string(reinterpret_cast<const char*>(*h), size_t(DSGetHandleSize(h)));
}

}  // namespace restest

#include "tqcore/bindata.h"
#include "tqcore/paths.h"

namespace restest {

// A path's "PTH0" record, big-endian.
inline std::string FlatPath(const PathRef& p) {
    HandleOutputBuf out;
    uInt64 written = 0;
    EXPECT_EQ(p.Flatten(&out, kFlattenPTH0, &written, BigEndianizer()), kErrNone);
    UHandle h = out.GetHandle(1);
    std::string s = Text(h);
    DSDisposeHandle(h);
    return s;
}

inline std::string BE32Text(uInt32 v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// A string list: big-endian 16-bit count, then packed PStrs.
inline std::string StringList(const std::vector<std::string>& items) {
    std::string s{char(items.size() >> 8), char(items.size())};
    for (const auto& i : items) {
        s.push_back(char(i.size()));
        s.append(i);
    }
    return s;
}

// A path list: 32-bit count, then records padded to 4 bytes.
inline std::string PathList(const std::vector<std::string>& records) {
    std::string s = BE32Text(uInt32(records.size()));
    for (const auto& r : records) s += r + std::string((4 - r.size() % 4) % 4, '\0');
    return s;
}

}  // namespace restest
