#!/usr/bin/env bash
# The private Wine prefix of a Windows build tree and the virtual display its dialog tests use:
# "create" makes a fresh prefix and starts Xvfb on DISPLAY, "stop" ends this prefix's wine server
# and that Xvfb (by its recorded process id) once the tests are done.
# The prefix is a 64-bit one either way; a 32-bit build tree's (TELVORA_WINE_BITS=32) runs its
# programs through WoW64, which "create" checks before any 32-bit test relies on it.
# Usage: wine-prefix.sh create|stop PREFIX   (DISPLAY names the virtual display, e.g. :117)
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all
. "$(dirname "$0")/wine-tools.sh"
# No Mono or Gecko installers: the tests need neither, and their prompts would stall a headless run.
export WINEDLLOVERRIDES="mscoree,mshtml="
server=/usr/lib/wine/wineserver
xvfb_pid_file="$WINEPREFIX.xvfb.pid"
case $action in
  create)
    if [ -d "$WINEPREFIX" ]; then
      "$server" -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
    fi
    if [ -f "$xvfb_pid_file" ]; then
      kill "$(cat "$xvfb_pid_file")" 2>/dev/null || true
      rm -f "$xvfb_pid_file"
      sleep 0.5
    fi
    # Every wine process of the run must see the display, or later dialogs fail to open. It is as
    # large as a 1024 by 768 desktop at 200 % scaling, where the gallery photographs the dialogs too.
    setsid Xvfb "$DISPLAY" -screen 0 2048x1536x24 -nolisten tcp </dev/null >"$WINEPREFIX.xvfb.log" 2>&1 &
    echo $! >"$xvfb_pid_file"
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break
      sleep 0.1
    done
    kill -0 "$(cat "$xvfb_pid_file")" 2>/dev/null || { echo "Xvfb did not start on $DISPLAY" >&2; cat "$WINEPREFIX.xvfb.log" >&2; exit 1; }
    # One wine server for the whole test run: without it every test program starts a server of its
    # own, and with it the fax and RPC services again, which costs seconds per program.
    mkdir -p "$WINEPREFIX"
    "$server" -p </dev/null >/dev/null 2>&1
    # A 32-bit helper is missing on a 64-bit-only Wine; wineboot says so and goes on.
    "$wine64" wineboot -i >/dev/null 2>&1
    [ -f "$WINEPREFIX/drive_c/windows/system32/cscript.exe" ] || { echo "wineboot did not create $WINEPREFIX" >&2; exit 1; }
    # A 32-bit program that cannot start ends silently: its words on the console are the proof.
    answer=$("$wine" "$tools\\cmd.exe" /c echo "running-$bits-bit" 2>/dev/null | tr -d '\r')
    [ "$answer" = "running-$bits-bit" ] || { echo "FAIL: $bits-bit programs do not run in $WINEPREFIX" >&2; exit 1; }
    # Without a window manager Wine waits at every modal close unless windows are unmanaged.
    "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    # Dialogs drawn as on Windows: Wine's own Tahoma (what "MS Shell Dlg" stands for) and Marlett
    # (the caption buttons) from the Fonts folder, where Wine looks for them, and a metric twin of
    # Arial for the captions that ask for it.
    for font in /usr/share/wine/fonts/*.ttf; do
      ln -sf "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
    done
    "$wine64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null
    ;;
  stop)
    # End the run's programs and its persistent server, which writes the registry as it leaves.
    "$server" -k 2>/dev/null || true
    timeout 30 "$server" -w || true
    if [ -f "$xvfb_pid_file" ]; then
      kill "$(cat "$xvfb_pid_file")" 2>/dev/null || true
      rm -f "$xvfb_pid_file"
    fi
    ;;
  *) echo "usage: $0 create|stop PREFIX" >&2; exit 2 ;;
esac
