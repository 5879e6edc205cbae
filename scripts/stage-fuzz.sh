#!/usr/bin/env bash
# The fuzz stage of test.sh: builds every libFuzzer target in fuzz/ with clang (AddressSanitizer and UBSan,
# library instrumented for coverage) and runs each for TQCORE_FUZZ_SECONDS (default 20) from a fresh corpus.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$top/scripts/deps.sh" fuzz
build="$top/build/fuzz"
seconds=${TQCORE_FUZZ_SECONDS:-20}

CC=clang CXX=clang++ build_tree "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQCORE_FUZZ=ON -DTQCORE_TESTS=OFF \
  -DTQCORE_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link

for src in "$top"/fuzz/*.cpp; do
  name=$(basename "$src" .cpp)
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  echo "fuzz: $name for ${seconds}s"
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/fuzz/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 \
    -artifact_prefix="$build/" "$corpus" 2>&1 | tail -n 3
done
