// Readers of path text: each walks the items of one text in one format. Positions are byte indexes; an item
// is a (start, length) pair.
#pragma once

#include <string>

#include "tqcore/paths.h"

namespace WidePathFormat {

class PathFormatReader {
  public:
    struct Iterator {
        PathFormatReader* reader;
        int32 start;
        int32 length;
    };

    explicit PathFormatReader(const std::string& text) : text_(text), size_(int32(text.size())) {}
    virtual ~PathFormatReader() = default;
    virtual PathBase GetBase() = 0;
    virtual Iterator Begin();
    virtual void NextItem(int32& start, int32& length);
    virtual void FirstItem(int32& start, int32& length);
    virtual bool GetItem(int32 start, int32 length, std::string& out);
    virtual bool HasItem(int32 start, int32 length);
    virtual bool IsSeparatorAt(int32 i);
    virtual int32 NextCharIndex(int32 i);
    virtual int32 FirstItemStart();
    virtual int32 FindSeparator(int32 from);
    virtual bool Extract(int32 start, int32 length, std::string& out);

  protected:
    bool ByteAt(int32 i, char c) const { return i >= 0 && i < size_ && text_[size_t(i)] == c; }
    // The length of the item at start: up to the next separator or the end.
    int32 LengthFrom(int32 start);

    const std::string& text_;
    const int32 size_;
};

class PathFormatReaderDotted : public PathFormatReader {
  public:
    using PathFormatReader::PathFormatReader;
    virtual void SkipDotItems(int32& start, int32& length);
};

class PathFormatReaderMac : public PathFormatReader {
  public:
    using PathFormatReader::PathFormatReader;
    PathBase GetBase() override;
    bool IsSeparatorAt(int32 i) override;
};

class PathFormatReaderPlatformIndependent : public PathFormatReaderDotted {
  public:
    using PathFormatReaderDotted::PathFormatReaderDotted;
    PathBase GetBase() override;
    void FirstItem(int32& start, int32& length) override;
    void NextItem(int32& start, int32& length) override;
    bool GetItem(int32 start, int32 length, std::string& out) override;
    bool IsSeparatorAt(int32 i) override;

  protected:
    // Item 0 of a network path: server and share together.
    void FirstUNCItem(int32& start, int32& length);
};

class PathFormatReaderUnix : public PathFormatReaderDotted {
  public:
    using PathFormatReaderDotted::PathFormatReaderDotted;
    PathBase GetBase() override;
    void FirstItem(int32& start, int32& length) override;
    void NextItem(int32& start, int32& length) override;
    bool GetItem(int32 start, int32 length, std::string& out) override;
    bool IsSeparatorAt(int32 i) override;
    int32 NextCharIndex(int32 i) override;
};

class PathFormatReaderWin : public PathFormatReaderPlatformIndependent {
  public:
    explicit PathFormatReaderWin(const std::string& text);
    PathBase GetBase() override;
    void FirstItem(int32& start, int32& length) override;
    void NextItem(int32& start, int32& length) override;
    bool GetItem(int32 start, int32 length, std::string& out) override;
    bool IsSeparatorAt(int32 i) override;
    int32 FirstItemStart() override;
    virtual int32 FindColon(int32 from);

  private:
    PathBase DecideBase();

    PathBase base_ = kBaseRelative;
};

}  // namespace WidePathFormat

namespace tq::paths {

// Reads the items the reader finds into *out: 0, or the code of the failure (1 for a text that is no valid
// path).
TqErr ReadWith(WidePathFormat::PathFormatReader& reader, PathRef* out);

// Reads text in a named format into *out: 0, or the code of the failure (53 for an unknown format).
TqErr ReadPath(const std::string& text, const char* format, PathRef* out);

}  // namespace tq::paths
