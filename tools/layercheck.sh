#!/bin/sh
# The floors of zelcomp/, bottom first: a folder may include the headers of
# its own floor and of every floor below. An include running up a floor
# fails the check unless it is one of the exceptions listed below.
# Usage: tools/layercheck.sh [SOURCE_ROOT]   (exit 0 clean, 1 upward import)
root=${1:-$(dirname "$0")/..}
cd "$root/zelcomp" || exit 64

floors="basis serial expr device picture font macro driver"
# Known upward imports, "from-file -> header" as the include names them:
# the picture and font directives read their parameter list with
# parameter(), which the macro folder owns beside the commands' lists.
allowed="picture/bild.cpp -> ../macro/macro.h
font/fontdir.cpp -> ../macro/macro.h"

floor() {
    n=0
    for f in $floors; do
        [ "$f" = "$1" ] && { echo $n; return; }
        n=$((n + 1))
    done
    echo 99    # zelcomp.cpp and zelcomp.h: the top, and the context every floor sees
}

# One line per upward include; the check fails on any not listed.
bericht=$(
for file in */*.cpp */*.h */*/*.cpp */*/*.h; do
    [ -f "$file" ] || continue
    von=${file%%/*}
    grep -o '^#include "[^"]*"' "$file" | sed 's/^#include "//; s/"$//' |
    while read -r inc; do
        case $inc in
            ../zelcomp.h|../../zelcomp.h) continue ;;
            ../*/*) nach=${inc#../}; nach=${nach%%/*} ;;
            *) continue ;;          # a header of its own folder
        esac
        [ "$(floor "$nach")" -le "$(floor "$von")" ] && continue
        if printf '%s\n' "$allowed" | grep -qxF "$file -> $inc"; then
            echo "upward (allowed): $file -> $inc"
        else
            echo "upward: $file -> $inc"
        fi
    done
done)
[ -n "$bericht" ] && printf '%s\n' "$bericht"
printf '%s\n' "$bericht" | grep -q '^upward:' && exit 1
exit 0
