#!/usr/bin/env bash
# Compiles Telvora.chm with chmcmd. Usage: compile.sh CHMCMD SOURCE_DIR STAGING_DIR OUTPUT
#
# chmcmd writes each topic number's page into the help file's topic map as the page's absolute path
# on the building machine (for example /home/me/build/help/pages/overview.htm), where HTML Help
# then looks for it inside the help file. So the pages are put into the help file a second time,
# under that very path: a topic number opens its page, and the page's links and style sheet work
# from there as from the top.
set -euo pipefail
chmcmd=$1
sources=$2
staging=$(realpath -m "$3")
output=$4
rm -rf "$staging"
mkdir -p "$staging"
shopt -s nullglob
pages=("$sources"/*.htm "$sources"/*.css)
cp "$sources"/*.htm "$sources"/*.css "$sources"/*.hh? "$sources"/*.txt "$sources"/context.h "$staging"
nested=${staging#/}
mkdir -p "$staging/$nested"
cp "${pages[@]}" "$staging/$nested"
{
  while IFS= read -r line; do
    printf '%s\n' "$line"
    if [ "$line" = "[FILES]" ]; then
      for page in "${pages[@]}"; do printf '%s/%s\n' "$nested" "$(basename "$page")"; done
    fi
  done <"$sources/Telvora.hhp"
} >"$staging/Telvora.hhp"
(cd "$staging" && "$chmcmd" Telvora.hhp >/dev/null)
cp "$staging/Telvora.chm" "$output"
