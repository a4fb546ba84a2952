#!/usr/bin/env bash
# Reads the compiled help file and checks what F1 and the Help command rely on: each topic number
# maps to its page ("#IVB" pairs a number with a name in "#STRINGS"), a page HTML Help finds inside
# the file under that name, and the error log's pop-up topic file is inside too.
# Usage: help_map.sh Telvora.chm
set -uo pipefail
chm=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
extract_chmLib "$chm" "$out" >/dev/null || { echo "FAIL: $chm cannot be read"; exit 1; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

declare -A mapped
# "#IVB": its size, then (topic number, offset of the page's name in "#STRINGS") pairs.
read -ra numbers <<<"$(od -A n -t u4 -v -j 4 "$out/#IVB" | tr -s ' \n' ' ')"
for ((i = 0; i + 1 < ${#numbers[@]}; i += 2)); do
  mapped[${numbers[i]}]=$(dd if="$out/#STRINGS" bs=1 skip="${numbers[i + 1]}" 2>/dev/null | tr '\0' '\n' | head -n 1)
done
for pair in 1000:overview.htm 1010:merge.htm 1070:sending.htm 1075:quickfax.htm 2000:setup.htm; do
  topic=${pair%%:*} page=${pair#*:}
  name=${mapped[$topic]:-}
  [ "$(basename "$name")" = "$page" ] || fail "topic $topic opens '${name:-nothing}', not $page"
  # The name as HTML Help looks it up inside the help file: a page there, the one in the contents.
  grep -q "<h1>" "$out/${name#/}" 2>/dev/null || fail "topic $topic: '$name' is not in the help file"
  cmp -s "$out/${name#/}" "$out/$page" || fail "topic $topic: '$name' is not the page $page of the contents"
done
[ ${#mapped[@]} -eq 5 ] || fail "the help file maps ${#mapped[@]} topic numbers, not 5"
grep -q "^\.topic 5301" "$out/Telvora PopUp.txt" 2>/dev/null || fail "the pop-up topic file is not in the help file"
[ "$failures" -eq 0 ] && echo "ok: 5 topics mapped" || exit 1
