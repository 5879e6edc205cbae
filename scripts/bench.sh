#!/usr/bin/env bash
# Builds the benchmarks against the shared library, runs every one of them in alternating rounds and prints
# one table of ratios (ours / peer, median over the rounds; below 1 means the library is faster).
# Usage: bench.sh [rounds]   (default 5). TQCORE_BENCH_FILTER restricts the run to benchmarks matching a
# regular expression; TQCORE_BENCH_MIN_TIME sets each round's minimum time in seconds (default 0.2).
source "$(dirname "$0")/common.sh"
rounds=${1:-5}
dir=$top/build/bench
"$top/scripts/deps.sh" bench
build_tree "$dir" -DCMAKE_BUILD_TYPE=Release -DTQCORE_BENCH=ON -DTQCORE_TESTS=OFF >/dev/null

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
filter=${TQCORE_BENCH_FILTER:-.}
for program in "$dir"/bench/bench_*; do
  [ -x "$program" ] || continue
  name=${program##*/}
  # A program without a matching case writes an empty result file, which is no table: it is left out.
  if [ -z "$("$program" --benchmark_list_tests=true --benchmark_filter="$filter" 2>/dev/null)" ]; then
    echo "skipping $name: no case matches" >&2
    continue
  fi
  echo "running $name" >&2
  "$program" --benchmark_repetitions="$rounds" --benchmark_enable_random_interleaving=true \
    --benchmark_min_time="${TQCORE_BENCH_MIN_TIME:-0.2}" --benchmark_filter="$filter" \
    --benchmark_out="$out/$name.json" --benchmark_out_format=json >/dev/null
done

# program | ours | peer | target ratio (- when none) | what is measured
python3 - "$out" <<'EOF'
import json, os, sys

PAIRS = """
bench_memory|BM_HandleNewDispose/16|BM_MallocFree/16|1.5|DSNewHandle+DSDisposeHandle 16 B vs malloc+free
bench_memory|BM_HandleNewDispose/256|BM_MallocFree/256|1.5|DSNewHandle+DSDisposeHandle 256 B vs malloc+free
bench_memory|BM_HandleNewDispose/4096|BM_MallocFree/4096|1.5|DSNewHandle+DSDisposeHandle 4096 B vs malloc+free
bench_memory|BM_HandleSizeDoubling|BM_ReallocDoubling|-|DSSetHandleSize doubling to 1 MiB vs realloc
bench_threads|BM_ThMutexAcquireRelease|BM_StdMutexLockUnlock|1.5|ThMutex acquire+release vs std::mutex
bench_threads|BM_ThMutexAcquireRelease/real_time/threads:2|BM_StdMutexLockUnlock/real_time/threads:2|-|ThMutex, two threads vs std::mutex
bench_threads|BM_ThReadLock|BM_StdSharedMutexReadLock|-|ThReaderWriterMutex read lock vs std::shared_mutex
bench_strings|BM_LStrCmp64|BM_StdStringCompare64|1.2|LStrCmp 64 B differing at byte 60 vs std::string::compare
bench_strings|BM_LStrCmp|BM_StdStringCompare|-|LStrCmp 256 B differing at the end vs std::string::compare
bench_strings|BM_LStrCaseCmp64|BM_Strcasecmp64|1.2|LStrCaseCmp 64 B differing in case at every byte vs strcasecmp
bench_strings|BM_LStrCaseCmp|BM_Strcasecmp|-|LStrCaseCmp 256 B of words vs strcasecmp
bench_strings|BM_LStrCatEfficient8|BM_StdStringAppend8|1.5|LStrCatEfficient 100,000 x 8 B vs std::string::append
bench_strings|BM_LStrCatEfficient|BM_StdStringAppend|-|LStrCatEfficient 1,000,000 x 1-9 B vs std::string::append
bench_strings|BM_Utf8RoundTrip|BM_IconvRoundTrip|-|UTF-8 to UTF-16 and back, 1 MiB vs iconv
bench_format|NumToAnyString_17|Snprintf_17|0.33|NumToAnyString double, 17 digits vs snprintf %.16e
bench_format|Engine_d|Snprintf_d|1.0|SPrintf %d vs snprintf
bench_format|Engine_x|Snprintf_x|1.0|SPrintf %x vs snprintf
bench_format|Engine_f6|Snprintf_f6|1.0|SPrintf %.6f vs snprintf
bench_format|Engine_e17|Snprintf_e17|1.0|SPrintf %.16e vs snprintf
bench_format|Engine_mixed|Snprintf_mixed|-|SPrintf mixed directives vs snprintf
bench_format|Engine_d|FmtRt_d|1.0|SPrintf %d vs fmt::format_to_n, run-time format
bench_format|Engine_x|FmtRt_x|1.0|SPrintf %x vs fmt::format_to_n, run-time format
bench_format|Engine_f6|FmtRt_f6|1.0|SPrintf %.6f vs fmt::format_to_n, run-time format
bench_format|Engine_e17|FmtRt_e17|1.0|SPrintf %.16e vs fmt::format_to_n, run-time format
bench_format|Scan_Library|Scan_Strtod|-|StringToPacked mixed texts vs strtod
bench_format|Scan17_Library|Scan17_Strtod|-|StringToPacked 17 digits vs strtod
bench_numerics|BM_ExpX|BM_expl|-|ExpX vs expl
bench_numerics|BM_LogN|BM_logl|-|LogN vs logl
bench_numerics|BM_PowerX|BM_powl|-|PowerX vs powl
bench_numerics|BM_SinX|BM_sinl|-|SinX vs sinl
bench_numerics|BM_RTfAddD|BM_PlainAdd|-|RTfAddD vs +
bench_numerics|BM_RTfSqrtD|BM_PlainSqrt|-|RTfSqrtD vs std::sqrt
bench_sortsearch|BM_QSort_Int32|BM_LibcQsort_Int32|-|QSort int32 vs qsort
bench_sortsearch|BM_QSort_Record24|BM_LibcQsort_Record24|-|QSort 24 B records vs qsort
bench_sortsearch|BM_BinSearch|BM_LowerBound|-|BinSearch vs std::lower_bound
bench_cookies|BM_CookieLookup|BM_UnorderedMapFind|-|cookie lookup vs std::unordered_map::find
bench_stackchain|BM_StackChainRecord|BM_PeerBacktrace|-|stack chain record vs backtrace
bench_bindata|BM_WriterWrite_Int32|BM_LoopWrite_Int32|-|binary writer int32 vs hand-written loop
bench_bindata|BM_ReaderRead_Int32|BM_LoopRead_Int32|-|binary reader int32 vs hand-written loop
bench_bindata|BM_WriterWrite_Double|BM_LoopWrite_Double|-|binary writer double vs hand-written loop
bench_bindata|BM_ReaderRead_Double|BM_LoopRead_Double|-|binary reader double vs hand-written loop
bench_paths|Build_PathRef|Build_StdPath|-|PathRef building vs std::filesystem::path
bench_paths|Equal_PathRef|Equal_StdPath|-|PathRef equality vs std::filesystem::path
bench_paths|Parent_PathRef|Parent_StdPath|-|PathRef parent vs std::filesystem::path
bench_occurrences|BM_TQEventQueue_OneProducerOneConsumer|BM_StdDequeMutexCV_OneProducerOneConsumer|-|event queue, producer and consumer vs deque+mutex+condvar
bench_occurrences|BM_TQEventQueue_PostThenProcess|BM_StdDequeMutex_PostThenProcess|-|event queue post then process vs deque+mutex
bench_config|Load_ConfigManager|Load_GKeyFile|1.0|loading a 10,000-line preference file vs GKeyFile
bench_config|Load_ConfigManager|Load_Inih|1.5|loading a 10,000-line preference file vs inih
bench_config|Lookup_CfgGetDefault|Lookup_GKeyFile|1.0|CfgGetDefault of an I32 vs g_key_file_get_integer
bench_config|Save_ConfigManager/real_time|Save_GKeyFile/real_time|-|rewrite after one change (flushed) vs g_key_file_save_to_file
bench_files|Read_FMRead|Read_Posix|1.1|64 MiB in 64 KiB blocks, FMRead vs read
bench_files|Write_FMWrite|Write_Posix|1.1|64 MiB in 64 KiB blocks, FMWrite vs write
bench_files|OpenClose_FMOpenDeny|OpenClose_Posix|-|FMOpen with a deny mode + FMClose vs open+close
bench_resources|BM_ResourceLookup/iterations:1000000|BM_StdMapLookup/iterations:1000000|1.5|1,000,000 lookups by type and ID in 10,000 resources vs std::map
bench_resources|BM_ResourceGetLoaded/iterations:1000000|BM_StdMapLookup/iterations:1000000|-|RGet of loaded resources vs std::map
bench_files_paths|BM_ListFolder_FGetInfo64|BM_ListFolder_StdStatus|1.5|listing 10,000 files with FGetInfo64 vs directory_iterator+status
bench_files_paths|BM_FGetInfo64|BM_Stat|1.5|FGetInfo64 on one path vs stat
bench_string_classes|BM_PKStringAppend8|BM_StdStringAppend8Peer|1.2|PKString append 100,000 x 8 B vs std::string::append
bench_string_classes|BM_PKStringPrintf|BM_SnprintfString|1.0|PKString::Printf into a string vs snprintf + assign
bench_string_classes|BM_PKStringPrintf|BM_FmtString|-|PKString::Printf into a string vs fmt::format_to
bench_string_classes|BM_CPStrSearch|BM_VectorStringSearch|-|CPStrSearch over 10,000 strings vs a std::vector<std::string> scan
bench_memory|BM_CachedBuffer/20000|BM_FreshBuffer/20000|0.33|buffer cache reuse 20000 B vs a fresh DSNewHandle
bench_memory|BM_CachedBuffer/40000|BM_FreshBuffer/40000|0.33|buffer cache reuse 40000 B vs a fresh DSNewHandle
bench_memory|BM_MillionHandlesTracked|BM_MillionHandlesUntracked|-|1,000,000 handles with allocation tracking vs without
"""

def medians(path):
    # Threaded and real-time cases are timed by the wall clock, the others by the CPU time of the thread.
    with open(path) as f:
        data = json.load(f)
    got = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median":
            key = "real_time" if "real_time" in b["run_name"] else "cpu_time"
            got[b["run_name"]] = b[key]
    return got

# A case is named as registered; modifiers the library appends (/real_time, /iterations:5) may follow.
def lookup(r, name):
    if name in r:
        return r[name]
    found = [v for k, v in r.items() if k.startswith(name + "/")]
    return found[0] if len(found) == 1 else None

results = {}
rows = []
for line in PAIRS.strip().splitlines():
    program, ours, peer, target, what = line.split("|")
    path = os.path.join(sys.argv[1], program + ".json")
    if program not in results:
        results[program] = medians(path) if os.path.exists(path) else {}
    r = results[program]
    t_ours, t_peer = lookup(r, ours), lookup(r, peer)
    if t_ours is None or t_peer is None:
        rows.append((what, None, target, "not run"))
        continue
    ratio = t_ours / t_peer
    verdict = "" if target == "-" else ("met" if ratio <= float(target) else "MISSED")
    rows.append((what, ratio, target, verdict))

width = max(len(w) for w, *_ in rows) if rows else 10
print(f"{'operation':<{width}}  ours/peer  target")
for what, ratio, target, verdict in rows:
    if ratio is None:
        print(f"{what:<{width}}  {'-':>9}  {verdict}")
        continue
    shown = "" if target == "-" else f"{target:>6}  {verdict}"
    print(f"{what:<{width}}  {ratio:9.2f}  {shown}")
EOF

# The pooled path element store against the one that allocates each element: a second copy of the library built
# with the latter in its own tree, and the creation and destruction cases of bench_paths linked to each copy.
store_cases='^(Create|Destroy)_PathRef$'
if grep -qE "$filter" <<<"Create_PathRef Destroy_PathRef"; then
  simple=$top/build/bench-simple-store
  configure_tree "$simple" -DCMAKE_BUILD_TYPE=Release -DTQCORE_BENCH=ON -DTQCORE_TESTS=OFF -DTQCORE_PATH_SIMPLE_STORE=ON
  cmake --build "$simple" -j "$jobs" --target bench_paths >/dev/null
  for store in pooled:"$dir" simple:"$simple"; do
    echo "running bench_paths with the ${store%%:*} element store" >&2
    "${store#*:}/bench/bench_paths" --benchmark_repetitions="$rounds" --benchmark_filter="$store_cases" \
      --benchmark_min_time="${TQCORE_BENCH_MIN_TIME:-0.2}" \
      --benchmark_out="$out/store-${store%%:*}.json" --benchmark_out_format=json >/dev/null
  done
  python3 - "$out" <<'PY'
import json, os, sys

def medians(path):
    with open(path) as f:
        data = json.load(f)
    return {b["run_name"]: b for b in data["benchmarks"]
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median"}

pooled = medians(os.path.join(sys.argv[1], "store-pooled.json"))
simple = medians(os.path.join(sys.argv[1], "store-simple.json"))
cases = ("Create_PathRef", "Destroy_PathRef")
print("\npath element store                  pooled/simple  target")
for case, what in zip(cases, ("creating 100,000 paths", "destroying them")):
    print(f"{what:<35} {pooled[case]['cpu_time'] / simple[case]['cpu_time']:13.2f}")
ratio = sum(pooled[c]["cpu_time"] for c in cases) / sum(simple[c]["cpu_time"] for c in cases)
print(f"{'creating and destroying, together':<35} {ratio:13.2f}    0.50  {'met' if ratio <= 0.5 else 'MISSED'}")
for name, r in (("pooled", pooled), ("simple", simple)):
    print(f"heap bytes per element, {name}: {r['Create_PathRef']['bytes_per_element']:.1f}")
PY
fi
