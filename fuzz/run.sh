#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS seconds,
# one after the other, from the seed corpus in fuzz/corpus/<target>.
# Inputs the fuzzer finds go to fuzz/build/corpus/<target>, a failing input
# to fuzz/build/artifacts/. Exits non-zero on any crash, leak, sanitizer
# report or time-out.
#
#   fuzz/run.sh SECONDS [TARGET...]      targets: zelrun loadbild font2eep uploadeep
#                                        dumprt dumpfile (at most 15 s each)
set -euo pipefail
cd "$(dirname "$0")"
# The targets work in a directory of their own, so every path they get is absolute.
here=$(pwd)

secs=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(zelrun loadbild font2eep uploadeep dumprt dumpfile)

cxx=${CXX_FUZZ:-$(command -v clang++-14 || command -v clang++)}
cmake -S . -B build -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE= >/dev/null
cmake --build build -j2 >/dev/null

declare -A maxlen=([zelrun]=16384 [loadbild]=8192 [font2eep]=9000 [uploadeep]=8192
                  [dumprt]=16384 [dumpfile]=16384)
# zeldump's targets share the readers the others fuzz; a short run keeps CI
# short. FUZZ_LONG=1 lets them run the full time.
declare -A maxsecs=([dumprt]=15 [dumpfile]=15)
[ -z "${FUZZ_LONG:-}" ] || maxsecs=()
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
for t in "${targets[@]}"; do
    mkdir -p "build/corpus/$t" build/artifacts
    dict=()
    [ -f "$t.dict" ] && dict=(-dict="$here/$t.dict")
    s=$secs
    [ -n "${maxsecs[$t]:-}" ] && [ "$s" -gt "${maxsecs[$t]}" ] && s=${maxsecs[$t]}
    echo "== fuzz $t for $s s"
    if ! "build/fuzz_$t" -max_total_time="$s" -timeout=10 -rss_limit_mb=1024 \
            -max_len="${maxlen[$t]}" -print_final_stats=1 "${dict[@]}" \
            -artifact_prefix="$here/build/artifacts/$t-" "$here/build/corpus/$t" "$here/corpus/$t" \
            >"build/$t.log" 2>&1; then
        echo "fuzz $t FAILED, see fuzz/build/$t.log:"
        grep -E 'ERROR|SUMMARY|invariant|Test unit written' "build/$t.log" | head -20 || true
        status=1
    fi
    grep -E '^stat::number_of_executed_units|^Done|^dumprt:' "build/$t.log" || true
done
exit $status
