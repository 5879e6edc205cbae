// How the operating system writes file names: the text form of paths handed to it.
#pragma once

namespace tq::platform {

enum class PathStyle { kUnix, kDos };

PathStyle NativePathStyle();

}  // namespace tq::platform
