#!/usr/bin/env bash
# Runs a Windows program under Wine in the bitness named by TELVORA_WINE_BITS (see wine-tools.sh):
# the launcher CTest puts before the cross-built test programs. A 32-bit run without 32-bit Wine
# ends with 77, a skipped test.
set -euo pipefail
. "$(dirname "$0")/wine-tools.sh"
exec "$wine" "$@"
