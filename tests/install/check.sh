#!/usr/bin/env bash
# Installs a built tree into a scratch prefix and builds a tiny consumer against it twice:
# through find_package(tqcore) and through pkg-config.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
prefix="$build/install-check/prefix"
rm -rf "$build/install-check"
cmake --install "$build" --prefix "$prefix" >/dev/null

cmake -S "$here/consumer" -B "$build/install-check/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$build/install-check/cmake" >/dev/null
LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}" "$build/install-check/cmake/consumer"

libdir=$(dirname "$(find "$prefix" -name tqcore.pc | head -n1)")
flags=$(PKG_CONFIG_PATH="$libdir" pkg-config --cflags --libs tqcore)
c++ "$here/consumer/main.cpp" $flags -o "$build/install-check/consumer-pc"
LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}" "$build/install-check/consumer-pc"
echo "install check: 2 passed, 0 failed"
