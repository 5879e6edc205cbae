# Shared by the build scripts: strict mode that names the command that failed, and configuring and building
# one tree.
set -Eeuo pipefail
trap 'echo "${0##*/}: failed with status $? at ${BASH_SOURCE[0]##*/}:$LINENO: $BASH_COMMAND" >&2' ERR
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=1

# The compiler launcher, looked up when a tree is configured: deps.sh installs ccache after this file is read.
launcher_args() {
  command -v ccache >/dev/null || return 0
  echo -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
}

# configure_tree DIR [cmake args...]
configure_tree() {
  local dir=$1; shift
  # Word splitting of the launcher list is wanted: it is empty or two plain arguments.
  # shellcheck disable=SC2046
  cmake -S "$top" -B "$dir" -G Ninja $(launcher_args) "$@" >/dev/null
}

# build_tree DIR [cmake args...]
build_tree() {
  configure_tree "$@"
  cmake --build "$1" -j "$jobs"
}
