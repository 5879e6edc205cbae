#!/usr/bin/env bash
# Builds the library and the tqcore program, then runs its default tour.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$top/scripts/deps.sh" native
build_tree "$top/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQCORE_TESTS=OFF
tq="$top/build/release/tools/tqcore"
# TQCORE_TOUR names subcommands (no arguments); the default tour also reads and flattens a path.
if [ -n "${TQCORE_TOUR:-}" ]; then
  read -r -a tour <<<"$TQCORE_TOUR"
else
  tour=(services clock sysinfo "path /home/ann/docs/report.txt" "path C:\\Users\\ann\\..\\a.txt --from dos"
        "path flatten ../a.txt --from unix --utf8")
  # The volumes, and the record of a file of the tour's own, removed on exit.
  sample=$(mktemp)
  trap 'rm -f "$sample"' EXIT
  echo "tour sample" >"$sample"
  tour+=(vol "stat $sample")
fi
for cmd in "${tour[@]}"; do
  echo "== tqcore $cmd"
  # shellcheck disable=SC2086 # each entry is a command line
  "$tq" $cmd
done
