#!/usr/bin/env bash
# Builds the driver, installs it as a printer in a fresh Wine prefix and
# shows what the spooler and applications see of it.
set -euo pipefail
source "$(dirname "$0")/testbed.sh"
kv_ensure_packages
kv_build
kv_testbed_start
kv_log "what the spooler reports"
wine "$KV_BUILD/bin/kvprinterinfo.exe" "$KV_QUEUE"
