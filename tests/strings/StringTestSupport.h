// Shared helpers for the string tests: captured reports, handle building and code-page scoping.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "support/ReportCapture.h"
#include "tqcore/core.h"
#include "tqcore/diagnostics.h"
#include "tqcore/memory.h"
#include "tqcore/strings.h"

namespace strtest {

// The reports captured so far in the running test.
inline std::vector<CapturedReport> Reports() {
    return ReportCapture::All();
}

// Installs the capturing handler and selects a code page for the test; restores both afterwards.
class StringTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(tq::platform::SetAnsiCodePage(1252)); }
    void TearDown() override {
        tq::platform::SetAnsiCodePage(1252);
        for (LStrHandle h : owned_) DSDisposeHandle(reinterpret_cast<UHandle>(h));
    }
    // A long-string handle the fixture disposes at the end.
    LStrHandle Make(const std::string& text) {
        LStrHandle h = nullptr;
        EXPECT_EQ(LStrFromPtr(&h, int32(text.size()), text.data()), kErrNone);
        if (!h) {
            h = reinterpret_cast<LStrHandle>(DSNewHandle(4));
            (*h)->cnt = 0;
        }
        owned_.push_back(h);
        return h;
    }
    std::vector<LStrHandle> owned_;

  private:
    ReportCapture capture_;
};

inline std::string Text(LStrHandle h) {
    return h && *h ? std::string(reinterpret_cast<const char*>((*h)->str), size_t((*h)->cnt)) : std::string();
}

inline std::string Text(ConstPStr p) {
    return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

// A Pascal string in a 256-byte buffer.
struct P {
    Str255 buf;
    explicit P(const std::string& s) {
        const size_t n = s.size() < 255 ? s.size() : 255;
        buf[0] = uChar(n);
        for (size_t i = 0; i < n; ++i) buf[i + 1] = uChar(s[i]);
    }
    operator PStr() { return buf; }
    operator ConstPStr() const { return buf; }
};

inline int64 BlockSize(LStrHandle h) {
    return DSGetHandleSize(reinterpret_cast<UHandle>(h));
}

inline int Sign(int32 v) {
    return (v > 0) - (v < 0);
}

using Strings = std::vector<std::string>;

// The elements of a packed Pascal-string list; none for a null list.
inline Strings Items(CPStrHandle h) {
    Strings out;
    for (int32 i = 0; h && *h && i < (*h)->cnt; ++i) out.push_back(Text(CPStrIndex(h, i)));
    return out;
}

// The text of a view of any storage.
inline std::string View(const PKSubString& s) {
    return s.Length() > 0 ? std::string(s.Data(), size_t(s.Length())) : std::string();
}

}  // namespace strtest
