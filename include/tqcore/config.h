// tqcore/config.h - preferences: the configuration manager over one INI file and a memory store, typed
// tokens converted through a registry of configuration types, and typed settings grouped into setting groups.
// The stores and the registry lock themselves; a setting group is used by one thread at a time.
#pragma once

#include "tqcore/core.h"
#include "tqcore/paths.h"
#include "tqcore/strings.h"
#include "tqcore/types.h"

// Configuration type numbers: the aliases of the built-in four-character codes.
enum {
    kCfgTypePStrNumber = 2,
    kCfgTypeBoolNumber = 3,
    kCfgTypeI32Number = 4,
    kCfgTypePathNumber = 5,
    kCfgTypePLstNumber = 6,
    kCfgTypeCPStNumber = 8,
    kCfgTypeF32Number = 9,
    kCfgTypeI32LNumber = 10,
    kCfgTypeLStrNumber = 11,
    kCfgTypeP255Number = 12,
    kCfgTypePthpNumber = 13,
    kCfgTypeECPSNumber = 14,
};

#ifdef __cplusplus
class ConfigManager;
#else
typedef struct ConfigManager ConfigManager;
#endif

TQ_EXTERN_C_BEGIN
// Over the main manager (kErrGeneric when the configuration service has not started). value points to the
// type's typed form (see the table at ConfigTypeFromString).
TQ_API TqErr CfgGetDefault(int32 type, ConstPStr token, void* value);
TQ_API TqErr CfgWrite(int32 type, ConstPStr token, const void* value);
TQ_API TqErr CfgRemove(int32 type, ConstPStr token);
// A new path the caller disposes of.
TQ_API TqErr CfgGetPrefFilePath(Path* out);
// A new handle the caller disposes of.
TQ_API TqErr CfgGetHostPrefsSection(LStrHandle* out);
// One lookup through a temporary manager over the given file; a path that is not valid reads nothing (0).
TQ_API TqErr CfgGetDefaultFrom(Path path, int32 type, ConstPStr token, void* value);
// A new manager with one reference; an invalid path or a null out makes nothing and gives 0.
TQ_API TqErr ConstructCfgAccess(Path path, ConfigManager** out);
// The same from path text in the command-line text format.
TQ_API TqErr ConstructCfgAccessCStr(const char* path, ConfigManager** out);
TQ_API ConfigManager* GetMainCfgAccess(void);
// out gets in without its last extension, then ".ini"; out holds at least strlen(in) + 5 bytes.
TQ_API void GetConfigPath(const char* in, char* out);
// The INI file name of an earlier installation: the folder recorded for product and version, fileName, and
// ".ini" in place of its extension. out holds kCfgPreviousPathSize bytes.
TQ_API TqErr CfgGetPathToPreviousVersion(const char* product, const char* version, const char* fileName,
                                         char* out);
TQ_API TqErr InitConfigTypeRegistry(void);
TQ_API TqErr UninitConfigTypeRegistry(void);
TQ_API TqErr CfgEnumTypeUninit(int32 type, int32* out);
TQ_EXTERN_C_END

enum { kCfgPreviousPathSize = 1024 };

#ifdef __cplusplus
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace tq::config {
class ConfigOperationsInterface;
}

// Converters of a configuration type: text to the typed form at value, and the typed form to text.
typedef TqErr (*ConfigFromText)(const std::string& text, void* value);
typedef TqErr (*ConfigToText)(const void* value, std::string* text);

// The typed forms of the built-in types, as value points to them:
//   NStr std::string; NStV and ENSV std::vector<std::string>; PStr (2) a PStr handle (UHandle, made when
//   null); Bool (3) and I32 (4) int32; Path (5) Path (made when null); PLst (6) std::vector<PathRef>;
//   CPSt (8) and ECPS (14) CPStrHandle (made when null); F32 (9) float; I32L (10) a UHandle holding an
//   int32 count then the values (made when null); LStr (11) LStrHandle (made when null); P255 (12) a Str255
//   buffer; Pthp (13) PathRef; PRfL std::vector<PathRef>.
// Unknown types give kErrConfigBadType; every registry function gives kErrGeneric before
// InitConfigTypeRegistry.
TQ_API TqErr RegisterConfigType(int32 type, ConfigFromText fromText, ConfigToText toText);
TQ_API TqErr UnregisterConfigType(int32 type);
TQ_API TqErr ConfigTypeFromString(int32 type, const std::string& text, void* value);
TQ_API TqErr ConfigTypeToString(int32 type, const void* value, std::string* text);
// Registers an enumeration type and, on success, stores value at out.
TQ_API TqErr CfgEnumTypeInit(int32 type, ConfigFromText fromText, ConfigToText toText, int32 value,
                             int32* out);
// The number (from 1) of the first entry of the string list resource id that equals text; refnum 0 takes the
// host's string resource file. Empty text sets -1 and gives 1; no equal entry gives kErrConfigNotFound.
TQ_API TqErr ConfigParseGetPStrRsrcIndex(uInt32 refnum, int32* index, const char* text, int32 id,
                                         bool caseInsensitive);
// Entry index (from 1) of the string list resource id as text; refnum 0 as above.
TQ_API TqErr ConfigWriteEnumPStr(uInt32 refnum, int32 id, int32 index, std::string* out);

// A token name the host expects; tokens that match none (ignoring case) are reported, not refused.
struct KnownToken {
    const char* name;
};

// A preference file's host section, with a memory store beside it. Reference counted: the constructing
// functions hand out the first reference; RemoveRef deletes at zero.
class TQ_API ConfigManager {
  public:
    // An invalid path selects the default preference file.
    explicit ConfigManager(const PathRef& file);
    ConfigManager(const ConfigManager&) = delete;
    ConfigManager& operator=(const ConfigManager&) = delete;
    virtual ~ConfigManager();
    virtual int32 AddRef();
    virtual int32 RemoveRef();
    virtual TqErr GetDefault(int32 type, const std::string& token, void* value);
    virtual TqErr GetDefault(int32 type, ConstPStr token, void* value);
    virtual TqErr Write(int32 type, const std::string& token, const void* value, int32 memoryOnly);
    virtual TqErr Write(int32 type, ConstPStr token, const void* value, int32 memoryOnly);
    virtual TqErr Remove(int32 type, const std::string& token, int32 memoryOnly);
    virtual TqErr Remove(int32 type, ConstPStr token, int32 memoryOnly);
    virtual TqErr GetPrefFilePath(PathRef* out);
    virtual TqErr GetHostPrefsSection(LStrHandle* out);
    virtual TqErr UpdateSectionHeader(const std::string& section);
    // Two new arrays the caller disposes of.
    virtual TqErr GetInMemoryConfigList(_LStrArray*** tokens, _LStrArray*** values, int32* count);

    // The array stays the caller's and must outlive the manager's use of it.
    void SetKnownTokens(const KnownToken* tokens, uInt32 count);

  protected:
    virtual TqErr ValueFromString(int32 type, const std::string& text, void* value);
    virtual TqErr ValueToString(int32 type, const void* value, std::string* text);
    virtual void ValidateTokenName(const std::string& token);

  private:
    TqErr Store(const std::string& token, const std::string& text, int32 memoryOnly);
    TqErr Drop(const std::string& token, int32 memoryOnly);

    std::atomic<int32> refs_{0};
    tq::config::ConfigOperationsInterface* file_;
    tq::config::ConfigOperationsInterface* memory_;
    const KnownToken* known_ = nullptr;
    uInt32 knownCount_ = 0;
};

TQ_API TqErr ConstructCfgAccessPathRef(const PathRef& path, ConfigManager** out);

// ---- Typed settings.

class CfgSettings;
class CfgDataValidator;

// Load policies: when a loaded setting is validated.
typedef int32 CfgDataValidationPolicy;
enum : CfgDataValidationPolicy {
    cfgValidateOnReadFailurePolicy = 0,
    cfgAlwaysValidatePolicy = 1,
    cfgValidateUnlessDefaultTakenPolicy = 2,
    cfgAlwaysUseDefaultValuePolicy = 3,
    cfgNeverValidatePolicy = 4,
};
// Save policies: what saving a setting writes.
typedef int32 CfgSavePolicy;
enum : CfgSavePolicy {
    cfgNeverSavePolicy = 0,
    cfgSaveUnlessDefaultPolicy = 1,
    cfgSaveUnlessDefaultIfDefaultPolicy = 2,
    cfgAlwaysSavePolicy = 3,
    cfgAlwaysRemovePolicy = 4,
};

// A typed setting: a token name, a configuration type and a value, with or without a default.
class TQ_API CfgData {
  public:
    CfgData() = default;
    CfgData(const CfgData&) = default;
    CfgData& operator=(const CfgData&) = default;
    virtual void* Value() = 0;
    virtual const void* ConstValue() const = 0;
    // Null without a default.
    virtual void* Default() = 0;
    virtual const void* ConstDefault() const = 0;
    virtual int32 Type() const = 0;
    virtual const char* Name() const = 0;
    virtual bool Equals(const CfgData& other, bool compareNames) const = 0;
    virtual bool IsDefault() const = 0;
    virtual TqErr CopyFrom(const CfgData& other, bool compareNames);
    virtual TqErr SetValueFrom(const void* value) = 0;
    virtual TqErr ResetToDefault() = 0;
    virtual TqErr Init(ConfigManager* cfg, CfgDataValidator* v, int64 context, int32 index,
                       CfgSettings* group);
    virtual TqErr Release();
    virtual TqErr Save(CfgSavePolicy policy, ConfigManager* cfg) const;
    virtual ~CfgData();
};

// Loads d (cfg null: the main manager; v null: the default validator).
TQ_API TqErr CfgDataInit(CfgData& d, ConfigManager* cfg, CfgDataValidator* v, int64 context, int32 index,
                         CfgSettings* group);
TQ_API TqErr CfgDataSave(const CfgData& d, CfgSavePolicy policy, ConfigManager* cfg);

namespace tq::config {
template <class T>
bool CfgValueEquals(const T& a, const T& b) {
    if constexpr (requires { a.Equals(b); })
        return a.Equals(b);
    else
        return a == b;
}
}  // namespace tq::config

// A setting without a default.
template <class T, int32 Code>
class CfgDataNoDefault_T : public CfgData {
  public:
    explicit CfgDataNoDefault_T(const char* name, const T& value = T()) : name_(name), value_(value) {}
    void* Value() override { return &value_; }
    const void* ConstValue() const override { return &value_; }
    void* Default() override { return nullptr; }
    const void* ConstDefault() const override { return nullptr; }
    int32 Type() const override { return Code; }
    const char* Name() const override { return name_; }
    bool Equals(const CfgData& other, bool compareNames) const override {
        if (other.Type() != Code) return false;
        if (compareNames && !SameName(other)) return false;
        return ValueEquals(static_cast<const T*>(other.ConstValue()));
    }
    bool IsDefault() const override { return false; }
    TqErr SetValueFrom(const void* value) override { return SetValue(static_cast<const T*>(value)); }
    TqErr ResetToDefault() override { return kErrNone; }
    virtual TqErr SetValue(const T* value) {
        if (!value) return kErrArgument;
        value_ = *value;
        return kErrNone;
    }
    virtual bool ValueEquals(const T* value) const {
        return value && tq::config::CfgValueEquals(value_, *value);
    }
    const T& Get() const { return value_; }

  protected:
    bool SameName(const CfgData& other) const {
        const char* a = name_ ? name_ : "";
        const char* b = other.Name() ? other.Name() : "";
        return std::strcmp(a, b) == 0;
    }
    const char* name_;
    T value_;
};

// A setting with a default value.
template <class T, int32 Code>
class CfgData_T : public CfgDataNoDefault_T<T, Code> {
    using Base = CfgDataNoDefault_T<T, Code>;

  public:
    CfgData_T(const char* name, const T& defaultValue) : Base(name, defaultValue), default_(defaultValue) {}
    CfgData_T(const char* name, const T& defaultValue, const T& value)
        : Base(name, value), default_(defaultValue) {}
    void* Default() override { return &default_; }
    const void* ConstDefault() const override { return &default_; }
    bool IsDefault() const override { return Base::ValueEquals(&default_); }
    TqErr ResetToDefault() override {
        Base::value_ = default_;
        return kErrNone;
    }
    const T& GetDefault() const { return default_; }

  private:
    T default_;
};

// Chooses the load policy of each setting of a group and judges a loaded value (0 accepts it).
class TQ_API CfgDataValidator {
  public:
    virtual ~CfgDataValidator();
    virtual CfgDataValidationPolicy Policy(int32 index) = 0;
    virtual TqErr operator()(CfgData& d, TqErr readResult, int64 context, int32 index,
                             CfgSettings* group) = 0;
};

// Never validates; accepts everything.
class TQ_API DefaultCfgValidator : public CfgDataValidator {
  public:
    CfgDataValidationPolicy Policy(int32 index) override;
    TqErr operator()(CfgData& d, TqErr readResult, int64 context, int32 index, CfgSettings* group) override;
};

// Always validates path settings ('Pthp'): the context's low 31 bits give the kind FExists must answer
// (1 file, 2 folder); all of bits 31 to 63 set also check the default path.
class TQ_API CfgPathValidator : public CfgDataValidator {
  public:
    CfgDataValidationPolicy Policy(int32 index) override;
    TqErr operator()(CfgData& d, TqErr readResult, int64 context, int32 index, CfgSettings* group) override;
};

// A path setting.
using CfgPathRef = CfgData_T<PathRef, TQFourCC("Pthp")>;
using CfgPathRefNoDefault = CfgDataNoDefault_T<PathRef, TQFourCC("Pthp")>;

// A group of settings loaded, saved and released together.
class TQ_API CfgSettings {
  public:
    virtual ~CfgSettings();
    virtual int32 Count() = 0;
    virtual CfgData* At(int32 index) = 0;
    // The group's name in the registry of groups.
    virtual const char* GroupName() = 0;
};

// Loads every setting in index order; a result of -1 stops at once. Enters the group in the registry.
TQ_API TqErr CfgSettingsInit(CfgSettings* g, ConfigManager* cfg, CfgDataValidator* v, int64 context);
TQ_API TqErr CfgSettingsSave(CfgSettings* g, ConfigManager* cfg, CfgSavePolicy policy, int64 context);
TQ_API TqErr CfgSettingsSaveOneSetting(CfgSettings* g, int32 index, ConfigManager* cfg, CfgSavePolicy policy);
// Leaves the registry, then saves (per policy) and releases each setting, the last first.
TQ_API TqErr CfgSettingsUninit(CfgSettings* g, CfgSavePolicy policy, ConfigManager* cfg);

// The settings of a group: a class listing its settings.
class CfgSettingsData {
  public:
    virtual ~CfgSettingsData() = default;
    virtual int32 Count() = 0;
    virtual CfgData* At(int32 index) = 0;
};

// A named group over a settings-data class (made on first Init) bound to a validator class.
template <class Data, class Validator>
class CfgSettings_T : public CfgSettings {
  public:
    explicit CfgSettings_T(const char* name) : name_(name) {}
    ~CfgSettings_T() override { delete data_; }
    CfgSettings_T(const CfgSettings_T&) = delete;
    CfgSettings_T& operator=(const CfgSettings_T&) = delete;

    int32 Count() override { return data_ ? data_->Count() : 0; }
    CfgData* At(int32 index) override {
        return data_ && index >= 0 && index < Count() ? data_->At(index) : nullptr;
    }
    const char* GroupName() override { return name_; }

    TqErr Init(int64 context, ConfigManager* cfg) {
        if (!data_) data_ = new Data();
        return CfgSettingsInit(this, cfg, &validator_, context);
    }
    TqErr Uninit(CfgSavePolicy policy, ConfigManager* cfg) { return CfgSettingsUninit(this, policy, cfg); }
    TqErr Save(CfgSavePolicy policy, ConfigManager* cfg) { return CfgSettingsSave(this, cfg, policy, 0); }
    // Drops the data object (null until the next Init).
    void ReleaseData() {
        delete data_;
        data_ = nullptr;
    }
    void ClearName() { name_ = nullptr; }
    Data* GetData() { return data_; }

  private:
    const char* name_;
    Data* data_ = nullptr;
    Validator validator_;
};
#endif
