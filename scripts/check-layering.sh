#!/usr/bin/env bash
# Fails when a unit under source/ includes across the layering declared in source/Layering.txt: a header of a
# subsystem it does not use, a header private to another subsystem's OS folder, a path through "..", or, above
# the platform layer, an OS header. The build refuses most of these on its own; this names all of them at once.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source_dir=${1:-$top/source}
layering=$source_dir/Layering.txt

declare -A uses
subsystems=()
while IFS= read -r line; do
  [[ $line =~ ^([a-z0-9_]+):(.*)$ ]] || continue
  subsystems+=("${BASH_REMATCH[1]}")
  uses[${BASH_REMATCH[1]}]=${BASH_REMATCH[2]}
done <"$layering"

# sees[s]: s itself and every subsystem it reaches through the table (lower lines only, so one pass suffices).
declare -A sees
for s in "${subsystems[@]}"; do
  set_of=" $s "
  for d in ${uses[$s]}; do
    if [[ -z ${sees[$d]:-} ]]; then
      echo "$layering: $s uses '$d', which is not declared above it" >&2
      exit 2
    fi
    for x in ${sees[$d]}; do [[ $set_of == *" $x "* ]] || set_of+="$x "; done
  done
  sees[$s]=$set_of
done

# Compiler-provided headers that are not the operating system's.
compiler_headers=" immintrin.h "
failures=0
fail() {
  echo "$1:$2: $3" >&2
  failures=$((failures + 1))
}

while IFS= read -r -d '' file; do
  rel=${file#"$source_dir"/}
  shown=${file#"$top"/}
  subsystem=${rel%%/*}
  [[ $rel == */* ]] || continue
  if [[ -z ${sees[$subsystem]:-} ]]; then
    fail "$shown" 1 "folder '$subsystem' is not a subsystem of $layering"
    continue
  fi
  while IFS=: read -r number text; do
    if [[ $text =~ \#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
      header=${BASH_REMATCH[1]}
      target=${header%%/*}
      if [[ $header == *..* ]]; then
        fail "$shown" "$number" "\"$header\" climbs out of its folder; include \"<subsystem>/X.h\""
      elif [[ $header != */* || $target == tqcore ]]; then
        continue
      elif [[ -z ${sees[$target]:-} ]]; then
        fail "$shown" "$number" "\"$header\": '$target' is not a subsystem"
      elif [[ ${sees[$subsystem]} != *" $target "* ]]; then
        fail "$shown" "$number" "\"$header\": $subsystem may not use $target (it uses:${sees[$subsystem]% })"
      elif [[ $target != "$subsystem" && $header =~ ^[a-z0-9_]+/(posix|win32)/ ]]; then
        fail "$shown" "$number" "\"$header\" is private to $target"
      fi
    elif [[ $subsystem != platform && $text =~ \#[[:space:]]*include[[:space:]]*\<([^\>]+)\> ]]; then
      header=${BASH_REMATCH[1]}
      if [[ $header == *.h || $header == */* ]] && [[ $compiler_headers != *" $header "* ]]; then
        fail "$shown" "$number" "<$header>: only the platform layer includes OS headers"
      fi
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find "$source_dir" -mindepth 2 \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' \) -print0 | sort -z)

if ((failures)); then
  echo "check-layering: $failures include(s) cross the layering of $layering" >&2
  exit 1
fi
echo "check-layering: every include under source/ keeps to $layering"
