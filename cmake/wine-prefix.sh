#!/usr/bin/env bash
# The private Wine prefix of a Windows build tree: "create" makes a fresh one, "stop" ends its
# wine server (and only that one) once the tests are done.
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all
# No Mono or Gecko installers: the tests need neither, and their prompts would stall a headless run.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
case $action in
  create)
    if [ -d "$WINEPREFIX" ]; then
      "$server" -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
    fi
    # A 32-bit helper is missing on a 64-bit-only Wine; wineboot says so and goes on.
    "$wine" wineboot -i >/dev/null 2>&1
    [ -f "$WINEPREFIX/drive_c/windows/system32/cscript.exe" ] || { echo "wineboot did not create $WINEPREFIX" >&2; exit 1; }
    ;;
  stop)
    # Let the server write the registry and leave; if a stray process keeps it alive, end it.
    timeout 30 "$server" -w || "$server" -k
    ;;
  *) echo "usage: $0 create|stop PREFIX" >&2; exit 2 ;;
esac
