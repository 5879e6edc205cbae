// Room for the typed form of every built-in configuration type, for code that reads or writes a value whose
// type it learns at run time. Header-only over the exported interface, so a program outside the library can
// use it as well as the library's own tools.
#pragma once

#include <string>
#include <vector>

#include "tqcore/config.h"
#include "tqcore/memory.h"
#include "tqcore/paths.h"

namespace tq::config {

// Where a type keeps its typed form.
enum class TypedForm { kText, kTexts, kPaths, kPath, kPathHandle, kNumber, kReal, kFixed, kHandle };

struct BuiltInType {
    int32 code;
    int32 number;  // 0: none
    TypedForm form;
};

inline constexpr BuiltInType kBuiltInTypes[] = {
    {TQFourCC("NStr"), 0, TypedForm::kText},
    {TQFourCC("NStV"), 0, TypedForm::kTexts},
    {TQFourCC("ENSV"), 0, TypedForm::kTexts},
    {TQFourCC("PStr"), kCfgTypePStrNumber, TypedForm::kHandle},
    {TQFourCC("Bool"), kCfgTypeBoolNumber, TypedForm::kNumber},
    {TQFourCC("I32 "), kCfgTypeI32Number, TypedForm::kNumber},
    {TQFourCC("Path"), kCfgTypePathNumber, TypedForm::kPathHandle},
    {TQFourCC("PLst"), kCfgTypePLstNumber, TypedForm::kPaths},
    {TQFourCC("CPSt"), kCfgTypeCPStNumber, TypedForm::kHandle},
    {TQFourCC("F32 "), kCfgTypeF32Number, TypedForm::kReal},
    {TQFourCC("I32L"), kCfgTypeI32LNumber, TypedForm::kHandle},
    {TQFourCC("LStr"), kCfgTypeLStrNumber, TypedForm::kHandle},
    {TQFourCC("P255"), kCfgTypeP255Number, TypedForm::kFixed},
    {TQFourCC("Pthp"), kCfgTypePthpNumber, TypedForm::kPath},
    {TQFourCC("ECPS"), kCfgTypeECPSNumber, TypedForm::kHandle},
    {TQFourCC("PRfL"), 0, TypedForm::kPaths},
};

// A type that is not built in is an enumeration: its typed form is an int32.
constexpr TypedForm FormOf(int32 type) {
    for (const BuiltInType& t : kBuiltInTypes)
        if (type == t.code || (t.number && type == t.number)) return t.form;
    return TypedForm::kNumber;
}

// Handles and paths are made by the reads and freed when the holder goes.
class TypedValue {
  public:
    TypedValue() = default;
    TypedValue(const TypedValue&) = delete;
    TypedValue& operator=(const TypedValue&) = delete;
    ~TypedValue() {
        if (handle_) DSDisposeHandle(handle_);
        PathRef::DisposePath(pathHandle_);
    }

    // The typed form's address, as the configuration functions take it.
    void* For(int32 type) {
        switch (FormOf(type)) {
            case TypedForm::kText:
                return &text_;
            case TypedForm::kTexts:
                return &texts_;
            case TypedForm::kPaths:
                return &paths_;
            case TypedForm::kPath:
                return &path_;
            case TypedForm::kPathHandle:
                return &pathHandle_;
            case TypedForm::kNumber:
                return &number_;
            case TypedForm::kReal:
                return &real_;
            case TypedForm::kFixed:
                return fixed_;
            case TypedForm::kHandle:
                return &handle_;
        }
        return &number_;
    }

  private:
    std::string text_;
    std::vector<std::string> texts_;
    std::vector<PathRef> paths_;
    PathRef path_;
    Path pathHandle_ = nullptr;
    UHandle handle_ = nullptr;
    int32 number_ = 0;
    float real_ = 0;
    Str255 fixed_{};
};

}  // namespace tq::config
