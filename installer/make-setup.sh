#!/usr/bin/env bash
# Runs makensis for one setup program once the i686 DLL it carries exists.
# Usage: make-setup.sh MAKENSIS OUTPUT makensis-arguments...
set -euo pipefail
makensis=$1
output=$2
shift 2
for arg in "$@"; do
  case $arg in
    -DDLL32=*)
      dll32=${arg#-DDLL32=}
      [ -f "$dll32" ] || { echo "The i686 Telvora.dll is missing ($dll32): build the win32 preset first (tools/build-setup does both)." >&2; exit 1; } ;;
  esac
done
mkdir -p "$(dirname "$output")"
"$makensis" -V2 -NOCD "$@"
