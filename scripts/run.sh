#!/usr/bin/env bash
# Builds the library and the tqcore program, then runs its default tour.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$top/scripts/deps.sh" native
build_tree "$top/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQCORE_TESTS=OFF
tq="$top/build/release/tools/tqcore"
for cmd in ${TQCORE_TOUR:-services clock}; do
  echo "== tqcore $cmd"
  "$tq" $cmd
done
