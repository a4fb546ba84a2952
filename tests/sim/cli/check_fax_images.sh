#!/usr/bin/env bash
# Runs the demo and checks every fax that left the simulated machine with libtiff's own inspector:
# CCITT Group 3 coded one-dimensionally, 1728 pixels wide, fine resolution (204 by 196 dots per
# inch), and as many pages as its job says, each with a PNG preview. A fax machine at the other end takes nothing else.
set -euo pipefail
sim=$1
out=$2
rm -rf "$out"
"$sim" --out "$out" demo >"$out.log" 2>&1 || { cat "$out.log"; exit 1; }
jobs=0
for image in "$out"/*/outbox/job-*/fax.tif; do
  [ -e "$image" ] || { echo "no fax image in $out"; exit 1; }
  folder=$(dirname "$image")
  info=$(tiffinfo "$image")
  pages=$(grep -c '^TIFF Directory' <<<"$info")
  want=$(sed -n 's/^ *"pages": \([0-9]*\).*/\1/p' "$folder/job.json")
  fail() { echo "$image: $1"; echo "$info"; exit 1; }
  [ "$pages" = "$want" ] || fail "$pages page(s), its job says $want"
  [ "$(grep -c 'Compression Scheme: CCITT Group 3' <<<"$info")" = "$pages" ] || fail "not CCITT Group 3 on every page"
  [ "$(grep -c 'Image Width: 1728 ' <<<"$info")" = "$pages" ] || fail "not 1728 pixels wide on every page"
  [ "$(grep -c 'Resolution: 204, 196 pixels/inch' <<<"$info")" = "$pages" ] || fail "not 204 by 196 dots per inch"
  # One-dimensional coding with each line's end on a byte boundary, least significant bit first: what
  # every fax machine reads (two-dimensional coding is a capability the far end may not have).
  [ "$(grep -c 'Group 3 Options: EOL padding (4 = 0x4)' <<<"$info")" = "$pages" ] || fail "not one-dimensional coding with padded ends of line"
  [ "$(grep -c 'FillOrder: lsb-to-msb' <<<"$info")" = "$pages" ] || fail "not least significant bit first"
  for ((p = 1; p <= pages; p++)); do
    [ -s "$folder/page-$p.png" ] || fail "no preview of page $p"
  done
  jobs=$((jobs + 1))
done
echo "$jobs fax image(s) checked"
