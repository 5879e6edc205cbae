# Shared by the Win64 scripts: a private Wine prefix in the build tree and one wine server kept up around the
# runs. A server that a test started itself would hold ctest's pipes open (seconds per test, or for ever).
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

# wine_up BUILD_DIR: starts the server and the prefix; wine_down stops the server.
wine_up() {
  export WINEPREFIX="$(cd "$1" && pwd)/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  unset DISPLAY WAYLAND_DISPLAY
  mkdir -p "$WINEPREFIX"
  "$wineserver" -p >/dev/null 2>&1 </dev/null
  "$wine64" wineboot -i >/dev/null 2>&1 </dev/null
}
wine_down() { "$wineserver" -k >/dev/null 2>&1 </dev/null || true; }
