#!/usr/bin/env bash
# Fuzzes the driver's parsers natively with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer: the model description parser, the binary cache
# relocation, the watermark BMP decoder, the settings profile readers and
# the tray-form table walker.
#
#   tools/fuzz/run-fuzz.sh [SECONDS] [model_parser_fuzz|relocate_fuzz|bmp_fuzz|profile_text_fuzz|tray_form_fuzz]...
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
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(model_parser_fuzz relocate_fuzz bmp_fuzz profile_text_fuzz tray_form_fuzz)
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
# The model parser and its cache image: the pure core files, no Windows calls.
parser=()
for file in description_text parse_arena model_statement model_keywords model_parser \
            model_image_writer model_image_relocation model_queries; do
    parser+=("$root/src/core/$file.cpp")
done

log "building the fuzzers in $work"
clang++ "${flags[@]}" "${sanitize[@]}" "$here/model_parser_fuzz.cpp" "$here/model_walk.cpp" \
    "${parser[@]}" -o "$work/model_parser_fuzz"
clang++ "${flags[@]}" "${sanitize[@]}" "$here/relocate_fuzz.cpp" "$here/model_walk.cpp" \
    "${parser[@]}" -o "$work/relocate_fuzz"
clang++ "${flags[@]}" -fsanitize=address,undefined "$here/make_relocate_seeds.cpp" \
    "${parser[@]}" -o "$work/make_relocate_seeds"
clang++ "${flags[@]}" "${sanitize[@]}" "$here/bmp_fuzz.cpp" "$root/src/settings/dib_decode.cpp" \
    -o "$work/bmp_fuzz"
clang++ "${flags[@]}" "${sanitize[@]}" "$here/profile_text_fuzz.cpp" \
    "$root/src/settings/profile_text.cpp" -o "$work/profile_text_fuzz"
clang++ "${flags[@]}" "${sanitize[@]}" "$here/tray_form_fuzz.cpp" \
    "$root/src/spooler/tray_form_table.cpp" -o "$work/tray_form_fuzz"

# Seeds: the sample model, the test descriptions and the small ones here.
descriptions=("$root"/model/*.PPD "$root"/tests/tools/data/*.PPD "$here"/seeds/*.ppd)
mkdir -p "$work/seeds/model_parser_fuzz" "$work/seeds/relocate_fuzz"
cp "${descriptions[@]}" "$work/seeds/model_parser_fuzz/"
"$work/make_relocate_seeds" "$work/seeds/relocate_fuzz" "${descriptions[@]}" >/dev/null

# One small bitmap of each accepted kind, so that the fuzzer starts past the
# header checks.
rm -rf "$work/seeds/bmp_fuzz" && mkdir -p "$work/seeds/bmp_fuzz"
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
    printf '%b' "$(sed 's/../\\x&/g' <<<"$hex")" >"$work/seeds/bmp_fuzz/$name.bmp"
}

bmp mono    9 2  1 0 2   "ff800000 55000000"
bmp nibbles 5 3  4 0 16  "01234000 56789000 abcde000"
bmp bytes   3 2  8 0 4   "01020300 03020100"
bmp rgb     2 2 24 0 0   "0000ff00ff000000 ff0000ffffff0000"
bmp topdown 3 -2 8 0 4   "01020300 03020100"
# Runs, an odd literal with its pad byte, a move, line ends, end of bitmap.
bmp rle8    8 3  8 1 8   "03 01 00 03 04 05 06 00 02 07 0000 0002 0201 0305 0000 0001"
bmp rle4    7 3  4 2 16  "05 12 00 03 34 50 0000 0002 0201 0445 0000 0001"

# One profile value of each format: items, hex prefixes, the paper list.
rm -rf "$work/seeds/profile_text_fuzz" && mkdir -p "$work/seeds/profile_text_fuzz"
seed() { printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE >"$work/seeds/profile_text_fuzz/$1"; }

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

# Tray-form tables: the form name's length, the name, then the table.
rm -rf "$work/seeds/tray_form_fuzz" && mkdir -p "$work/seeds/tray_form_fuzz"
table() { printf "$2" | iconv -f UTF-8 -t UTF-16LE >"$work/seeds/tray_form_fuzz/$1"; }
table sized  '\x02A4\x1aTray1\0Letter\0Letter\0\0Tray2\0A4\0A4\0\0\0'
table plain  '\x06Letter\0Tray1\0Letter\0Letter\0\0\0'


status=0
for fuzzer in "${fuzzers[@]}"; do
    corpus=$work/corpus/$fuzzer
    crashes=$work/crashes/$fuzzer
    mkdir -p "$corpus" "$crashes"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$crashes/")
    [ "$fuzzer" = model_parser_fuzz ] && options+=(-dict="$here/model.dict" -max_len=65536)
    [ "$fuzzer" = relocate_fuzz ] && options+=(-max_len=262144)
    [ "$fuzzer" = bmp_fuzz ] && options+=(-max_len=16384)
    [ "$fuzzer" = profile_text_fuzz ] && options+=(-max_len=2048)
    [ "$fuzzer" = tray_form_fuzz ] && options+=(-max_len=1024)
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
