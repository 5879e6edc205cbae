// A host application interface for tests: plain answers, with the ones a test varies held in public fields.
#pragma once

#include "tqcore/core.h"

class TestHost : public TQAppInterface {
  public:
    const char* ProductName() override { return "test"; }
    const char* AppName() override { return "test"; }
    int32 AppAPIVersion() override { return 0; }
    int32 AppEditorVersion() override { return 0; }
    const char* BuiltAppName() override { return "test"; }
    bool IsTopLevel() override { return true; }
    bool IsBoundApp() override { return false; }
    bool IsRunTime() override { return false; }
    bool IsFullFeatureRunTime() override { return false; }
    bool IsEmbeddedRunTime() override { return false; }
    void PrepareAppFileName() override {}
    bool AcceptsLeadingPlus() override { return leadingPlus; }
    const char* LanguageName() override { return language; }
    int32 StringResourceRefNum() override { return 0; }

    bool leadingPlus = false;
    const char* language = "English";
};
