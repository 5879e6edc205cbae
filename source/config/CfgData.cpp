// Typed settings: loading one under its validator's policy and saving it under a save policy.
#include "config/Services.h"
#include "diagnostics/Report.h"

#define TQ_UNIT "source\\CfgData"

namespace {

DefaultCfgValidator gDefaultValidator;

bool HasName(const CfgData& d) {
    return d.Name() && *d.Name();
}

// Whether a loaded setting goes to its validator. readFailed: the read failed; defaultTaken: the setting then
// took its default successfully.
bool ShouldValidate(CfgDataValidationPolicy p, TqErr result, bool readFailed, bool defaultTaken,
                    bool hasDefault) {
    switch (p) {
        case cfgValidateOnReadFailurePolicy:
            return result != kErrNone;
        case cfgAlwaysValidatePolicy:
        case cfgAlwaysUseDefaultValuePolicy:
            return true;
        case cfgValidateUnlessDefaultTakenPolicy:
            return !(readFailed && (defaultTaken || !hasDefault));
        default:
            return false;
    }
}

// Write (1), remove (-1) or leave alone (0) under a save policy; kErrArgument for an unknown policy.
TqErr SaveAction(const CfgData& d, CfgSavePolicy policy, int32& action) {
    const bool hasDefault = d.ConstDefault() != nullptr;
    switch (policy) {
        case cfgNeverSavePolicy:
            action = 0;
            return kErrNone;
        case cfgSaveUnlessDefaultPolicy:
            action = d.IsDefault() ? -1 : 1;
            return kErrNone;
        case cfgSaveUnlessDefaultIfDefaultPolicy:
            action = !hasDefault ? 0 : d.IsDefault() ? -1 : 1;
            return kErrNone;
        case cfgAlwaysSavePolicy:
            action = 1;
            return kErrNone;
        case cfgAlwaysRemovePolicy:
            action = -1;
            return kErrNone;
        default:
            return kErrArgument;
    }
}

}  // namespace

CfgData::~CfgData() = default;

TqErr CfgData::CopyFrom(const CfgData& other, bool compareNames) {
    if (other.Type() != Type()) return kErrArgument;
    if (compareNames) {
        const char* a = Name() ? Name() : "";
        const char* b = other.Name() ? other.Name() : "";
        if (std::strcmp(a, b) != 0) return kErrArgument;
    }
    return SetValueFrom(other.ConstValue());
}

TqErr CfgData::Init(ConfigManager* cfg, CfgDataValidator* v, int64 context, int32 index, CfgSettings* group) {
    return CfgDataInit(*this, cfg, v, context, index, group);
}

TqErr CfgData::Release() {
    return kErrNone;
}

TqErr CfgData::Save(CfgSavePolicy policy, ConfigManager* cfg) const {
    return CfgDataSave(*this, policy, cfg);
}

CfgDataValidator::~CfgDataValidator() = default;

CfgDataValidationPolicy DefaultCfgValidator::Policy(int32) {
    return cfgNeverValidatePolicy;
}

TqErr DefaultCfgValidator::operator()(CfgData&, TqErr, int64, int32, CfgSettings*) {
    return kErrNone;
}

TqErr CfgDataInit(CfgData& d, ConfigManager* cfg, CfgDataValidator* v, int64 context, int32 index,
                  CfgSettings* group) {
    if (!cfg) cfg = tq::config::MainManager();
    if (!v) v = &gDefaultValidator;
    const CfgDataValidationPolicy p = v->Policy(index);
    const bool hasDefault = d.ConstDefault() != nullptr;
    TqErr result = kErrNone;
    bool readFailed = false, defaultTaken = false;
    if (p == cfgAlwaysUseDefaultValuePolicy) {
        if (!hasDefault) {
            TQ_REPORT(kDbgError,
                      "cfgAlwaysUseDefaultValuePolicy cannot be used without providing a default value!");
            return kErrArgument;
        }
        result = d.ResetToDefault();
    } else if (HasName(d)) {
        const TqErr read = cfg ? cfg->GetDefault(d.Type(), std::string(d.Name()), d.Value()) : kErrGeneric;
        readFailed = read != kErrNone;
        result = read;
        if (readFailed && hasDefault) {
            const TqErr reset = d.ResetToDefault();
            defaultTaken = reset == kErrNone;
            result = read == kErrConfigNotFound ? reset : read;
        }
    }
    if (!ShouldValidate(p, result, readFailed, defaultTaken, hasDefault)) return result;
    if ((*v)(d, result, context, index, group) == kErrNone) return kErrNone;
    return d.ResetToDefault();
}

TqErr CfgDataSave(const CfgData& d, CfgSavePolicy policy, ConfigManager* cfg) {
    if (!HasName(d)) return kErrNone;
    int32 action = 0;
    const TqErr r = SaveAction(d, policy, action);
    if (r != kErrNone || action == 0) return r;
    if (!cfg) cfg = tq::config::MainManager();
    if (!cfg) return kErrGeneric;
    const std::string name(d.Name());
    if (action > 0) return cfg->Write(d.Type(), name, d.ConstValue(), 0);
    return cfg->Remove(d.Type(), name, 0);
}
