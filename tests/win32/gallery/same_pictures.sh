#!/usr/bin/env bash
# The i686 build's dialogs against the x86_64 build's, picture by picture: the same dialog template
# must come out pixel for pixel the same whichever bitness built it (a structure packed or aligned
# differently in 32-bit code shows here). At 150 and 200 % ("@" in the name) Wine's 32-bit font
# rasteriser places the odd underline or glyph edge a pixel apart from its 64-bit one: up to one
# pixel in 10,000 may differ there, far below what a control moved or resized by one unit changes. The x86_64 pictures count only when taken after both
# gallery programs were last built; otherwise there is nothing current to compare with.
# Usage: same_pictures.sh THIS_GALLERY THIS_PROGRAM OTHER_GALLERY OTHER_PROGRAM
set -uo pipefail
here=$1 here_program=$2 other=$3 other_program=$4
shopt -s nullglob
pictures=("$here"/*.png)
[ ${#pictures[@]} -gt 0 ] || { echo "FAIL: no pictures in $here"; exit 1; }
for picture in "${pictures[@]}"; do
  theirs="$other/$(basename "$picture")"
  if [ ! -f "$theirs" ] || [ ! "$theirs" -nt "$here_program" ] || [ ! "$theirs" -nt "$other_program" ]; then
    echo "SKIPPED: no current picture $theirs (run the win64 preset's tests first)"
    exit 77
  fi
done
failures=0
for picture in "${pictures[@]}"; do
  differ=$(/usr/bin/compare -metric AE "$picture" "$other/$(basename "$picture")" null: 2>&1)
  allowed=0
  case $(basename "$picture") in
    *@*) allowed=$(( $(/usr/bin/identify -format '%w*%h' "$picture") / 10000 )) ;;
  esac
  [[ "$differ" =~ ^[0-9]+$ ]] && [ "$differ" -le "$allowed" ] ||
    { echo "FAIL: $(basename "$picture") differs in $differ pixels"; failures=$((failures + 1)); }
done
[ "$failures" -eq 0 ] && echo "ok: ${#pictures[@]} pictures the same in both builds"
exit "$failures"
