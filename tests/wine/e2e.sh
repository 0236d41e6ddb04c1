#!/usr/bin/env bash
# The Windows program under Wine beside the Linux program.
#
# Every end-to-end source, compiled by both, gives the same .EEP and .EEO
# byte for byte, the same exit status, and the same console text and
# ERROR.OUT but for the line ends (CR LF on Windows). Then zelcomp.exe
# uploads to zelsim through a COM port of the Wine prefix linked to
# zelsim's pseudo-terminal: a full 64 KB image at 115200 bit/s after a rate
# switch, with zelsim taking the bytes at wire speed and holding the line
# meanwhile, and the failures a module can cause (a module that hangs and
# holds CTS for good among them); each console text equals
# the Linux program's against the same module.
#
#   tests/wine/e2e.sh LINUX-BUILD WINDOWS-BUILD
#
# Uses $WINEPREFIX when set (it must be a prefix of its own: its COM1 and
# COM2 are relinked), else a throw-away one.
set -euo pipefail

src=$(cd "$(dirname "$0")/../.." && pwd)
lin=$(cd "${1:?usage: tests/wine/e2e.sh LINUX-BUILD WINDOWS-BUILD}" && pwd)
win=$(cd "${2:?usage: tests/wine/e2e.sh LINUX-BUILD WINDOWS-BUILD}" && pwd)
work=$(mktemp -d)
sims=()
eigenesprefix=
aufraeumen() {
    for p in "${sims[@]}"; do kill "$p" 2>/dev/null || true; done
    [ -n "$eigenesprefix" ] && { wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
    rm -rf "$work"
}
trap aufraeumen EXIT

export WINEDEBUG=-all
if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX=$work/prefix
    eigenesprefix=1
    wineboot -i >/dev/null 2>&1
fi

fehler=0
schlecht() { echo "FAIL: $*"; fehler=1; }

# The text of a file with CR LF read as LF.
text() { sed 's/\r$//' "$1"; }

# Runs one program in a fresh copy of the directory $1 with the arguments
# that follow; leaves the console text in out, the status in status.
lauf() {
    local wer=$1 dir=$2
    shift 2
    local ziel=$work/$wer
    rm -rf "$ziel"
    cp -r "$dir" "$ziel"
    local st=0
    if [ "$wer" = win ]; then
        (cd "$ziel" && wine "$win/zelcomp.exe" "$@" </dev/null >out 2>/dev/null) || st=$?
    else
        (cd "$ziel" && "$lin/zelcomp" "$@" </dev/null >out) || st=$?
    fi
    echo "$st" >"$ziel/status"
}

# Both programs on the source directory $2; name $1 in the messages.
vergleiche() {
    local name=$1 dir=$2
    shift 2
    lauf lin "$dir" "$@"
    lauf win "$dir" "$@"
    cmp -s "$work/lin/status" "$work/win/status" ||
        schlecht "$name: exit status $(cat "$work/lin/status") on Linux, $(cat "$work/win/status") on Windows"
    cmp -s <(text "$work/lin/out") <(text "$work/win/out") || schlecht "$name: console text differs"
    for f in ERROR.OUT; do
        [ -e "$work/lin/$f" ] || continue
        cmp -s <(text "$work/lin/$f") <(text "$work/win/$f") || schlecht "$name: $f differs"
    done
    for f in "$work"/lin/*.EEP "$work"/lin/*.EEO; do
        [ -e "$f" ] || continue
        cmp -s "$f" "$work/win/${f##*/}" || schlecht "$name: ${f##*/} differs"
    done
}

echo "== compile with both programs"
quellen=$work/quellen
mkdir -p "$quellen"
modelle=(ZEL310-2 ZEL420-3 ZEL530-4 ZEL530-5 QO417-2R8)
for m in 0 1 2 3 4; do
    d=$quellen/macros-$m
    mkdir -p "$d"
    cp "$src"/tests/data/e2e/macros/{pic.bmp,arrow.raw,data.bin,port.inc} "$d"
    { echo "${modelle[$m]}"; cat "$src/tests/data/e2e/macros/macros.mac"; } >"$d/macros.mac"
    vergleiche "macros for ${modelle[$m]}" "$d" -o macros.mac
done
# the same source with CR LF line ends
d=$quellen/crlf
cp -r "$quellen/macros-3" "$d"
sed -i 's/$/\r/' "$d/macros.mac" "$d/port.inc"
vergleiche "macros with CR LF lines" "$d" -o macros.mac
d=$quellen/demo
mkdir -p "$d"
cp "$src"/examples/{demo.mac,demo.inc,logo.bmp,arrow.blh} "$d"
vergleiche "the example" "$d" -o demo.mac
d=$quellen/voll
mkdir -p "$d"
"$lin/genbench" "$d" >/dev/null
vergleiche "the full image" "$d" -o bench.mac
d=$quellen/fehler
mkdir -p "$d"
printf 'bad line\nMAKRO 1\n#XY 1,2\n#ZL 1\nPICTURE 0 <missing.bmp>\nINCLUDE <none.inc>\n' >"$d/f.mac"
vergleiche "a source with errors" "$d" -o f.mac
vergleiche "a missing source" "$d" nothing.mac

echo "== upload from zelcomp.exe to zelsim"
# Starts zelsim with the given options; its line goes to COM$1 of the
# prefix, its EEPROM to $work/eeprom.bin when it ends.
simstart() {
    local com=$1
    shift
    rm -f "$work/line" "$work/eeprom.bin"
    "$lin/zelsim" --dump "$work/eeprom.bin" "$@" >"$work/line" 2>/dev/null &
    sims+=($!)
    local i=0
    while [ ! -s "$work/line" ] && [ $i -lt 500 ]; do sleep 0.01; i=$((i + 1)); done
    ln -sfn "$(head -n1 "$work/line")" "$WINEPREFIX/dosdevices/com$com"
    export ZEL_COM1
    ZEL_COM1=$(head -n1 "$work/line")
}
simstop() {
    local p=${sims[-1]}
    kill "$p" 2>/dev/null || true
    wait "$p" 2>/dev/null || true
    unset 'sims[-1]'
}

hoch=$quellen/hoch
cp -r "$quellen/voll" "$hoch"
(cd "$hoch" && "$lin/zelcomp" -o bench.mac </dev/null >/dev/null)
voll=bench.EEP
obj=bench.EEO

# The console text without the file position of an error reply (how far
# the host has run ahead when the reply comes depends on timing) and with
# the system's own name of a port that cannot be opened and its reason.
ohnepos() {
    text "$1" | sed -e 's/at filepos [0-9]* !/at filepos N !/' \
        -e 's/^\(\/dev\/ttyS1\|\\\\\.\\COM2\): .*/COM2: reason/'
}

# The same module behind both programs; compares their console text.
upload() {
    local name=$1 simopt=$2
    shift 2
    local wer
    for wer in lin win; do
        # shellcheck disable=SC2086
        simstart 1 $simopt
        lauf "$wer" "$hoch" "$@"
        simstop
    done
    cmp -s <(ohnepos "$work/lin/out") <(ohnepos "$work/win/out") || {
        schlecht "$name: console text differs"
        diff <(text "$work/lin/out") <(text "$work/win/out") | head -5 || true
    }
}
upload "write-protected module" "-w" -c1 "$voll"
upload "error reply at address 20000" "-e 20000" -c1 "$voll"
upload "module with 32 KB" "-s 32" -c1 "$voll"
upload "another model" "-m 2" -c1 "$voll"
upload "module that hangs in the upload" "-b 115200 --stuck-at 2000" -c1 "$voll"
rm -f "$WINEPREFIX/dosdevices/com2"
upload "port that cannot be opened" "" -c2 "$voll"

# The full image at 115200 bit/s, the module taking bytes at wire speed.
simstart 2 --pace --exit-after-upload
ZEL_COM1='\\.\COM2'          # the port named as Windows names it
t0=$(date +%s.%N)
lauf win "$hoch" -c1 -b115200 "$voll"
t1=$(date +%s.%N)
wait "${sims[-1]}" || schlecht "zelsim did not end after the upload"
unset 'sims[-1]'
text "$work/win/out" | tail -n 3
echo
cmp -s <(tail -c +17 "$work/eeprom.bin" | head -c $(($(stat -c %s "$hoch/$obj") - 16))) \
    <(tail -c +17 "$hoch/$obj") || schlecht "the module's EEPROM differs from $obj"
grep -q "Ready: Zel is programed" "$work/win/out" || schlecht "the upload did not end ready"
awk -v b="$(stat -c %s "$hoch/$voll")" -v t0="$t0" -v t1="$t1" \
    'BEGIN { printf "upload of %d bytes at 115200 bit/s under Wine: %.2f s (wire limit %.2f s)\n", b, t1 - t0, b * 10 / 115200 }'

[ $fehler -eq 0 ] && echo "all Windows results equal the Linux ones"
exit $fehler
