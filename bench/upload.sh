#!/bin/bash
# Upload benchmark: a full 64 KB image uploaded by zelcomp to the virtual
# module, which takes the bytes in at the wire speed of 115200 bit/s.
#
#   bench/upload.sh [build directory]      (default: build)
#
# The module listens at 9600 bit/s as after power-on; zelcomp finds it,
# switches both sides to 115200 and streams the file. Prints the file size,
# the wire limit (bytes x 10 / 115200), the wall time of the upload, when
# the module took the last byte, the CPU time zelcomp used, and checks
# the module's EEPROM against the object file.
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

"$build/zelsim" --pace --exit-after-upload --dump eeprom.bin > line &
sim=$!
while [ ! -s line ]; do sleep 0.01; done
export ZEL_COM1=$(head -n1 line)

start=$(date +%s.%N)
TIMEFORMAT='%R %U %S'
{ time "$build/zelcomp" -c1 -b115200 full.EEP > console.txt ; } 2> times.txt
wait "$sim"
sim=
end=$(date +%s.%N)

read -r wall user sys < times.txt
bytes=$(stat -c %s full.EEP)
echo "upload file:        $bytes bytes"
awk -v b="$bytes" -v w="$wall" -v u="$user" -v s="$sys" -v t0="$start" -v t1="$end" 'BEGIN {
    printf "wire limit:         %.2f s (bytes x 10 / 115200)\n", b * 10 / 115200
    printf "zelcomp wall time:  %.2f s\n", w
    printf "module done after:  %.2f s\n", t1 - t0
    printf "zelcomp CPU time:   %.2f s user, %.2f s system\n", u, s
}'
if cmp -s <(tail -c +17 eeprom.bin | head -c 65520) <(tail -c +17 full.EEO); then
    echo "EEPROM:             equals full.EEO from address 16 on"
else
    echo "EEPROM:             DIFFERS from full.EEO"
    cat console.txt
    exit 1
fi
