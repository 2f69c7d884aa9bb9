#!/usr/bin/env bash
# The end-to-end tests of the desktop program as a person uses it: a virtual X server, a D-Bus
# session with the accessibility bus, and pytest driving narv through its accessibility
# interface with dogtail.
#   tests/e2e/run-e2e.sh [BUILD_DIR] [PYTEST_ARGS...]
# Needs no display of its own and no input; the whole run is bounded by NARV_E2E_TIMEOUT
# seconds (default 900). Screenshots go to $NARV_E2E_ARTIFACTS (default BUILD_DIR/e2e-artifacts);
# NARV_E2E_SCREEN sets the virtual screen (default 1280x800x24).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$root/build}"
shift || true
build="$(cd "$build" && pwd)"

export NARV_E2E_NARV="$build/src/app/narv"
export NARV_E2E_CLI="$build/src/cli/narv-cli"
export NARV_E2E_SOURCE="$root"
export NARV_E2E_ARTIFACTS="${NARV_E2E_ARTIFACTS:-$build/e2e-artifacts}"
for program in "$NARV_E2E_NARV" "$NARV_E2E_CLI"; do
    if [ ! -x "$program" ]; then
        echo "e2e: $program is missing: build the project first" >&2
        exit 1
    fi
done
# dogtail and pytest come from Debian's packages, for Debian's Python.
python=/usr/bin/python3
for tool in Xvfb openbox import dbus-run-session "$python"; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing: run scripts/install-deps.sh" >&2; exit 1; }
done
"$python" -c "import dogtail, pytest, pyatspi" || {
    echo "e2e: python3-dogtail or python3-pytest is missing: run scripts/install-deps.sh" >&2
    exit 1
}
mkdir -p "$NARV_E2E_ARTIFACTS"

work="$(mktemp -d "${TMPDIR:-/tmp}/narv-e2e.XXXXXX")"
xvfb_pid=""
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A free display number, chosen by the server itself.
exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 "${NARV_E2E_SCREEN:-1280x800x24}" -nolisten tcp -noreset \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "e2e: Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
# A window manager, as on a person's desktop: a click raises a window and gives it the
# keyboard, and new windows are placed beside the others rather than over them.
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
sleep 1

# Qt offers its accessibility tree on the AT-SPI bus without a desktop asking for it.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export QT_ACCESSIBILITY=1
export QT_QPA_PLATFORM=xcb
export NO_AT_BRIDGE=0
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
export HOME="$work/home"
mkdir -p "$HOME"
export NARV_E2E_WORK="$work"
unset SESSION_MANAGER

# dbus-run-session gives the tests a session bus of their own; the accessibility bus and its
# registry start on demand through D-Bus activation.
timeout --kill-after=30 "${NARV_E2E_TIMEOUT:-900}" \
    dbus-run-session -- "$python" -m pytest -p no:cacheprovider -v "$root/tests/e2e" "$@" </dev/null
