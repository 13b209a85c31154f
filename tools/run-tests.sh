#!/usr/bin/env bash
# Builds the driver and its tests, installs the driver as a printer in a
# fresh Wine prefix and runs every test against it.
set -euo pipefail
source "$(dirname "$0")/testbed.sh"
kv_ensure_packages
kv_build
kv_testbed_start
kv_log "running the tests"
ctest --test-dir "$KV_BUILD" --output-on-failure -j2
