// Shared by the binary-stream tests: byte vectors, handle accounting and the reports of a test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "memory/MemoryManager.h"
#include "support/ReportCapture.h"
#include "tqcore/bindata.h"
#include "tqcore/memory.h"

using Bytes = std::vector<uChar>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) b.push_back(uChar(v));
    return b;
}

inline Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The bytes written so far into a handle sink, read in place.
inline Bytes Written(HandleOutputBuf& buf) {
    UHandle h = buf.GetHandle(0);
    if (!h) return {};
    return Bytes(*h, *h + buf.GetBytesWritten());
}

inline LStrHandle MakeLStr(const std::string& s) {
    auto h = reinterpret_cast<LStrHandle>(AZNewHandle(sizeof(int32) + s.size()));
    (*h)->cnt = int32(s.size());
    if (!s.empty()) std::memcpy((*h)->str, s.data(), s.size());
    return h;
}

inline std::string LStrText(LStrHandle h) {
    return h ? std::string(reinterpret_cast<const char*>((*h)->str), size_t((*h)->cnt)) : std::string();
}

// Captures reports and checks that every handle a test made is gone again.
class StreamTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(tq::memory::LiveHandleCount(), live_); }
    static int FinalErrorReports(const std::string& text) {
        int n = 0;
        for (const auto& r : ReportCapture::All()) n += r.text == text;
        return n;
    }

    ReportCapture capture;
    int64 live_ = tq::memory::LiveHandleCount();
};
