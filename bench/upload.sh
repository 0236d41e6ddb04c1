#!/bin/bash
# Upload benchmark: a full 64 KB image uploaded by zelcomp to the virtual
# module, which takes the bytes in and sends its replies at the wire speed
# of 115200 bit/s; once as it is, once with --verify.
#
#   bench/upload.sh [build directory]      (default: build)
#
# The module listens at 9600 bit/s as after power-on; zelcomp finds it,
# switches both sides to 115200 and streams the file. Prints the file size,
# the wire limit (bytes x 10 / 115200), and for each run the wall time of
# the upload, the CPU time zelcomp used and its exit status, and checks the
# module's EEPROM against the object file.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
sim=
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT

${CXX:-c++} -std=c++17 -O2 -I "$src/zelcomp" -o "$work/upload_image" \
    "$src/bench/upload_image.cpp" "$build/libzelrun.a" "$build/libzelcore.a" \
    "$build/libzelserial.a"
cd "$work"
./upload_image
bytes=$(stat -c %s full.EEP)
echo "upload file:        $bytes bytes"
awk -v b="$bytes" 'BEGIN { printf "wire limit:         %.2f s (bytes x 10 / 115200)\n", b * 10 / 115200 }'

# One upload with the given zelcomp options; the module ends when zelcomp has.
lauf() {
    rm -f line eeprom.bin
    "$build/zelsim" --pace --dump eeprom.bin > line &
    sim=$!
    while [ ! -s line ]; do sleep 0.01; done
    export ZEL_COM1=$(head -n1 line)
    TIMEFORMAT='%R %U %S'
    status=0
    { time "$build/zelcomp" -c1 -b115200 "$@" full.EEP > console.txt || status=$?; } 2> times.txt
    kill -TERM "$sim"
    wait "$sim" || true
    sim=
    read -r wall user sys < times.txt
    awk -v w="$wall" -v u="$user" -v s="$sys" -v st="$status" -v o="${*:-plain}" 'BEGIN {
        printf "%-10s wall %.2f s, CPU %.2f s user + %.2f s system, exit status %d\n", o, w, u, s, st
    }'
    if [ "$status" -ne 0 ] || ! cmp -s <(tail -c +17 eeprom.bin | head -c 65520) <(tail -c +17 full.EEO); then
        echo "EEPROM differs from full.EEO, or the upload failed:"
        cat console.txt
        exit 1
    fi
}

lauf
lauf --verify
echo "EEPROM:             equals full.EEO from address 16 on, both runs"
