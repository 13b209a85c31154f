#!/usr/bin/env bash
# Fuzzes the BMP decoder of watermark bitmaps natively with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer.
#
#   tools/fuzz/run-bmp-fuzz.sh [SECONDS]
#
# SECONDS defaults to 120. Work goes to $KV_FUZZ_DIR (default build/fuzz):
# the binary bmp_fuzz, seeds/bmp_fuzz (small bitmaps written by this
# script), corpus/bmp_fuzz (kept between runs) and crashes/bmp_fuzz. Exits
# non-zero when the fuzzer found a crash; reproduce one with:
#   build/fuzz/bmp_fuzz build/fuzz/crashes/bmp_fuzz/crash-...
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-120}
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
log "building bmp_fuzz in $work"
clang++ -std=c++17 -g -O1 -fno-omit-frame-pointer -Wall -Wextra -I "$root/src" \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    "$here/bmp_fuzz.cpp" "$root/src/settings/dib_decode.cpp" -o "$work/bmp_fuzz"

# Seeds: one small bitmap of each accepted kind, so that the fuzzer starts
# past the header checks.
seeds=$work/seeds/bmp_fuzz
rm -rf "$seeds" && mkdir -p "$seeds"

le16() { printf '%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)); }
le32() { printf '%02x%02x%02x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) \
                                   $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }

# bmp NAME WIDTH HEIGHT BITS COMPRESSION COLOURS HEXBITS
# COLOURS entries of grey follow a 40-byte header; biClrUsed states them.
bmp() {
    local name=$1 width=$2 height=$3 bits=$4 compression=$5 colours=$6 data=${7// /}
    local table="" i
    for ((i = 0; i < colours; i++)); do table+=$(printf '%02x%02x%02x00' $i $i $i); done
    local offset=$((14 + 40 + colours * 4))
    local size=$((offset + ${#data} / 2))
    local hex="424d$(le32 $size)00000000$(le32 $offset)"
    hex+="$(le32 40)$(le32 $width)$(le32 $height)$(le16 1)$(le16 $bits)$(le32 $compression)"
    hex+="$(le32 $((${#data} / 2)))$(le32 2835)$(le32 2835)$(le32 $colours)$(le32 0)"
    hex+="$table$data"
    printf '%b' "$(sed 's/../\\x&/g' <<<"$hex")" >"$seeds/$name.bmp"
}

bmp mono    9 2  1 0 2   "ff800000 55000000"
bmp nibbles 5 3  4 0 16  "01234000 56789000 abcde000"
bmp bytes   3 2  8 0 4   "01020300 03020100"
bmp rgb     2 2 24 0 0   "0000ff00ff000000 ff0000ffffff0000"
bmp topdown 3 -2 8 0 4   "01020300 03020100"
# Runs, an odd literal with its pad byte, a move, line ends, end of bitmap.
bmp rle8    8 3  8 1 8   "03 01 00 03 04 05 06 00 02 07 0000 0002 0201 0305 0000 0001"
bmp rle4    7 3  4 2 16  "05 12 00 03 34 50 0000 0002 0201 0445 0000 0001"

corpus=$work/corpus/bmp_fuzz
crashes=$work/crashes/bmp_fuzz
mkdir -p "$corpus" "$crashes"

log "fuzzing bmp_fuzz for ${seconds}s"
status=0
"$work/bmp_fuzz" -max_total_time="$seconds" -max_len=16384 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$corpus" "$seeds" || status=$?
if [ "$status" -ne 0 ]; then
    log "bmp_fuzz failed; inputs in $crashes"
    exit "$status"
fi
log "bmp_fuzz: no crash"
