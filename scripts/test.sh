#!/usr/bin/env bash
# Builds and runs the whole test suite: plain, under AddressSanitizer+UBSan, and the thread tests under
# ThreadSanitizer, the installed tree, the Win64 build under Wine, and the fuzz targets. Set TQCORE_STAGES to
# run a subset (e.g. "release asan"). Each stage installs the packages it needs itself, so any subset runs on
# a fresh machine.
set -euo pipefail
source "$(dirname "$0")/common.sh"
stages=${TQCORE_STAGES:-release asan tsan install win64 fuzz}

# run.sh shares the release tree with tests turned off: turn them on again, and never pass with none found.
run_ctest() { ctest --test-dir "$1" -j "$jobs" --timeout 300 --output-on-failure --no-tests=error "${@:2}"; }
build_release() { build_tree "$top/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQCORE_TESTS=ON; }

stage_release() {
  "$top/scripts/deps.sh" native
  build_release
  run_ctest "$top/build/release"
  # The benchmarks' one-allocation-per-element path store is built by no other stage: keep it compiling.
  configure_tree "$top/build/simple-store" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQCORE_TESTS=OFF -DTQCORE_PATH_SIMPLE_STORE=ON
  cmake --build "$top/build/simple-store" -j "$jobs" --target tqcore
}
stage_asan() {
  "$top/scripts/deps.sh" native
  build_tree "$top/build/asan" -DCMAKE_BUILD_TYPE=Debug -DTQCORE_SANITIZE=address,undefined
  # The million-value digit sweeps compare with the C library and touch no new memory paths: release only.
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    run_ctest "$top/build/asan" -E 'NumberExactness'
}
stage_tsan() {
  "$top/scripts/deps.sh" native
  build_tree "$top/build/tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQCORE_SANITIZE=thread
  TSAN_OPTIONS=halt_on_error=1 run_ctest "$top/build/tsan" -L 'threads|memory|cookies|occurrences'
}
stage_install() {
  "$top/scripts/deps.sh" native
  # Up to date after the release stage; built here when this stage runs alone.
  build_release
  "$top/tests/install/check.sh" "$top/build/release"
}

# One stage, in a process of its own so that errexit and the failure report work inside it.
run_stage() {
  if declare -F "stage_$1" >/dev/null; then
    "stage_$1"
  elif [ -x "$top/scripts/stage-$1.sh" ]; then
    "$top/scripts/stage-$1.sh"
  else
    echo "test.sh: unknown stage '$1' (release asan tsan install win64 fuzz)" >&2
    return 2
  fi
}
if [ "${1:-}" = --stage ]; then
  run_stage "$2"
  exit 0
fi

# Cheap and first: an include across the layering fails every stage's build anyway, less readably.
"$top/scripts/check-layering.sh"

read -r -a pending <<<"$stages"
while [ ${#pending[@]} -gt 0 ]; do
  stage=${pending[0]}
  pending=("${pending[@]:1}")
  echo "=== stage: $stage"
  stage_start=$SECONDS
  status=0
  bash "$top/scripts/test.sh" --stage "$stage" || status=$?
  if [ $status -ne 0 ]; then
    echo "=== stage $stage FAILED (status $status) after $((SECONDS - stage_start)) s"
    if [ ${#pending[@]} -gt 0 ]; then echo "=== stages skipped: ${pending[*]}"; fi
    exit $status
  fi
  echo "=== stage $stage took $((SECONDS - stage_start)) s"
done
