#!/usr/bin/env bash
# Times the compiler on the generated benchmark source: a ZEL530-5 image
# filled to its last byte (see bench/genbench.cpp).
#
#   bench/compile.sh [build directory [runs]]      (default: build, 20 runs)
#
# Prints the wall time of one compile (minimum and median of the runs, the
# process start included), lines per second at the median, and the peak
# resident memory of one compile.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-20}
zel=$build/zelcomp
gen=$build/genbench
if [ ! -x "$zel" ] || [ ! -x "$gen" ]; then
    echo "build first: cmake -S . -B build && cmake --build build -j2" >&2
    exit 1
fi

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$gen" "$dir" >/dev/null
cd "$dir"
lines=$(cat ./*.mac ./*.inc | wc -l)
files=$(ls ./*.mac ./*.inc | wc -l)
if ! "$zel" bench.mac </dev/null | grep -q '^ 65536 bytes used$'; then
    echo "the benchmark source did not compile to a full image" >&2
    exit 1
fi

for _ in $(seq "$runs"); do
    t0=$(date +%s%N)
    "$zel" bench.mac </dev/null >/dev/null
    t1=$(date +%s%N)
    echo $(( (t1 - t0) / 1000 ))
done | sort -n >times.txt

mem=
if [ -x /usr/bin/time ]; then
    /usr/bin/time -f '%M' -o mem.txt "$zel" bench.mac </dev/null >/dev/null
    mem=$(cat mem.txt)
fi

awk -v lines="$lines" -v files="$files" -v runs="$runs" -v mem="$mem" '
    { t[NR] = $1 }
    END {
        med = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
        printf "source:      %d lines in %d files, 65536 bytes of EEPROM image\n", lines, files
        printf "wall time:   %.1f ms median, %.1f ms minimum of %d runs\n", med / 1000, t[1] / 1000, runs
        printf "speed:       %d lines per second\n", lines / (med / 1e6)
        if (mem != "")
            printf "peak memory: %.1f MB (%d KB)\n", mem / 1024, mem
    }' times.txt
