#!/usr/bin/env bash
# Builds parse_bench natively (the parser's portable core, no Windows) and
# runs it: our model description parser against libcups' PPD reader on the
# sample model and on generated descriptions, side by side.
#
#   tools/bench/native/run-parse-bench.sh [parse_bench options...]
#
# Options go to the program (--runs N, --write DIR, --only NAME, FILE...).
# The binary goes to $KV_BENCH_DIR (default build/native-bench). Installs
# clang and libcups2-dev when they are missing.
set -euo pipefail

root=$(cd "$(dirname "$0")/../../.." && pwd)
here=$root/tools/bench/native
work=${KV_BENCH_DIR:-$root/build/native-bench}

log() { printf '== %s\n' "$*" >&2; }

missing=()
command -v clang++ >/dev/null || missing+=(clang)
[ -f /usr/include/cups/ppd.h ] || missing+=(libcups2-dev)
if [ ${#missing[@]} -gt 0 ]; then
    log "installing ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The model parser and its cache image: the pure core files.
parser=()
for file in description_text parse_arena model_statement model_keywords model_parser \
            model_image_writer model_image_relocation model_queries; do
    parser+=("$root/src/core/$file.cpp")
done

mkdir -p "$work"
log "building $work/parse_bench"
clang++ -std=c++17 -O2 -DNDEBUG -g -Wall -Wextra -I "$root/src" \
    "$here/parse_bench.cpp" "${parser[@]}" -lcups -o "$work/parse_bench"
exec "$work/parse_bench" --model "$root/model/KV3390N.PPD" "$@"
