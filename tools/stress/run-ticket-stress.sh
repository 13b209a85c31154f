#!/usr/bin/env bash
# Builds the driver, installs it in a fresh Wine prefix and runs the stress
# program of the print-ticket provider against the installed queue.
#   tools/stress/run-ticket-stress.sh [ITERATIONS] [SEED]
set -euo pipefail
source "$(dirname "$0")/../testbed.sh"
kv_ensure_packages
kv_build
kv_testbed_start
kv_log "stressing the print-ticket provider: ${1:-20000} iterations, seed ${2:-1}"
# OLE's string cache keeps freed strings of every size for reuse; with it
# off, memory the run gives back is really given back.
OANOCACHE=1 wine "$KV_BUILD/bin/kvticketstress.exe" "${1:-20000}" "${2:-1}"
