# Sourced by the Windows test scripts: the Wine launcher and Windows tools of the bitness under test
# (TELVORA_WINE_BITS, 64 unless set), for a wine64 prefix, which runs 32-bit programs through WoW64.
#   wine     starts a program of that bitness
#   tools    the folder of Windows' own tools of that bitness (regsvr32.exe, reg.exe, cscript.exe)
#   wine64   the 64-bit launcher, which creates and serves the prefix itself
# Without 32-bit Wine (wine32:i386) a 32-bit program started by wine64 ends silently with exit code
# 0, so a 32-bit test, or a 64-bit one that starts 32-bit programs (TELVORA_WINE_STARTS_32_BIT=1:
# the setup program's), then reports itself skipped (exit code 77, CTest's SKIP_RETURN_CODE) by
# name instead of passing.
wine64=/usr/lib/wine/wine64
wine32=/usr/lib/wine/wine
bits=${TELVORA_WINE_BITS:-64}
case $bits in
  64) wine=$wine64 tools='C:\windows\system32' ;;
  32) wine=$wine32 tools='C:\windows\syswow64' ;;
  *) echo "TELVORA_WINE_BITS must be 32 or 64, not '$bits'" >&2; exit 2 ;;
esac
if { [ "$bits" = 32 ] || [ "${TELVORA_WINE_STARTS_32_BIT:-}" = 1 ]; } && [ ! -x "$wine32" ]; then
  echo "SKIPPED: 32-bit Wine is not installed (no $wine32): this test of 32-bit programs did not run. tools/install-deps installs wine32:i386."
  exit 77
fi
