#!/usr/bin/env bash
# Builds the driver and its tests, installs the driver as a printer in a
# fresh Wine prefix and runs every test against it.
set -euo pipefail
source "$(dirname "$0")/testbed.sh"
# core/ depends on nothing above it, except the settings session and the
# module entry (which wires the controls of ui/).
! grep -lE '#include "(settings|ui)/' "$KV_ROOT"/src/core/* |
    grep -vE '/core/(ui_session|module_entry)\.(h|cpp)$' || { kv_log "core/ includes settings/ or ui/"; exit 1; }
kv_ensure_packages
kv_build
kv_testbed_start
kv_log "running the tests"
ctest --test-dir "$KV_BUILD" --output-on-failure -j2
