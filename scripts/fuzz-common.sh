# Shared by the fuzz scripts: the instrumented build, the replay of past crashes and one fuzzing run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
fuzz_build="$top/build/fuzz"

# Every target of fuzz/ with clang, AddressSanitizer and UBSan; the library is instrumented for coverage.
build_fuzz_targets() {
  "$top/scripts/deps.sh" fuzz
  CC=clang CXX=clang++ build_tree "$fuzz_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQCORE_FUZZ=ON \
    -DTQCORE_TESTS=OFF -DTQCORE_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
}

fuzz_targets() {
  for src in "$top"/fuzz/*.cpp; do basename "$src" .cpp; done
}

run_target() {
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$fuzz_build/fuzz/$1" -rss_limit_mb=2048 "${@:2}"
}

# Runs the target once over every input that ever crashed it (fuzz/regressions/<target>/).
replay_regressions() {
  local name=$1 dir="$top/fuzz/regressions/$1" log="$fuzz_build/logs/$1.replay.log"
  local files=("$dir"/*)
  [ -e "${files[0]}" ] || return 0
  mkdir -p "$fuzz_build/logs"
  if ! run_target "$name" "${files[@]}" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $name fails on a regression input (log: $log)" >&2
    return 1
  fi
  echo "fuzz: $name replays ${#files[@]} regression input(s)"
}

# fuzz_target NAME SECONDS [libFuzzer options...]: grows build/fuzz/corpus/NAME from the committed seeds, with
# the target's dictionary when it has one, and prints the run count and executions per second.
fuzz_target() {
  local name=$1 seconds=$2 corpus="$fuzz_build/corpus/$1" log="$fuzz_build/logs/$1.log"
  local options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$fuzz_build/artifacts/$name-")
  [ -f "$top/fuzz/dict/$name.dict" ] && options+=(-dict="$top/fuzz/dict/$name.dict")
  mkdir -p "$corpus" "$fuzz_build/artifacts" "$fuzz_build/logs"
  # New inputs go to the first folder; the seed folder is only read.
  if ! run_target "$name" "${options[@]}" "${@:3}" "$corpus" "$top/fuzz/corpus/$name" >"$log" 2>&1; then
    grep -v '^#' "$log" | tail -n 60
    echo "fuzz: $name crashed (log: $log); keep the input under fuzz/regressions/$name/ with the fix" >&2
    return 1
  fi
  local runs rate
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  # Forked runs print no final statistics: take the last progress line.
  [ -n "$runs" ] || runs=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | sed -E 's/^#([0-9]+).*/\1/')
  [ -n "$rate" ] || rate=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | sed -E 's/.*exec\/s:? ([0-9]+).*/\1/')
  echo "fuzz: $name ${seconds}s: $runs runs, $rate exec/s, corpus $(ls "$corpus" | wc -l) + $(ls "$top/fuzz/corpus/$name" | wc -l) seeds"
}
