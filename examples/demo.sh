#!/bin/bash
# Compiles the demo and uploads it to a virtual module on a pseudo-terminal,
# then checks that the module's EEPROM holds the compiled image.
#
#   examples/demo.sh [build directory]      (default: build)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
cd "$(dirname "$0")"
sim=
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -f line' EXIT

"$build/zelsim" --exit-after-upload --dump module.bin > line &
sim=$!
while [ ! -s line ]; do sleep 0.01; done

ZEL_COM1=$(head -n1 line) "$build/zelcomp" -o -c1 -b115200 demo.mac
wait "$sim"
sim=
echo
if cmp -s <(tail -c +17 module.bin | head -c $(($(stat -c %s demo.EEO) - 16))) <(tail -c +17 demo.EEO); then
    echo "The module's EEPROM holds demo.EEO from address 16 on."
else
    echo "The module's EEPROM differs from demo.EEO." >&2
    exit 1
fi
