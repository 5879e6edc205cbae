#!/usr/bin/env bash
# Installs a built tree into a scratch prefix, compares its exports with its headers (exports.py), and builds
# two tiny consumers against it, a C++20 one and a strict C11 one, twice each: through find_package(tqcore)
# and through pkg-config. Usage: check.sh BUILD_DIR [native|win64]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/common.sh"
build=$1
target=${2:-native}
prefix="$build/install-check/prefix"
rm -rf "$build/install-check"
cmake --install "$build" --prefix "$prefix" >/dev/null

if [ "$target" = win64 ]; then
  source "$top/scripts/wine.sh"
  for f in bin/tqcore.dll bin/tqcore.exe lib/tqcore.lib include/tqcore/tqcore.h lib/cmake/tqcore/tqcoreConfig.cmake; do
    [ -f "$prefix/$f" ] || { echo "install check: $f missing from the installed tree" >&2; exit 1; }
  done
  # The toolchain confines package search to the cross root, so the package folder is named directly.
  cmake_args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-win64.cmake" -Dtqcore_DIR="$prefix/lib/cmake/tqcore")
  cxx=(x86_64-w64-mingw32-g++-posix -static)
  cc=(x86_64-w64-mingw32-gcc-posix -static)
  exe=.exe
  run() { cp "$prefix/bin/tqcore.dll" "$(dirname "$1")/" && "$wine64" "$1"; }
else
  cmake_args=(-DCMAKE_PREFIX_PATH="$prefix")
  cxx=(c++)
  cc=(cc)
  exe=
  run() { LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}" "$1"; }
fi

# Exactly what the headers declare for export is exported (the inline operations included).
"$top/scripts/deps.sh" exports
if [ "$target" = win64 ]; then
  library="$prefix/bin/tqcore.dll"
else
  library=$(find "$prefix" -name 'libtqcore.so' | head -n1)
fi
/usr/bin/python3 "$here/exports.py" "$prefix/include" "$library"

cmake -S "$here/consumer" -B "$build/install-check/cmake" -G Ninja "${cmake_args[@]}" >/dev/null
cmake --build "$build/install-check/cmake" >/dev/null
run "$build/install-check/cmake/consumer$exe"
run "$build/install-check/cmake/consumer_c$exe"

libdir=$(dirname "$(find "$prefix" -name tqcore.pc | head -n1)")
flags=$(PKG_CONFIG_PATH="$libdir" pkg-config --cflags --libs tqcore)
mkdir -p "$build/install-check/pc"
"${cxx[@]}" -std=c++20 "$here/consumer/main.cpp" $flags -o "$build/install-check/pc/consumer$exe"
run "$build/install-check/pc/consumer$exe"
"${cc[@]}" -std=c11 -Wall -Wextra -Werror -pedantic "$here/consumer/main.c" $flags -o "$build/install-check/pc/consumer_c$exe"
run "$build/install-check/pc/consumer_c$exe"
echo "install check ($target): 4 passed, 0 failed"
