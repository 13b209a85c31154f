# Shared steps of the two top-level commands; sourced, not run.
#   kv_ensure_packages  installs what a fresh Debian machine lacks
#                       (KV_SCREENSHOTS=1: also what the screenshots need)
#   kv_build            configures and builds into $KV_BUILD
#   kv_testbed_start    fresh Wine prefix, persistent wineserver, driver installed
#   kv_testbed_stop     stops the wineserver and the X server of the run

KV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KV_BUILD=${KV_BUILD:-$KV_ROOT/build}
KV_PACKAGE=$KV_BUILD/package
KV_QUEUE="Zentari TX-3390N"

kv_log() { printf '== %s\n' "$*"; }

kv_ensure_packages() {
    local missing=()
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
    command -v x86_64-w64-mingw32-windres >/dev/null || missing+=(binutils-mingw-w64-x86-64)
    command -v wine >/dev/null || missing+=(wine wine64)
    command -v Xvfb >/dev/null || missing+=(xvfb)
    command -v cmake >/dev/null || missing+=(cmake)
    command -v ninja >/dev/null || missing+=(ninja-build)
    [ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
    command -v xmllint >/dev/null || missing+=(libxml2-utils)
    # Screenshots of the property sheets (tools/show-sheets.sh) only.
    if [ "${KV_SCREENSHOTS:-0}" = 1 ]; then
        command -v import >/dev/null || missing+=(imagemagick)
    fi
    if [ ${#missing[@]} -gt 0 ]; then
        kv_log "installing ${missing[*]} (first run only; Wine alone takes a few minutes)"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        kv_log "updating the package lists"
        $sudo apt-get update -qq
        # apt reports its progress on a status descriptor: one line per
        # tenth of each phase, so that a long install does not look hung.
        # The descriptor is opened by a shell under sudo, which closes the
        # caller's descriptors above 2.
        $sudo env DEBIAN_FRONTEND=noninteractive sh -c \
            'apt-get install -y -qq -o APT::Status-Fd=3 "$@" 3>&1 >/dev/null' apt-get \
            "${missing[@]}" | kv_apt_progress
    fi
}

# "dlstatus:ID:PERCENT:TEXT" and "pmstatus:PACKAGE:PERCENT:TEXT" lines in,
# "   download   30%  Retrieving file 40 of 130" lines out.
kv_apt_progress() {
    awk -F: '
        $1 != "dlstatus" && $1 != "pmstatus" { next }
        {
            phase = $1 == "dlstatus" ? "download" : "install"
            # The percentage is the first numeric field (package names may hold ":").
            for (i = 2; i <= NF && $i !~ /^[0-9.]+$/; i++) ;
            step = int($i / 10) * 10
            text = $(i + 1); for (j = i + 2; j <= NF; j++) text = text ":" $j
            if (phase != shownPhase || step > shownStep) {
                printf "   %-9s %3d%%  %s\n", phase, step, text; fflush()
                shownPhase = phase; shownStep = step
            }
        }'
}

kv_build() {
    kv_log "building into $KV_BUILD"
    cmake -S "$KV_ROOT" -B "$KV_BUILD" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$KV_ROOT/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=${KV_BUILD_TYPE:-RelWithDebInfo} >/dev/null
    cmake --build "$KV_BUILD"
    # The driver package as an installer sees it: modules and model files.
    rm -rf "$KV_PACKAGE" && mkdir -p "$KV_PACKAGE"
    cp "$KV_BUILD"/bin/*.DLL "$KV_ROOT"/model/* "$KV_PACKAGE"/
}

kv_testbed_stop() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
    [ -n "${KV_XVFB_PID:-}" ] && kill "$KV_XVFB_PID" 2>/dev/null
    KV_XVFB_PID=""
    return 0
}

kv_testbed_start() {
    export WINEPREFIX=$KV_BUILD/wine
    export WINEDEBUG=-all
    # No Mono or Gecko installers (the driver needs neither), and no debugger:
    # a crashing program must end and fail its test, not wait for winedbg.
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winedbg.exe=d"
    trap kv_testbed_stop EXIT

    # Property sheets need a display; start it before the first Wine process
    # so the wineserver and every program of the run share it.
    if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
        local display=:$(( 90 + $$ % 100 ))
        Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        KV_XVFB_PID=$!
        export DISPLAY=$display
    fi

    kv_log "creating a fresh Wine prefix in $WINEPREFIX"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    wineboot -u >/dev/null 2>&1
    wineserver -w
    # Without a window manager Wine waits seconds whenever a managed window
    # is hidden; unmanaged windows let the sheets open and close at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Wine prefers its own HTML Help even to one beside the program; the
    # tests place a recording stand-in there (Wine's needs a browser engine).
    wine reg add 'HKCU\Software\Wine\DllOverrides' /v hhctrl.ocx /d native,builtin /f >/dev/null 2>&1
    wineserver -w
    # One persistent server for the run: each program then starts in tens of
    # milliseconds instead of hundreds.
    wineserver -p

    kv_log "installing the driver as \"$KV_QUEUE\""
    wine "$KV_BUILD/bin/kvinstall.exe" "$(winepath -w "$KV_PACKAGE")" "$KV_QUEUE"
}
