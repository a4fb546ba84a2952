#!/usr/bin/env bash
# Registers and unregisters Telvora.dll with regsvr32 the way an installer would, and checks the
# registry with `reg query` afterwards, all with Windows' tools of the DLL's bitness
# (TELVORA_WINE_BITS), so each build is seen in its own registry view.
# Usage: com_server.sh register|unregister DLL
set -uo pipefail
action=$1
dll=$2
. "$(dirname "$0")/../../cmake/wine-tools.sh"
reg() { "$wine" "$tools\\reg.exe" "$@"; }
regsvr32() { "$wine" "$tools\\regsvr32.exe" "$@"; }
platform=win$bits
windll="Z:${dll//\//\\}"

clsids=(
  "Telvora.Buttons {FDD05042-C7EF-447C-978D-E7B7C97FE935}"
  "Telvora.Pagewire {283238B9-EC67-4AD5-9590-94A72EBE8AF0}"
  "Telvora.Fax {0B6CDED4-8A45-4C78-B0BB-0702073CFE29}"
  "Telvora.FaxSBS {0632E007-9F46-4D61-8C10-2ED9619C0871}"
  "Telvora.WinFax {B428435A-44D1-427C-A699-BA4ABDA7E11D}"
)
interfaces=(
  "_Buttons {F5DFE206-230D-436A-90D9-754087D24174}"
  "_Fax {24F795A5-4C97-4B68-BF3F-412188317A8E}"
  "_FaxSBS {AE555884-44C1-4C3F-9C02-C8A28FA026D2}"
  "_WinFax {6C162C02-0197-4F52-AD4A-DC5A1AF9AAE9}"
)
libid='{47AFF9E0-E666-4B9D-935E-9AA71692A77C}'
typelib="HKCU\\Software\\Classes\\TypeLib\\$libid"
addin='HKCU\Software\Microsoft\Office\Word\Addins\Telvora.Pagewire'
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# `reg query KEY /v NAME` must show NAME with TYPE and exactly VALUE.
expect_value() {
  local key=$1 name=$2 type=$3 value=$4 out
  if [ "$name" = "" ]; then out=$(reg query "$key" /ve 2>/dev/null | tr -d '\r'); name="(Default)"
  else out=$(reg query "$key" /v "$name" 2>/dev/null | tr -d '\r'); fi
  grep -qxF "    $name    $type    $value" <<<"$out" || fail "$key [$name] is not $type '$value': $out"
}
expect_absent() {
  reg query "$1" >/dev/null 2>&1 && fail "$1 is still there"
}

case $action in
  register)
    regsvr32 /s "$windll" || { echo "FAIL: regsvr32 exit code $?"; exit 1; }
    for entry in "${clsids[@]}"; do
      read -r progid clsid <<<"$entry"
      key="HKCU\\Software\\Classes\\CLSID\\$clsid"
      expect_value "$key\\InprocServer32" "" REG_SZ "$windll"
      expect_value "$key\\InprocServer32" ThreadingModel REG_SZ Apartment
      expect_value "$key\\ProgID" "" REG_SZ "$progid"
      expect_value "HKCU\\Software\\Classes\\$progid\\CLSID" "" REG_SZ "$clsid"
      # Wine's COM reads classes only from the machine-wide hive: copy what the DLL wrote there.
      reg copy "$key" "HKLM\\Software\\Classes\\CLSID\\$clsid" /s /f >/dev/null || fail "copy $clsid"
      reg copy "HKCU\\Software\\Classes\\$progid" "HKLM\\Software\\Classes\\$progid" /s /f >/dev/null || fail "copy $progid"
    done
    for entry in "${interfaces[@]}"; do
      read -r name iid <<<"$entry"
      key="HKCU\\Software\\Classes\\Interface\\$iid"
      expect_value "$key" "" REG_SZ "$name"
      expect_value "$key\\ProxyStubClsid32" "" REG_SZ "{00020420-0000-0000-C000-000000000046}"
      expect_value "$key\\TypeLib" "" REG_SZ "$libid"
      reg copy "$key" "HKLM\\Software\\Classes\\Interface\\$iid" /s /f >/dev/null || fail "copy $iid"
    done
    expect_value "$typelib\\1.0\\0\\$platform" "" REG_SZ "$windll"
    expect_value "$typelib\\1.0\\HELPDIR" "" REG_SZ "${windll%\\*}"
    reg copy "$typelib" "HKLM\\Software\\Classes\\TypeLib\\$libid" /s /f >/dev/null || fail "copy the type library"
    expect_value "$addin" FriendlyName REG_SZ Telvora
    expect_value "$addin" Description REG_SZ "Fax quickly and easily using Fax provided with Windows XP and Windows 2000"
    expect_value "$addin" LoadBehavior REG_DWORD 0x3
    # Nothing goes to the machine-wide hive by itself: no administrator rights are needed.
    reg query 'HKLM\Software\Microsoft\Office\Word\Addins\Telvora.Pagewire' >/dev/null 2>&1 &&
      fail "registration wrote to HKEY_LOCAL_MACHINE"
    ;;
  unregister)
    regsvr32 /u /s "$windll" || fail "regsvr32 /u exit code $?"
    for entry in "${clsids[@]}"; do
      read -r progid clsid <<<"$entry"
      expect_absent "HKCU\\Software\\Classes\\CLSID\\$clsid"
      expect_absent "HKCU\\Software\\Classes\\$progid"
      reg delete "HKLM\\Software\\Classes\\CLSID\\$clsid" /f >/dev/null 2>&1
      reg delete "HKLM\\Software\\Classes\\$progid" /f >/dev/null 2>&1
    done
    for entry in "${interfaces[@]}"; do
      read -r name iid <<<"$entry"
      expect_absent "HKCU\\Software\\Classes\\Interface\\$iid"
      reg delete "HKLM\\Software\\Classes\\Interface\\$iid" /f >/dev/null 2>&1
    done
    expect_absent "$typelib"
    reg delete "HKLM\\Software\\Classes\\TypeLib\\$libid" /f >/dev/null 2>&1
    expect_absent "$addin"
    # Word's own add-in list stays; only our entry goes.
    reg query 'HKCU\Software\Microsoft\Office\Word\Addins' >/dev/null 2>&1 || fail "Word's Addins key was removed"
    regsvr32 /u /s "$windll" || fail "unregistering twice: exit code $?"
    ;;
  *) echo "usage: $0 register|unregister DLL" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] && echo "ok: $action" || exit 1
