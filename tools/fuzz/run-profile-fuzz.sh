#!/usr/bin/env bash
# Fuzzes the readers and encoders of settings-profile values natively with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   tools/fuzz/run-profile-fuzz.sh [SECONDS]
#
# SECONDS defaults to 180. Work goes to $KV_FUZZ_DIR (default build/fuzz):
# the binary profile_text_fuzz, seeds/profile_text_fuzz (typical values
# written by this script, as UTF-16LE), corpus/profile_text_fuzz (kept
# between runs) and crashes/profile_text_fuzz. Exits non-zero when the
# fuzzer found a failure; reproduce one with:
#   build/fuzz/profile_text_fuzz build/fuzz/crashes/profile_text_fuzz/crash-...
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-180}
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
log "building profile_text_fuzz in $work"
clang++ -std=c++17 -g -O1 -fno-omit-frame-pointer -Wall -Wextra -I "$root/src" \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    "$here/profile_text_fuzz.cpp" "$root/src/settings/profile_text.cpp" \
    -o "$work/profile_text_fuzz"

# Seeds: one value of each format, so that the fuzzer starts from real
# shapes (items, hex prefixes, the paper list's separators).
seeds=$work/seeds/profile_text_fuzz
rm -rf "$seeds" && mkdir -p "$seeds"
seed() { printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE >"$seeds/$1"; }

seed decimal     "  -2147483649"
seed hex         "x0102"
seed duplex      "x0103"
seed bias        "x0002,5"
seed mopy        "x0105,-1"
seed sleep       "45,x0002"
seed macro       "x81,70000,5,LETTERHEAD"
seed font        "-14,7,900,900,700,1,1,1,128,3,2,5,x22,Courier New,x00123456,x00abcdef"
seed trays       "43,11,9,1,1,2,-1,3,-2,-2"
seed accessories "x0030,x1001"
seed papers      "2;Banner 20,300,1,1234,4321;Wide label,301,0,2000,1500;"
seed nouse       "__##NOUSE##__"

corpus=$work/corpus/profile_text_fuzz
crashes=$work/crashes/profile_text_fuzz
mkdir -p "$corpus" "$crashes"

log "fuzzing profile_text_fuzz for ${seconds}s"
status=0
"$work/profile_text_fuzz" -max_total_time="$seconds" -max_len=2048 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "$seeds" || status=$?
if [ "$status" -ne 0 ]; then
    log "profile_text_fuzz failed; inputs in $crashes"
    exit "$status"
fi
log "profile_text_fuzz: no crash"
