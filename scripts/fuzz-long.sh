#!/usr/bin/env bash
# A long fuzzing run of one target: scripts/fuzz-long.sh TARGET HOURS (fractions allowed). The corpus grows in
# build/fuzz/corpus/TARGET and is kept between runs; TQCORE_FUZZ_JOBS > 1 runs that many processes at once.
set -euo pipefail
source "$(dirname "$0")/fuzz-common.sh"
if [ $# -ne 2 ] || [ ! -f "$top/fuzz/$1.cpp" ]; then
  echo "usage: $0 TARGET HOURS   (TARGET one of: $(fuzz_targets | tr '\n' ' '))" >&2
  exit 2
fi
name=$1
seconds=$(awk -v h="$2" 'BEGIN { s = int(h * 3600); if (s < 1) exit 1; print s }') ||
  { echo "fuzz-long: HOURS must be a positive number" >&2; exit 2; }
jobs_wanted=${TQCORE_FUZZ_JOBS:-1}

build_fuzz_targets
replay_regressions "$name"
extra=()
[ "$jobs_wanted" -gt 1 ] && extra+=(-fork="$jobs_wanted" -ignore_crashes=0)
echo "fuzz-long: $name for $seconds s (log: $fuzz_build/logs/$name.log)"
fuzz_target "$name" "$seconds" "${extra[@]}"
