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
        "path flatten ../a.txt --from unix --utf8"
        dirs "path short /home/ann/docs/report.txt /home/bob/Report.TXT --width 24" vol)
  # The tour's own files live in one temporary folder, removed on exit.
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  # A small preference file, written and read back as typed values.
  cfg_file=$scratch/prefs.ini
  tour+=("cfg set $cfg_file Prefs Volume 11 --type I32" "cfg set $cfg_file Prefs Fast yes --type Bool"
         "cfg set $cfg_file Prefs Folders a:\\x;b:\\y --type PLst" "cfg get $cfg_file Prefs Volume --type I32"
         "cfg get $cfg_file Prefs Fast --type Bool" "cfg get $cfg_file Prefs Folders --type PLst" "cfg list $cfg_file")
  # The record of a file of the tour's own.
  sample=$scratch/sample.txt
  echo "tour sample" >"$sample"
  tour+=("stat $sample")
  # A symbolic link of the tour's own, followed to its target step by step.
  ln -s "$sample" "$scratch/link-to-sample"
  tour+=("path resolve $scratch/link-to-sample")
fi
for cmd in "${tour[@]}"; do
  echo "== tqcore $cmd"
  # shellcheck disable=SC2086 # each entry is a command line
  "$tq" $cmd
done
# The default tour also builds a small resource file with string, string-list and path resources, lists it
# and shows one of each.
if [ -z "${TQCORE_TOUR:-}" ]; then
  rsrc=("$tq" rsrc)
  file="$scratch/tour.rsc"
  echo "== tqcore rsrc: a resource file in $scratch"
  "${rsrc[@]}" new "$file"
  "${rsrc[@]}" add "$file" "STR " 128 --name greeting --string "Hello from a resource file"
  "${rsrc[@]}" add "$file" "STR#" 129 --string first --string second --string third
  "${rsrc[@]}" add "$file" PTH0 130 --path "$file"
  echo "== tqcore rsrc list tour.rsc"
  "${rsrc[@]}" list "$file"
  for item in "STR |greeting" "STR#|129" "PTH0|130"; do
    echo "== tqcore rsrc show tour.rsc \"${item%%|*}\" ${item##*|}"
    "${rsrc[@]}" show "$file" "${item%%|*}" "${item##*|}"
  done
  "${rsrc[@]}" check "$file"
fi
