// Building paths from item lists and reading them back, for the path tests.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/Exceptions.h"
#include "tqcore/core.h"
#include "tqcore/paths.h"

// An up-dir item in an item list.
inline constexpr const char* UP = nullptr;

inline PathRef MakePath(PathBase base, std::initializer_list<const char*> items) {
    PathRef p(base);
    for (const char* item : items) {
        if (item)
            p.Append(item);
        else
            p.AppendUpDir();
    }
    return p;
}

// Items as written in the tests: "UP" for an up-dir item.
inline std::vector<std::string> Items(const PathRef& p) {
    std::vector<std::string> out;
    for (int32 i = 0; i < p.ItemCount(); ++i) out.push_back(p.ItemAt(i).empty() ? "UP" : p.ItemAt(i));
    return out;
}

using Names = std::vector<std::string>;
