#!/usr/bin/env bash
# The fuzz stage of test.sh: builds every libFuzzer target in fuzz/, replays the inputs that once crashed each
# one, then fuzzes each for TQCORE_FUZZ_SECONDS (default 20) from its seed corpus and dictionary.
set -euo pipefail
source "$(dirname "$0")/fuzz-common.sh"
seconds=${TQCORE_FUZZ_SECONDS:-20}

build_fuzz_targets
for name in $(fuzz_targets); do
  [ -d "$top/fuzz/corpus/$name" ] || { echo "fuzz: $name has no seed corpus in fuzz/corpus/$name" >&2; exit 1; }
  replay_regressions "$name"
  fuzz_target "$name" "$seconds"
done
