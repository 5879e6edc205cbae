#!/usr/bin/env bash
# Installs the Debian packages a build needs, only when something is missing.
# Usage: deps.sh [native|fuzz|bench|win64]... (every set includes the base set; the install check uses pkg-config)
set -euo pipefail
want=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest ccache pkg-config)
for set in "$@"; do
  case "$set" in
    native) want+=(libmpfr-dev) ;;
    fuzz) want+=(clang libclang-rt-14-dev) ;;
    bench) want+=(libbenchmark-dev libfmt-dev libglib2.0-dev libinih-dev) ;;
    exports) want+=(python3-clang-14) ;;
    win64) want+=(g++-mingw-w64-x86-64-posix wine64 wine) ;;
    *) echo "deps.sh: unknown set $set" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
