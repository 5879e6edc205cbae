// The named text formats of paths and the writers that turn a path into text.
#pragma once

#include <string>

#include "tqcore/paths.h"

namespace tq::paths {

enum class ReaderKind { kWin, kUnix, kPlatformIndependent, kAgnostic };
enum class WriterKind { kWin, kUnix, kPlatformIndependent };

struct TextFormat {
    const char* name;
    WriterKind writer;
    ReaderKind reader;
    const char* cacheKey;
    bool commandLine;
};

// The format of a name, or null when there is none by that name.
const TextFormat* FindTextFormat(const char* name);

// The text of path in format; 0, or 1 for a path the format cannot write.
TqErr WritePath(const PathRef& path, const TextFormat& format, std::string* out);
// The same with items first..last written as one ellipsis (uncached).
TqErr WriteElidedPath(const PathRef& path, const TextFormat& format, int32 first, int32 last,
                      std::string* out);

}  // namespace tq::paths

// Writers: made per conversion; they hold only the flags of the path being written.
class PathTextFormat {
  public:
    virtual ~PathTextFormat() = default;
    virtual void BeginAbsolute(std::string& out, int32 count) = 0;
    virtual void BeginRelative(std::string& out, int32 count) = 0;
    virtual void BeginUNC(std::string& out, std::string& scratch, int32 count) = 0;
    virtual void AppendName(std::string& out, const std::string& name, int32 index) = 0;
    virtual void AppendSeparator(std::string& out) = 0;
    virtual void AppendEllipsis(std::string& out) { out += "..."; }
    virtual void AppendUpDir(std::string& out) { out += ".."; }
    virtual void End(std::string& out, int32 count) = 0;

  protected:
    bool absolute_ = false;
    bool unc_ = false;
};

class PathTextFormatWin : public PathTextFormat {
  public:
    void BeginAbsolute(std::string& out, int32 count) override;
    void BeginRelative(std::string& out, int32 count) override;
    void BeginUNC(std::string& out, std::string& scratch, int32 count) override;
    void AppendName(std::string& out, const std::string& name, int32 index) override;
    void AppendSeparator(std::string& out) override;
    void End(std::string& out, int32 count) override;
};

class PathTextFormatUNIX : public PathTextFormat {
  public:
    void BeginAbsolute(std::string& out, int32 count) override;
    void BeginRelative(std::string& out, int32 count) override;
    void BeginUNC(std::string& out, std::string& scratch, int32 count) override;
    void AppendName(std::string& out, const std::string& name, int32 index) override;
    void AppendSeparator(std::string& out) override;
    void End(std::string& out, int32 count) override;
};

class PathTextFormatPlatformIndependent : public PathTextFormatUNIX {
  public:
    void BeginAbsolute(std::string& out, int32 count) override;
    void BeginRelative(std::string& out, int32 count) override;
    void AppendName(std::string& out, const std::string& name, int32 index) override;
};
