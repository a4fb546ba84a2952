#!/usr/bin/env bash
# Checks a built Telvora.dll without running it: the four COM entry points exported under their
# plain names, and nothing imported but Windows' own DLLs (no MinGW runtime to ship beside it).
# Usage: check_exports.sh OBJDUMP DLL FORMAT (pei-x86-64 or pei-i386)
set -uo pipefail
objdump=$1
dll=$2
format=$3
dump=$("$objdump" -p "$dll") || { echo "FAIL: cannot read $dll"; exit 1; }
failures=0
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[\s*[0-9]*\]\s*//p' | sort)
expected=$(printf '%s\n' DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer)
if [ "$exports" != "$expected" ]; then
  echo "FAIL: exports are:"; echo "$exports"; failures=1
fi
system='^(kernel32|user32|advapi32|ole32|oleaut32|oleacc|ws2_32|shell32|shlwapi|comdlg32|winspool\.drv|msvcrt|gdi32|comctl32)(\.dll)?$'
while read -r name; do
  lower=$(tr 'A-Z' 'a-z' <<<"$name")
  grep -Eq "$system" <<<"$lower" || { echo "FAIL: imports $name"; failures=1; }
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
machine=$(sed -n 's/^.*file format //p' <<<"$dump" | head -1)
[ "$machine" = "$format" ] || { echo "FAIL: $dll is $machine, not $format"; failures=1; }
# 32-bit: DWARF unwinding in MinGW loses throws from C++ functions split into a cold part (see the
# i686 toolchain file), so none of ours may be split (the C runtime's threads library comes built).
if [ "$format" = pei-i386 ]; then
  split=$("$objdump" -t "$dll" | grep -c ' __Z[^ ]*\.cold')
  [ "$split" -eq 0 ] || { echo "FAIL: $split functions split into cold parts"; failures=1; }
fi
[ "$failures" -eq 0 ] && echo "ok: $dll ($machine) exports the four entry points, imports only system DLLs"
exit "$failures"
