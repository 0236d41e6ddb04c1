#!/bin/bash
# Upload benchmark: a full 64 KB image uploaded by zelcomp to the virtual
# module, verified, and read back by zeldump, at 115200 bit/s, with the
# replies reaching the host directly and through a USB serial adapter with
# a latency timer.
#
#   bench/upload.sh [build directory] [latencies in ms]   (default: build "0 16")
#   bench/upload.sh --wine [build directory] [Windows build directory] [latencies in ms]
#                                              (default: build build-win "0")
#
# With --wine the programs are the Windows build's zelcomp.exe and
# zeldump.exe under Wine, the module still the Linux build's zelsim: COM9
# of a throw-away Wine prefix (or of $WINEPREFIX, whose COM9 is then
# relinked) is linked to the module's pseudo-terminal, and ZEL_COM1 names
# it.
#
# The module (zelsim --pace --hold 16) takes the bytes in and sends its
# replies at the wire speed, 10 bits a byte, and holds CTS while 16 bytes
# wait unread by it, releasing it at 8. It listens at 115200 bit/s from the
# start, as a module does after an upload that stored that rate, so the
# times hold no identification scan over the slower rates. With a latency
# L > 0 (zelsim --latency L) its replies reach the host in packets of up
# to 62 bytes, each when full or L ms after its first byte.
#
# For each run: the wall time, the wire limit and their ratio (wire / wall),
# and the exit status; every run's EEPROM or backup is checked against the
# object file. The wall time is the whole run of the program, connection
# and, under Wine, the start of the Windows program included. The wire
# limits count the direction that carries more:
#   upload     the upload file, bytes x 10 / 115200
#   verify     the upload plus the 65520 bytes read back
#   read-back  the 65536 bytes of the module
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
wine=
if [ "${1:-}" = --wine ]; then
    wine=1
    shift
fi
build=$(cd "${1:-build}" && pwd)
if [ -n "$wine" ]; then
    winbuild=$(cd "${2:-build-win}" && pwd)
    latenzen=${3:-0}
else
    latenzen=${2:-0 16}
fi
work=$(mktemp -d)
sim=
eigenesprefix=
aufraeumen() {
    [ -n "$sim" ] && kill "$sim" 2>/dev/null
    [ -n "$eigenesprefix" ] && { wineserver -k 2>/dev/null || true; }
    rm -rf "$work"
}
trap aufraeumen EXIT

${CXX:-c++} -std=c++17 -O2 -I "$src/zelcomp" -o "$work/upload_image" \
    "$src/bench/upload_image.cpp" "$build/libzelrun.a" "$build/libzelcore.a" \
    "$build/libzelserial.a"
cd "$work"
./upload_image
bytes=$(stat -c %s full.EEP)

zelcomp=("$build/zelcomp")
zeldump=("$build/zeldump")
if [ -n "$wine" ]; then
    export WINEDEBUG=-all
    if [ -z "${WINEPREFIX:-}" ]; then
        export WINEPREFIX=$work/prefix
        eigenesprefix=1
        wineboot -i >/dev/null 2>&1
    fi
    # the server stays up between the runs and has started a program once,
    # as on a machine in use, so that no run pays for Wine's own start
    wineserver -w
    wineserver -p 2>/dev/null || true
    wine "$winbuild/zelcomp.exe" --version > /dev/null
    zelcomp=(wine "$winbuild/zelcomp.exe")
    zeldump=(wine "$winbuild/zeldump.exe")
    echo "programs: $winbuild/zelcomp.exe and zeldump.exe under $(wine --version 2>/dev/null)"
fi
echo "upload file: $bytes bytes; module: zelsim --pace --hold 16 -b 115200"

# Starts the module with the given options; the line's path in ZEL_COM1,
# under Wine COM9 of the prefix (Wine links the lower ones to the
# machine's own ports at its start).
modul() {
    rm -f line eeprom.bin
    "$build/zelsim" --pace --hold 16 -b 115200 --dump eeprom.bin "$@" > line &
    sim=$!
    while [ ! -s line ]; do sleep 0.01; done
    export ZEL_COM1=$(head -n1 line)
    if [ -n "$wine" ]; then
        ln -sfn "$ZEL_COM1" "$WINEPREFIX/dosdevices/com9"
        ZEL_COM1='\\.\COM9'
    fi
}

modulende() {
    kill -TERM "$sim"
    wait "$sim" || true
    sim=
}

# Times a command into wall and status; its console text into console.txt.
zeit() {
    TIMEFORMAT='%R'
    status=0
    { time "$@" > console.txt 2>&1 < /dev/null || status=$?; } 2> time.txt
    wall=$(tail -n1 time.txt)
}

zeile() {   # name, wire seconds, latency
    awk -v n="$1" -v d="$2" -v w="$wall" -v l="$3" -v st="$status" 'BEGIN {
        printf "%-17s %3d ms  wall %6.2f s  wire %6.2f s  ratio %.2f  exit status %d\n",
               n, l, w, d, d / w, st
    }'
}

fehler() {
    echo "$1 failed or gave a different EEPROM:"
    cat console.txt
    exit 1
}

hoch=$(awk -v b="$bytes" 'BEGIN { print b * 10 / 115200 }')
lesen=$(awk 'BEGIN { print 65520 * 10 / 115200 }')
alles=$(awk 'BEGIN { print 65536 * 10 / 115200 }')
for l in $latenzen; do
    opt=()
    [ "$l" -gt 0 ] && opt=(--latency "$l")
    for v in "" --verify; do
        modul "${opt[@]}"
        zeit "${zelcomp[@]}" -c1 $v full.EEP
        modulende
        [ "$status" -eq 0 ] && cmp -s <(tail -c +17 eeprom.bin) <(tail -c +17 full.EEO) ||
            fehler "upload $v"
        if [ -z "$v" ]; then
            zeile upload "$hoch" "$l"
        else
            zeile "upload --verify" "$(awk -v a="$hoch" -v b="$lesen" 'BEGIN { print a + b }')" "$l"
        fi
    done
    modul --load full.EEO "${opt[@]}"
    rm -f back.EEO
    zeit "${zeldump[@]}" -c1 -w back.EEO
    modulende
    [ "$status" -eq 0 ] && cmp -s back.EEO full.EEO || fehler "read-back"
    zeile "zeldump read-back" "$alles" "$l"
done
echo "EEPROM: equals full.EEO from address 16 on after every upload; every backup equals it whole"
