# Shared by the Win64 scripts: a private Wine prefix in the build tree and one wine server kept up around the
# runs. A server that a test started itself would hold ctest's pipes open (seconds per test, or for ever).
# Reading this file looks nothing up: the stage sources it before deps.sh has installed Wine.
wine64=/usr/lib/wine/wine64

# The server program, found when it is first needed.
wine_server() {
  if [ -x /usr/lib/wine/wineserver64 ]; then
    echo /usr/lib/wine/wineserver64
  else
    command -v wineserver || { echo "wine.sh: no wineserver: install the win64 package set (deps.sh win64)" >&2; return 1; }
  fi
}

# wine_up BUILD_DIR: starts the server and the prefix; wine_down stops the server.
wine_up() {
  local server prefix
  server=$(wine_server)
  [ -x "$wine64" ] || { echo "wine.sh: $wine64 missing: install the win64 package set (deps.sh win64)" >&2; return 1; }
  prefix="$(cd "$1" && pwd)/wineprefix"
  export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  unset DISPLAY WAYLAND_DISPLAY
  mkdir -p "$WINEPREFIX"
  "$server" -p >/dev/null 2>&1 </dev/null
  "$wine64" wineboot -i >/dev/null 2>&1 </dev/null
}
wine_down() {
  local server
  server=$(wine_server 2>/dev/null) || return 0
  "$server" -k >/dev/null 2>&1 </dev/null || true
}
