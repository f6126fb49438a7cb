#!/usr/bin/env bash
# The client in a Wayland session, under weston's headless back end. With
# XWayland it runs through it, although Qt would pick its Wayland plugin for
# the session: the main window appears as an X window, whole on the screen.
# Without XWayland it runs on Wayland itself (when Qt's Wayland plugin is
# installed) and shows the portal without crashing. Skips (77) only where
# weston cannot start at all.
bin=$1 source=$2
. "$(dirname "$0")/session.sh"
command -v weston > /dev/null || { echo "SKIP: weston is not installed"; exit 77; }

. "$source/tools/portal.sh"
start_portal "$bin/portal-server" "$source/demo/portal" "$work/access.log"
"$source/tools/make-install-folder" "$bin" "$work/install" "${base}kinotray/update"
unset DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR
export XDG_RUNTIME_DIR=$work/runtime XDG_CACHE_HOME=$work/cache XDG_SESSION_TYPE=wayland
mkdir -m 700 "$XDG_RUNTIME_DIR"
export VELTARO_UPDATE_CHECK=never VELTARO_PORTAL_ROOT="${base}kinotray/" WAYLAND_DISPLAY=veltaro-test
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

weston --backend=headless-backend.so --width=1280 --height=800 --socket="$WAYLAND_DISPLAY" \
    --idle-time=0 --xwayland > "$work/weston.log" 2>&1 &
pids+=($!)
if ! wait_for 10 grep -q 'xserver listening on display' "$work/weston.log"; then
    echo "SKIP: weston with XWayland did not start"; cat "$work/weston.log"; exit 77
fi
xdisplay=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$work/weston.log")
failed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# run LOG: starts the player and waits until the portal page has loaded.
run() {
    "$work/install/player" > "$work/$1" 2>&1 &
    player=$!
    pids+=($player)
    wait_for 90 grep -q ' /kinotray/ping/loaded' "$work/access.log" || fail "$1: the portal never loaded"
    sleep 2
    kill -0 "$player" 2> /dev/null || fail "$1: the player ended: $(tail -5 "$work/$1")"
}
stop() { kill "$player" 2> /dev/null || true; wait "$player" 2> /dev/null || true; : > "$work/access.log"; }

# Through XWayland.
DISPLAY=$xdisplay run xwayland.log
geometry=$(DISPLAY=$xdisplay xdotool search --onlyvisible --name '^Veltaro5\.0$' getwindowgeometry --shell 2> /dev/null | tr '\n' ' ' || true)
case "$geometry" in
*WIDTH=1013*HEIGHT=667*) ;;
*) fail "no main window of 1013 x 667 on XWayland: $geometry" ;;
esac
eval "$(sed 's/ /\n/g' <<< "$geometry" | grep -E '^(X|Y)=' || true)"
[ "${X:--1}" -ge 0 ] && [ "${Y:--1}" -ge 0 ] && [ $((X + 1013)) -le 1280 ] && [ $((Y + 667)) -le 800 ] \
    || fail "main window not whole on the 1280 x 800 screen: $geometry"
stop

# On Wayland itself.
if ls /usr/lib/*/qt6/plugins/platforms/libqwayland-*.so > /dev/null 2>&1; then
    run wayland.log
    grep -q ' /kinotray/adv/pop_ads.html' "$work/access.log" || fail "the promotion window did not load"
    stop
else
    echo "note: Qt's Wayland plugin (qt6-wayland) is not installed; the run without XWayland is left out"
fi

[ "$failed" -eq 0 ] || exit 1
echo "wayland session: passed"
