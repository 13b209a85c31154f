#!/usr/bin/env bash
# Fuzzes the model description parser and the cache relocation natively
# with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   tools/fuzz/run-fuzz.sh [SECONDS] [model_parser_fuzz|relocate_fuzz]...
#
# SECONDS (default 120) is the run time of each fuzzer; all fuzzers run when
# none is named. Work goes to $KV_FUZZ_DIR (default build/fuzz): binaries,
# corpus/<fuzzer> (kept between runs, so later runs start where earlier
# ones stopped) and crashes/<fuzzer>. Exits non-zero when a fuzzer found a
# crash; reproduce one with: build/fuzz/<fuzzer> build/fuzz/crashes/<fuzzer>/crash-...
# With KV_FUZZ_KEEP_GOING=1 a fuzzer goes on after a crash (libFuzzer's fork
# mode), to collect every distinct crash of the run rather than the first.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-120}
shift || true
fuzzers=("$@")
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(model_parser_fuzz relocate_fuzz)
work=${KV_FUZZ_DIR:-$root/build/fuzz}
here=$root/tools/fuzz

log() { printf '== %s\n' "$*"; }

# clang with its libFuzzer runtime.
if ! command -v clang++ >/dev/null ||
   ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' |
       clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
    log "installing clang and its libFuzzer runtime"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang libclang-rt-dev >/dev/null
fi

mkdir -p "$work"
flags=(-std=c++17 -g -O1 -fno-omit-frame-pointer -Wall -Wextra -I "$root/src" -I "$here")
sanitize=(-fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
parser=("$root/src/core/model_parser.cpp" "$root/src/core/model_queries.cpp")

log "building the fuzzers in $work"
clang++ "${flags[@]}" "${sanitize[@]}" "$here/model_parser_fuzz.cpp" "$here/model_walk.cpp" \
    "${parser[@]}" -o "$work/model_parser_fuzz"
clang++ "${flags[@]}" "${sanitize[@]}" "$here/relocate_fuzz.cpp" "$here/model_walk.cpp" \
    "${parser[@]}" -o "$work/relocate_fuzz"
clang++ "${flags[@]}" -fsanitize=address,undefined "$here/make_relocate_seeds.cpp" \
    "${parser[@]}" -o "$work/make_relocate_seeds"

# Seeds: the sample model, the test descriptions and the small ones here.
descriptions=("$root"/model/*.PPD "$root"/tests/tools/data/*.PPD "$here"/seeds/*.ppd)
mkdir -p "$work/seeds/model_parser_fuzz" "$work/seeds/relocate_fuzz"
cp "${descriptions[@]}" "$work/seeds/model_parser_fuzz/"
"$work/make_relocate_seeds" "$work/seeds/relocate_fuzz" "${descriptions[@]}" >/dev/null

status=0
for fuzzer in "${fuzzers[@]}"; do
    corpus=$work/corpus/$fuzzer
    crashes=$work/crashes/$fuzzer
    mkdir -p "$corpus" "$crashes"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$crashes/")
    [ "$fuzzer" = model_parser_fuzz ] && options+=(-dict="$here/model.dict" -max_len=65536)
    [ "$fuzzer" = relocate_fuzz ] && options+=(-max_len=262144)
    [ "${KV_FUZZ_KEEP_GOING:-0}" = 1 ] &&
        options+=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)
    log "running $fuzzer for $seconds s"
    before=$(ls "$crashes" | wc -l)
    "$work/$fuzzer" "${options[@]}" "$corpus" "$work/seeds/$fuzzer" >"$work/$fuzzer.log" 2>&1 ||
        true
    found=$(( $(ls "$crashes" | wc -l) - before ))
    if [ "$found" -gt 0 ]; then
        status=1
        log "$fuzzer found $found problem input(s); log: $work/$fuzzer.log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|invariant broken|diagnostic)' "$work/$fuzzer.log" |
            sed -E 's/^==[0-9]+==/==/' | sort | uniq -c | head -10 || true
        ls -t "$crashes" | head -n "$found"
    fi
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+.*time:)' \
        "$work/$fuzzer.log" | tail -3 || tail -3 "$work/$fuzzer.log"
done
exit $status
