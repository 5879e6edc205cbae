#include "tqcore/diagnostics.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

DebugStream::DebugStream(const char* file, int32 line, const char* revision, DebugOutputLevel level)
    : file_(file ? file : ""), line_(line), revision_(revision ? revision : ""), level_(level) {
    buffer_ = static_cast<char*>(std::malloc(kBufferSize));
    if (!buffer_) return;
    buffer_[0] = 0;
    pos_ = buffer_;
    end_ = buffer_ + kBufferSize - 1;
}

DebugStream::~DebugStream() {
    std::free(buffer_);
}

void DebugStream::Append(char c) {
    if (pos_ >= end_) return;
    *pos_++ = c;
    *pos_ = 0;
}

void DebugStream::Append(const char* text) {
    if (!text) return;
    Append(text, text + std::strlen(text));
}

void DebugStream::Append(const char* begin, const char* end) {
    if (!begin || !buffer_ || end <= begin) return;
    const size_t room = size_t(end_ - pos_);
    const size_t n = size_t(end - begin) < room ? size_t(end - begin) : room;
    std::memcpy(pos_, begin, n);
    pos_ += n;
    *pos_ = 0;
}

void DebugStream::Process() {
    if (!buffer_) return;
    DebugOutputCallHandler(file_, line_, revision_, level_, siteId_, buffer_);
    std::free(buffer_);
    buffer_ = pos_ = end_ = nullptr;
}

namespace {
template <class... A>
void AppendFormatted(DebugStream& s, const char* fmt, A... args) {
    char text[64];
    std::snprintf(text, sizeof text, fmt, args...);
    s.Append(text);
}
}  // namespace

void ToDebugStream(DebugStream& s, const char* text) {
    s.Append(text);
}
void ToDebugStream(DebugStream& s, uInt8 v) {
    AppendFormatted(s, "%u", unsigned(v));
}
void ToDebugStream(DebugStream& s, uInt16 v) {
    AppendFormatted(s, "%u", unsigned(v));
}
void ToDebugStream(DebugStream& s, uInt32 v) {
    AppendFormatted(s, "%u", unsigned(v));
}
void ToDebugStream(DebugStream& s, int16 v) {
    AppendFormatted(s, "%d", int(v));
}
void ToDebugStream(DebugStream& s, int32 v) {
    AppendFormatted(s, "%d", int(v));
}
void ToDebugStream(DebugStream& s, long long v) {
    AppendFormatted(s, "%lld", v);
}
void ToDebugStream(DebugStream& s, unsigned long long v) {
    AppendFormatted(s, "%llu", v);
}
void ToDebugStream(DebugStream& s, long v) {
    AppendFormatted(s, "%lld", static_cast<long long>(v));
}
void ToDebugStream(DebugStream& s, unsigned long v) {
    AppendFormatted(s, "%llu", static_cast<unsigned long long>(v));
}
void ToDebugStream(DebugStream& s, float v) {
    AppendFormatted(s, "%f", double(v));
}
void ToDebugStream(DebugStream& s, double v) {
    AppendFormatted(s, "%f", v);
}
void ToDebugStream(DebugStream& s, bool v) {
    s.Append(v ? "true" : "false");
}

void ToDebugStream(DebugStream& s, const LStr* v) {
    if (!v || v->cnt <= 0) return;
    const char* text = reinterpret_cast<const char*>(v->str);
    s.Append(text, text + v->cnt);
}

void ToDebugStream(DebugStream& s, LStrHandle v) {
    ToDebugStream(s, v ? static_cast<const LStr*>(*v) : nullptr);
}
