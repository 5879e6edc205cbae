#!/usr/bin/env bash
# The Win64 stage of test.sh: cross-builds the library, the tests and the tqcore program with mingw-w64,
# runs the suite under Wine, then checks the installed tree with a Win64 consumer.
set -euo pipefail
source "$(dirname "$0")/common.sh"
# The native tree below is configured with its tests, so the native set too.
"$top/scripts/deps.sh" native win64
source "$top/scripts/wine.sh"
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

# The program starts the same base services on both systems.
native="$top/build/release/tools/tqcore"
[ -f "$top/build/release/build.ninja" ] || configure_tree "$top/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build/release" -j "$jobs" --target tqcore_tool >/dev/null
order() { tr -d '\r' | awk '$1 ~ /^[0-9]+$/ && NF > 2 { print $2 }'; }
linux_order=$("$native" services | order)
win64_order=$("$wine64" "$build/bin/tqcore.exe" services | order)
[ -n "$win64_order" ] || { echo "win64: tqcore.exe services printed no services" >&2; exit 1; }
# Services with no dependency between them start in the order of their objects' addresses, which each heap
# lays out its own way: a difference is shown, and only the services' set must agree.
if [ "$linux_order" = "$win64_order" ]; then
  echo "win64: tqcore.exe services starts $(echo "$linux_order" | wc -l) services in the same order as on Linux"
elif [ "$(sort <<<"$linux_order")" = "$(sort <<<"$win64_order")" ]; then
  echo "win64: tqcore.exe services starts the same services; independent ones in another order (Linux < > Win64):"
  diff <(echo "$linux_order") <(echo "$win64_order") | sed 's/^/win64:   /' || true
else
  echo "win64: tqcore.exe services starts other services than on Linux:" >&2
  diff <(echo "$linux_order") <(echo "$win64_order") >&2 || true
  exit 1
fi
