#!/usr/bin/env bash
# The Win64 stage of test.sh: cross-builds the library, the tests and the tqcore program with mingw-w64,
# runs the suite under Wine, then checks the installed tree with a Win64 consumer.
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$top/scripts/wine.sh"
"$top/scripts/deps.sh" win64
build="$top/build/win64"

start=$SECONDS
build_tree "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-win64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "win64: built in $((SECONDS - start)) s"

trap wine_down EXIT
wine_up "$build"
start=$SECONDS
ctest --test-dir "$build" -j "$jobs" --timeout 600 --output-on-failure
echo "win64: tests ran in $((SECONDS - start)) s"
# ctest runs whole executables here, so name the tests that skipped themselves and why.
grep -h -A1 ': Skipped$' "$build/Testing/Temporary/LastTest.log" 2>/dev/null | grep -v -e '^--$' | sed 's/^/win64 skipped: /' || true

"$top/tests/install/check.sh" "$build" win64

# The program starts the base services in the same order on both systems.
native="$top/build/release/tools/tqcore"
if [ ! -x "$native" ]; then
  cmake -S "$top" -B "$top/build/release" -G Ninja "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$top/build/release" -j "$jobs" --target tqcore_tool >/dev/null
fi
order() { tr -d '\r' | awk '$1 ~ /^[0-9]+$/ && NF > 2 { print $2 }'; }
linux_order=$("$native" services | order)
win64_order=$("$wine64" "$build/bin/tqcore.exe" services | order)
if [ -z "$linux_order" ] || [ "$linux_order" != "$win64_order" ]; then
  echo "win64: tqcore.exe services order differs from Linux:" >&2
  diff <(echo "$linux_order") <(echo "$win64_order") >&2 || true
  exit 1
fi
echo "win64: tqcore.exe services starts $(echo "$linux_order" | wc -l) services in the same order as on Linux"
