#!/usr/bin/env bash
# Builds and runs the whole test suite: plain, under AddressSanitizer+UBSan, and the thread tests under
# ThreadSanitizer, the installed tree, and the Win64 build under Wine. Set TQCORE_STAGES to run a subset
# (e.g. "release asan").
set -euo pipefail
source "$(dirname "$0")/common.sh"
stages=${TQCORE_STAGES:-release asan tsan install win64 fuzz}
"$top/scripts/deps.sh" native
# Cheap and first: an include across the layering fails every stage's build anyway, less readably.
"$top/scripts/check-layering.sh"

# run.sh shares the release tree with tests turned off: turn them on again, and never pass with none found.
run_ctest() { ctest --test-dir "$1" -j "$jobs" --timeout 300 --output-on-failure --no-tests=error "${@:2}"; }

for stage in $stages; do
  echo "=== stage: $stage"
  stage_start=$SECONDS
  case "$stage" in
    release)
      build_tree "$top/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQCORE_TESTS=ON
      run_ctest "$top/build/release" ;;
    asan)
      build_tree "$top/build/asan" -DCMAKE_BUILD_TYPE=Debug -DTQCORE_SANITIZE=address,undefined
      # The million-value digit sweeps compare with the C library and touch no new memory paths: release only.
      ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        run_ctest "$top/build/asan" -E 'NumberExactness' ;;
    tsan)
      build_tree "$top/build/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQCORE_SANITIZE=thread
      TSAN_OPTIONS=halt_on_error=1 run_ctest "$top/build/tsan" -L 'threads|memory|cookies' ;;
    install)
      "$top/tests/install/check.sh" "$top/build/release" ;;
    *) "$top/scripts/stage-$stage.sh" ;;
  esac
  echo "=== stage $stage took $((SECONDS - stage_start)) s"
done
