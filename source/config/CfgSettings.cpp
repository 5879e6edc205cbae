// Setting groups: loading, saving and releasing their settings together.
#include "config/CfgSettingsRegistry.h"

using namespace tq::config;

CfgSettings::~CfgSettings() = default;

TqErr CfgSettingsInit(CfgSettings* g, ConfigManager* cfg, CfgDataValidator* v, int64 context) {
    if (!g) return kErrArgument;
    TqErr first = kErrNone;
    for (int32 i = 0; i < g->Count(); ++i) {
        CfgData* d = g->At(i);
        if (!d) continue;
        const TqErr r = d->Init(cfg, v, context, i, g);
        if (r == -1) {
            first = r;
            break;
        }
        if (first == kErrNone) first = r;
    }
    if (first == kErrNone) SettingsRegistryAdd(g);
    return first;
}

TqErr CfgSettingsSave(CfgSettings* g, ConfigManager* cfg, CfgSavePolicy policy, int64) {
    if (!g) return kErrArgument;
    if (policy == cfgNeverSavePolicy) return kErrNone;
    TqErr first = kErrNone;
    for (int32 i = 0; i < g->Count(); ++i) {
        const CfgData* d = g->At(i);
        const TqErr r = d ? d->Save(policy, cfg) : kErrNone;
        if (first == kErrNone) first = r;
    }
    return first;
}

TqErr CfgSettingsSaveOneSetting(CfgSettings* g, int32 index, ConfigManager* cfg, CfgSavePolicy policy) {
    if (policy == cfgNeverSavePolicy) return kErrNone;
    if (!g || index < 0 || index >= g->Count() || !g->At(index)) return kErrArgument;
    return g->At(index)->Save(policy, cfg);
}

TqErr CfgSettingsUninit(CfgSettings* g, CfgSavePolicy policy, ConfigManager* cfg) {
    if (!g) return kErrArgument;
    SettingsRegistryRemove(g);
    TqErr first = kErrNone;
    for (int32 i = g->Count() - 1; i >= 0; --i) {
        CfgData* d = g->At(i);
        if (!d) continue;
        TqErr r = policy == cfgNeverSavePolicy ? kErrNone : d->Save(policy, cfg);
        const TqErr released = d->Release();
        if (r == kErrNone) r = released;
        if (first == kErrNone) first = r;
    }
    return first;
}
