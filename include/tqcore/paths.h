// tqcore/paths.h - the interned path tree, PathRef and the text forms of paths.
// PathRef values are not locked: use one value from one thread at a time; values sharing elements may be used
// from any number of threads.
#pragma once

#include "tqcore/files.h"
#include "tqcore/types.h"

#ifdef __cplusplus
class PathRef;
#else
typedef struct PathRef PathRef;
#endif
// The plain functions' path: a heap-allocated PathRef.
typedef PathRef* Path;

// Path type codes of the plain functions.
enum { kAbsPath = 0, kRelPath = 1, kNotAPath = 2, kUNCPath = 3 };

TQ_EXTERN_C_BEGIN
// The path manager's service (one of the base services), for hosts that build a registry of their own;
// created on first call, no lock taken.
TQ_API IServiceObject* PathManagerService(void);

TQ_API int32 FIsAPath(Path p);
TQ_API int32 FIsAPathOrNotAPath(Path p);
TQ_API int32 FIsSanePath(Path p);
TQ_API int32 FStrFitsPat(UPtr pattern, UPtr str, int32 patLen, int32 strLen);
TQ_API ConstPStr FGetNotAPathString(void);
TQ_API void FSetNotAPathString(ConstPStr s);
TQ_API ConstPStr FGetPathTooLongString(void);
TQ_API void FSetPathTooLongString(ConstPStr s);

// Text in the system code page; display text is the "pathref_display" format.
TQ_API TqErr FTextToPath(UPtr text, int32 len, Path* p);
TQ_API TqErr FFileSystemCStrToPath(ConstCStr text, Path* p);
TQ_API TqErr FStringToPath(LStrHandle text, Path* p);
TQ_API TqErr FFileSystemStringToPath(LStrHandle text, Path* p);
TQ_API TqErr FPathToText(Path p, LStrPtr buf);
TQ_API TqErr FPathToDSString(Path p, LStrHandle* h);
TQ_API TqErr FPathToAZString(Path p, LStrHandle* h);
TQ_API TqErr FPathToFileSystemDSString(Path p, LStrHandle* h);
TQ_API UHandle PathToCString(Path p);
TQ_API UHandle PathToCStringEx(Path p);
TQ_API TqErr FPathToMaxCString(Path p, UPtr* s);
TQ_API TqErr FPathToUnixString(Path p, LStrHandle* h);
TQ_API TqErr FPathToStringRTF(Path p, LStrHandle* h);
TQ_API TqErr ConvertPathToPlatformIndependentText(Path p, LStrHandle* h);
TQ_API TqErr ConvertPlatformIndependentTextToPath(Path* p, LStrHandle text);
TQ_API TqErr FPathToURL(Path p, LStrHandle* url);

// Flattened paths; the plain functions without an endianizer use big-endian records.
// Into buf, which the caller sized; with a null buf only the size. Returns the bytes.
TQ_API int32 FFlattenPath(Path p, UPtr buf);
// The bytes consumed, or 0 on failure.
TQ_API int32 FUnFlattenPath(UPtr buf, Path* p);
// The path's memory estimate (not its flattened size).
TQ_API uInt64 FGetPathStorageSize(Path p);
TQ_API void TQSetSaveForPrevVersion(uInt32 v);
TQ_API void TQClearSaveForPrevVersion(void);

// Making, editing and inspecting Path values. Functions that produce a Path assign into the one passed when
// it is non-null and otherwise return a new one, which the caller disposes with FDestroyPath.
// FMakePath: type code 0..3, then PStr names ending with a null pointer.
TQ_API Path FMakePath(Path p, int32 type, ...);
TQ_API Path FEmptyPath(Path p);
TQ_API Path FNotAPath(Path p);
TQ_API TqErr FDestroyPath(Path* pp);
TQ_API TqErr FDisposePath(Path p);
TQ_API TqErr FPathCpy(Path dst, Path src);
TQ_API TqErr FPathToPath(Path* pp);
TQ_API TqErr FAppendName(Path p, ConstPStr name);
TQ_API TqErr FAddPath(Path base, Path rel, Path out);
TQ_API TqErr FRelPath(Path from, Path to, Path out);
TQ_API TqErr FCommonPath(Path a, Path b, Path out);
TQ_API TqErr FDirName(Path p, Path out);
TQ_API TqErr FName(Path p, UHandle h);
TQ_API TqErr FNamePtr(Path p, PStr out);
TQ_API TqErr FPathComponent(Path p, int32 i, PStr out);
TQ_API PStr PathCopyElt(Path p, int32 i, PStr out);
TQ_API PStr PathCopyName(Path p, PStr out);
TQ_API TqErr PathReplaceElt(Path p, ConstPStr name, int32 i);
TQ_API int32 FDepth(Path p);
TQ_API int32 PathCnt(Path p);
TQ_API int32 FIsAbsPath(Path p);
TQ_API int32 FIsEmptyPath(Path p);
TQ_API int32 FIsCDUp(Path p);
TQ_API int32 FIsAPathOfType(Path p, int32 type);
TQ_API TqErr FGetPathType(Path p, int32* type);
TQ_API int32 PathType(Path p);
TQ_API TqErr FSetPathType(Path p, int32 type);
TQ_API int32 FPathCmp(Path a, Path b);
TQ_API int32 FPathCmpExact(Path a, Path b);
TQ_API int32 FPathCmpLexical(Path a, Path b);
TQ_API int32 FPathEqual(Path a, Path b);
TQ_API int32 FPathMatchingTailCount(Path a, Path b);
TQ_API TqErr FNormalizePath(Path p);
TQ_API TqErr FShrinkPath(Path p);
TQ_API uInt64 PathSize(Path p);
TQ_API int32 FileNameEqual(ConstPStr a, ConstPStr b);
TQ_API int32 FileNameNEqual(ConstCStr a, ConstCStr b, int32 n);
TQ_API int32 FileNameCStrEqual(ConstCStr a, ConstCStr b);
TQ_API TqErr FGetFileExtension(ConstCStr name, CStr ext);

// The operating system's standard folders.
typedef int32 SystemDirType;
enum {
    kUserHomeDir = 0,
    kUserDesktopDir = 1,
    kUserDocumentsDir = 2,
    kUserApplicationDataDir = 3,
    kUserPreferencesDir = 4,
    kUserTemporaryDir = 5,
    kPublicDocumentsDir = 6,
    kPublicApplicationDataDir = 7,
    kPublicPreferencesDir = 8,
    kSystemCoreLibrariesDir = 9,
    kSystemInstalledLibrariesDir = 10,
    kApplicationFilesDir = 11,
    kBootVolumeRootDir = 12,
    kPublicCacheDir = 13,
};
// The folder into out (nonzero create: made when missing); the empty absolute path when the system has none.
TQ_API TqErr GetSystemDir(SystemDirType type, int32 create, Path out);
// The application's file name, its folder, and the name as a C string of at most size bytes.
TQ_API TqErr FAppName(Path p);
TQ_API TqErr FAppPath(Path p);
TQ_API TqErr FAppCStr(CStr buf, int32 size);
// The volume of p into out.
TQ_API TqErr FVolName(Path p, Path out);
TQ_EXTERN_C_END

#ifdef __cplusplus
#include <list>
#include <string>
#include <vector>

class PathItemElement;
class DebugStream;
class AbbreviationStyle;
class MeasurementStyle;

// The flattened form's record kinds and the stream classes it is written through (bindata.h).
class Endianizer;
class InputBuf;
class OutputBuf;
// 0 "PTH0"; 1 "PTH1" (read only); 2 "PTH2", or "PTH1" when saving for a previous version.
enum FlattenFormat : int32 { kFlattenPTH0 = 0, kFlattenPTH1 = 1, kFlattenPTH2 = 2 };

enum PathBase : int32 {
    kBaseAbsolute = 0,
    kBaseRelative = 1,
    kBaseUNC = 2,
    kBaseNotAPath = 3,
    kBaseNull = 4,
};

enum ComparePolicy : int32 {
    kCompareDefault = 0,
    kCompareExact = 1,
    kCompareIgnoreCase = 2,
    kCompareLexical = 3,
};

// 0 visits items from item 0 upwards, nonzero from the last item downwards.
typedef int32 SplitDirection;
enum : SplitDirection { kSplitForward = 0, kSplitBackward = 1 };

// What SplitOn does at a visited item: continue, or split there (dropping the item, keeping it in the head,
// or keeping it in the tail).
enum : int32 { kSplitContinue = 0, kSplitDropItem = 1, kSplitItemToHead = 2, kSplitItemToTail = 3 };

class TQ_API SplitCriteria {
  public:
    virtual ~SplitCriteria();
    // visit counts 0, 1, 2... in visiting order; item is the visited item's element.
    virtual int32 Test(const PathRef& path, int32 visit, const PathItemElement* item) const = 0;
};

struct ExtensionListEntry {
    _FMFileType type;
    char extension[8];  // NUL-terminated, without the dot
};

struct ExtensionList {
    int32 count;
    ExtensionListEntry entries[1];  // count entries
};

class TQ_API PathRef {
  public:
    typedef std::string StringType;

    explicit PathRef(PathBase base = kBaseNotAPath);
    explicit PathRef(const PathRef* other);
    PathRef(const std::string& text, const char* format);
    PathRef(const PathRef& other);
    PathRef& operator=(const PathRef& other);
    ~PathRef();

    // Starts and stops the process-wide tree (the path manager service calls these).
    static TqErr Init();
    static void UnInit();
    static const PathRef& NotAPath();

    int32 ItemCount() const;
    const std::string& ItemAt(int32 i) const;
    int32 CopyItemAt(int32 i, std::string* out) const;
    std::string Name() const;
    int32 CountUpDir() const;

    void Append(const char* name);
    void Append(const std::string& name);
    void AppendUpDir();
    void Append(const PathRef& relative);
    void Replace(int32 i, const std::string& name);
    void Replace(int32 i, const char* name);
    PathRef GetParentDirectory() const;

    bool Equals(const PathRef& other, ComparePolicy policy = kCompareDefault) const;
    int32 Compare(const PathRef& other, ComparePolicy policy = kCompareDefault) const;
    bool StartsWith(const PathRef& other, ComparePolicy policy = kCompareDefault) const;
    bool StartsWith(PathBase base) const;
    bool IsParentDirectoryOf(const PathRef& other, ComparePolicy policy = kCompareDefault) const;
    PathRef GetInCommonWith(const PathRef& other, ComparePolicy policy = kCompareDefault) const;
    PathRef GetRelativePathFromThisToThat(const PathRef& that, ComparePolicy policy = kCompareDefault) const;
    bool Rebase(const PathRef& oldBase, const PathRef& newBase, ComparePolicy policy = kCompareDefault);
    bool SplitOn(const SplitCriteria& criteria, PathRef* head, PathRef* tail, SplitDirection direction) const;

    bool IsValid() const;
    bool IsSane(bool report) const;

    const std::string& Extension() const;
    std::string GetExtension() const;
    int32 CopyExtension(std::string* out) const;
    void AppendExtension(const std::string& extension);
    void AppendExtension(_FMFileType type);
    void RemoveExtension();

    static int32 NameCompare(const std::string& a, const std::string& b, ComparePolicy policy);
    static bool NameEquals(const std::string& a, const std::string& b, ComparePolicy policy);
    static bool NameEquals(const char* a, int32 lengthA, const char* b, int32 lengthB, ComparePolicy policy);
    static std::string NameGetExtension(const std::string& name);
    static _FMFileType NameGetExtensionType(const std::string& name);
    static bool NameHasExtension(const std::string& name, _FMFileType type);
    static std::string NameAppendExtension(const std::string& name, const std::string& extension);
    static std::string NameAppendExtension(const std::string& name, _FMFileType type);
    static std::string NameRemoveExtension(const std::string& name);
    static bool NameWildCardMatch(const std::string& name, const std::string& pattern);
    static void SetExtensionList(const ExtensionList* primary, const ExtensionList* secondary);

    uInt64 MemorySize() const;
    int32 ConvertToPath(PathRef** out) const;
    static int32 DisposePath(PathRef*& p);

    // Text forms.
    static const char* StringDisplay();
    static const char* StringCommandLine();
    static const char* StringDOS();
    static const char* StringUnix();
    static const char* StringPlatformIndependent();
    static const char* StringPlatformAgnostic();
    const std::string& ToString(const char* format) const;
    TqErr ConvertToString(std::string* out, const char* format) const;
    static const std::string& GetNotAPathString();
    static void SetNotAPathString(const std::string& s);
    static const std::string& GetPathTooLongString();
    static void SetPathTooLongString(const std::string& s);

    // The element holding the last item (null for NotAPath).
    const PathItemElement* Element() const { return element_; }

    // ---- Flattened form (PathFlatten.cpp).
    // Reads one record; throws PKExcept on failure.
    PathRef(InputBuf* in, const Endianizer* e);
    // 8 + L bytes for formats 0, 1 and 2; 0 for another format or a path that cannot be flattened.
    uInt64 FlattenedSize(FlattenFormat f) const;
    // Writes one record; *written (when given) counts the bytes written, also after a failure.
    TqErr Flatten(OutputBuf* out, FlattenFormat f, uInt64* written, const Endianizer* e) const;
    // "utf8" and "sysenc" turn UTF-8 records always on and off, "debug" and "nodebug" the debug mode;
    // anything else is ignored.
    static void Setting(const char* keyword);
    // ---- End of the flattened form.

    // ---- Caches, standard locations and the element pool.
    // 0: the cached value depends on the file's metadata (a flush drops it); 1: it does not.
    enum RelationToMetaData : int32 { kDependsOnMetaData = 0, kIndependentOfMetaData = 1 };
    // Where GetCachedProxy looks: the element then its ancestors, the element alone, the element then its
    // descendants.
    enum SearchDirection : int32 { kSearchUp = 0, kSearchHere = 1, kSearchDown = 2 };
    // 0: only report; 1: also free empty storage buffers; 2: also report leaked elements and drop leftovers.
    typedef int32 OptimizationMethod;
    enum SizeType : int32 { kPhysicalSize = 0, kLogicalSize = 1 };

    // A value cached on an element, with an expiry on the millisecond clock.
    class TQ_API CachedItem {
      public:
        CachedItem(uInt32 lifetimeMs, RelationToMetaData relation);
        virtual bool IsA(const char* className) const;
        virtual ~CachedItem();
        virtual bool Expired() const;
        virtual bool Invalidate() const;
        virtual void Reset(uInt32 lifetimeMs);
        virtual uInt64 Size() const;
        virtual uInt32 Rotten() const;
        virtual void Reserved();
        static const char* ClassName();

      protected:
        uInt32 expiry_;
        int32 invalidateOnFlush_;
    };

    class TQ_API CachedBool : public CachedItem {
      public:
        CachedBool(uInt32 lifetimeMs, bool value, RelationToMetaData relation);
        bool IsA(const char* className) const override;
        uInt64 Size() const override;
        void ResetBool(uInt32 lifetimeMs, bool value);
        bool Value() const { return value_; }
        static const char* ClassName();

      private:
        bool value_;
    };

    class TQ_API CachedInt32 : public CachedItem {
      public:
        CachedInt32(uInt32 lifetimeMs, int32 value, RelationToMetaData relation);
        bool IsA(const char* className) const override;
        uInt64 Size() const override;
        void ResetInt32(uInt32 lifetimeMs, int32 value);
        int32 Value() const { return value_; }
        static const char* ClassName();

      private:
        int32 value_;
    };

    class TQ_API CachedPath : public CachedItem {
      public:
        CachedPath(uInt32 lifetimeMs, const PathRef& value, RelationToMetaData relation);
        CachedPath(const CachedPath&) = delete;
        CachedPath& operator=(const CachedPath&) = delete;
        ~CachedPath() override;
        bool IsA(const char* className) const override;
        uInt64 Size() const override;
        void ResetPath(uInt32 lifetimeMs, const PathRef& value);
        const PathRef& Value() const { return *value_; }
        static const char* ClassName();

      private:
        PathRef* value_;
    };

    class TQ_API CachedPathString : public CachedItem {
      public:
        CachedPathString(uInt32 lifetimeMs, const std::string& value, RelationToMetaData relation);
        bool IsA(const char* className) const override;
        uInt64 Size() const override;
        void ResetString(uInt32 lifetimeMs, const std::string& value);
        const std::string& Value() const { return value_; }
        static const char* ClassName();

      private:
        std::string value_;
    };

    // Stores item under key on this path's element, replacing (and deleting) an older one; the element owns
    // it from then on (also on failure). 1 for NotAPath.
    TqErr Cache(const char* key, CachedItem* item) const;
    // Drops the items that depend on metadata or have expired; the bytes reclaimed.
    uInt64 FlushCache();
    // Walks the element pool; the bytes reclaimed.
    static uInt64 GarbageCollect(OptimizationMethod m);

    // Standard locations: names the host registers for well-known paths.
    explicit PathRef(const char* standardLocationName);
    // 1 when the name is already registered.
    TqErr AssignToName(const char* name);
    static const char* ApplicationPath();
    static const char* TempDir();
    static const char* PreferenceDir();
    static const char* DocumentsDir();

    // One display string per path, in list order, as the style shortens them; 1 for a null out.
    static TqErr ToAbbreviatedDisplayStrings(const std::list<PathRef>& paths, std::vector<std::string>* out,
                                             const AbbreviationStyle& style, const MeasurementStyle& measure);
    // ---- End of caches.

    // ---- The file system, through the file manager. Members that return a code return the file manager's;
    // the others throw it. A fresh "FExists" cache entry saying the path is missing answers Size,
    // DirectoryItemCount, IsAShortcut and MakeWriteable without asking the file system.
    bool IsAShortcut() const;
    // Seconds since 1904.
    uInt32 ModificationDate() const;
    // A file's length; only kLogicalSize is supported.
    uInt64 Size(SizeType t) const;
    // A folder's number of entries.
    uInt64 DirectoryItemCount() const;
    PathRef Volume() const;
    double VolumeSize() const;
    double VolumeFree() const;
    TqErr DisconnectVolume() const;
    // Nonzero resolve: the source's shortcuts are resolved first.
    TqErr CopyFileTo(const PathRef& destination, int32 resolve) const;
    TqErr MoveFileTo(const PathRef& destination, int32 resolve) const;
    // Nonzero resolve: the target of the path's shortcuts is removed, then the path itself.
    TqErr RemoveFile(int32 resolve);
    // 1: only the parent is resolved; anything else: the whole path.
    PathRef ResolveShortcuts(int32 mode) const;
    PathRef GetLongNames() const;
    // Each item spelt as on disk; the answers are cached for the given seconds.
    PathRef GetCorrectedCase(double seconds) const;
    // 0: adds the write bits a file lacks; 1 is not supported (53).
    TqErr MakeWriteable(int32 depth) const;
    // Appends prefix, a random number, suffix and "." extension (when given), choosing a name that does not
    // exist yet.
    void AppendTemporaryName(const std::string& extension, const std::string& prefix,
                             const std::string& suffix);
    // ---- End of the file system.

  private:
    friend class PathRefAccess;
    // A path over element, taking one retain of its own.
    struct Retaining {};
    PathRef(PathItemElement* element, Retaining);
    void Adopt(PathItemElement* element);
    void SetNotAPath();
    [[noreturn]] void Fail(TqErr code, const char* message, int32 line);
    void AppendName(const char* name, size_t length, const char* where);
    std::string& Buffer() const;
    // The fresh item under key whose class answers className, looked up in direction; null when none.
    const CachedItem* GetCachedProxy(const char* key, const char* className, SearchDirection direction,
                                     PathItemElement** foundAt) const;

    PathItemElement* element_ = nullptr;
    mutable std::string* text_ = nullptr;
};

// Flattened paths through the stream classes.
// Bytes written (those before a failure), or with a null out the bytes it would write; a null p writes the
// 12-byte null record. 0 when the path cannot be flattened at all.
TQ_API uInt32 FFlattenPath2(const PathRef* p, OutputBuf* out, const Endianizer* e);
// 0, or the reading code. A null record leaves a null *p null (0) and a set *p alone (1).
TQ_API TqErr FUnFlattenPath2(InputBuf* in, PathRef** p, const Endianizer* e);
// The bytes consumed from the size bytes at data, or size + 1 on failure.
TQ_API int32 FUnFlattenPath2(UPtr data, PathRef** p, int32 size);
// Whether a display string fits where it is to be shown.
class TQ_API MeasurementStyle {
  public:
    virtual ~MeasurementStyle();
    virtual bool StringIsTooLong(const std::string& text) const = 0;
};

// Too long: more characters (a double-byte character counts once) than the limit.
class TQ_API CharCountMeasurementStyle : public MeasurementStyle {
  public:
    explicit CharCountMeasurementStyle(uInt32 limit) : limit_(limit) {}
    bool StringIsTooLong(const std::string& text) const override;
    uInt32 Limit() const { return limit_; }

  private:
    uInt32 limit_;
};

class TQ_API AbbreviationStyle {
  public:
    virtual ~AbbreviationStyle();
    // Appends one string per path to out; throws PKExcept when a path has no display text.
    virtual TqErr PerformAbbreviation(const std::list<PathRef>& paths, std::vector<std::string>* out,
                                      const MeasurementStyle& measure) const = 0;
    bool GetForceFullPathStrings() const { return forceFullPathStrings_; }
    void SetForceFullPathStrings(bool force) { forceFullPathStrings_ = force; }

  private:
    bool forceFullPathStrings_ = false;
};

// Keeps the end of each path: the name alone while the names tell the paths apart, else the full text with
// items elided from the front.
class TQ_API TrimFromFrontAbbreviationStyle : public AbbreviationStyle {
  public:
    TqErr PerformAbbreviation(const std::list<PathRef>& paths, std::vector<std::string>* out,
                              const MeasurementStyle& measure) const override;
};

// The operating system's standard folders as paths; the empty absolute path when the system has none.
// Each asks the system afresh. With create, a missing folder is made.
class TQ_API SystemDirs {
  public:
    // Throws 1 for an unknown type, 42 when the temporary folder cannot be had.
    static PathRef Get(SystemDirType type, bool create);
    static PathRef GetUserHomeDir(bool create) { return Get(kUserHomeDir, create); }
    static PathRef GetUserDesktopDir(bool create) { return Get(kUserDesktopDir, create); }
    static PathRef GetUserDocumentsDir(bool create) { return Get(kUserDocumentsDir, create); }
    static PathRef GetUserApplicationDataDir(bool create) { return Get(kUserApplicationDataDir, create); }
    static PathRef GetUserPreferencesDir(bool create) { return Get(kUserPreferencesDir, create); }
    static PathRef GetUserTemporaryDir(bool create) { return Get(kUserTemporaryDir, create); }
    static PathRef GetPublicDocumentsDir(bool create) { return Get(kPublicDocumentsDir, create); }
    static PathRef GetPublicApplicationDataDir(bool create) { return Get(kPublicApplicationDataDir, create); }
    static PathRef GetPublicPreferencesDir(bool create) { return Get(kPublicPreferencesDir, create); }
    static PathRef GetSystemCoreLibrariesDir(bool create) { return Get(kSystemCoreLibrariesDir, create); }
    static PathRef GetSystemInstalledLibrariesDir(bool create) {
        return Get(kSystemInstalledLibrariesDir, create);
    }
    static PathRef GetApplicationFilesDir(bool create) { return Get(kApplicationFilesDir, create); }
    static PathRef GetBootVolumeRootDir(bool create) { return Get(kBootVolumeRootDir, create); }
    static PathRef GetPublicCacheDir(bool create) { return Get(kPublicCacheDir, create); }
    // The type's name, as "GetUserHomeDir" without the "Get"; null for an unknown type.
    static const char* TypeName(SystemDirType type);
};

// The display text of a path for a debug stream: shorter than 253 bytes, or "<path too long>".
TQ_API void ToDebugStream(DebugStream& s, const PathRef& p);
#endif
