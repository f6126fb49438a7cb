#!/usr/bin/env bash
# The title bar under a real window manager, driven as a person would: a
# quick click on the logo leaves the window where it was however the pointer
# moves next; a drag on the logo moves it, with the left button only; a
# double-click on the pin pins the window once; the maximise button maximises
# and restores.
bin=$1
for tool in Xvfb openbox xdotool xprop xdpyinfo; do
    command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
. "$(dirname "$0")/xsession.sh"
xdpyinfo > /dev/null 2>&1 || { echo "skipped: no virtual display came up"; exit 77; }

install=$work/install
"$(dirname "$0")/../../tools/make-install-folder" "$bin" "$install" http://127.0.0.1:9/kinotray/update
export VELTARO_UPDATE_CHECK=never VELTARO_PORTAL_ROOT=http://127.0.0.1:9/kinotray/
"$install/player" > "$work/player.log" 2>&1 &
pids+=($!)
wait_for 60 xdotool search --onlyvisible --name '^Veltaro5\.0$' || { echo "no main window"; cat "$work/player.log"; exit 1; }
win=$(xdotool search --onlyvisible --name '^Veltaro5\.0$' | head -n 1)
sleep 1

geometry() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    echo "$X $Y $WIDTH $HEIGHT"
}
state() { xprop -id "$win" _NET_WM_STATE; }
passed=0 failed=0
check() { # check NAME COMMAND...
    local name=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name"; fi
}
same() { [ "$1" = "$2" ] || { echo "  $1 is now $2"; return 1; }; }
at() { same "$1" "$(geometry)"; }
pinned() { state | grep -q _NET_WM_STATE_ABOVE; }
maximised() { state | grep -q _NET_WM_STATE_MAXIMIZED_VERT; }
differ() { [ "$1" != "$2" ] || { echo "  still $1"; return 1; }; }

# The window is nearly as wide as the screen: drags go down, so that the
# caption buttons in its top right corner stay on the screen.
# The logo lies 17 to 237 pixels in from the window's left edge, 27 to 93 down.
start=$(geometry)
read -r x y w _ <<< "$start"
xdotool mousemove $((x + 60)) $((y + 50)) click 1
sleep 0.3
xdotool mousemove $((x + 400)) $((y + 300))
sleep 0.3
xdotool mousemove $((x + 300)) $((y + 200))
sleep 0.5
check "a quick click on the logo leaves the window in place" same "$start" "$(geometry)"
# Should the window be stuck to the pointer, a click lets it go before the drag.
xdotool click 1
sleep 0.5

drag_logo() { # drag_logo BUTTON
    read -r x y w _ <<< "$(geometry)"
    xdotool mousemove $((x + 60)) $((y + 50)) mousedown "$1"
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove $((x + 60 - step)) $((y + 50 + step * 10))
        sleep 0.05
    done
    sleep 0.3
    xdotool mouseup "$1"
    sleep 0.5
}
start=$(geometry)
drag_logo 3
check "a right-button drag leaves the window in place" same "$start" "$(geometry)"
drag_logo 1
dragged=$(geometry)
check "a drag on the logo moves the window" differ "$start" "$dragged"
xdotool mousemove 5 5
sleep 0.5
check "the window stays where the drag left it" same "$dragged" "$(geometry)"

# The pin's button is 22 pixels square, 23 pixels into the 131-pixel caption
# strip in the top right corner and 7 down.
read -r x y w _ <<< "$(geometry)"
xdotool mousemove $((x + w - 131 + 20)) $((y + 18))
sleep 0.2
xdotool mousemove $((x + w - 131 + 34)) $((y + 18))
sleep 0.2
xdotool click --repeat 2 --delay 80 1
check "a double-click on the pin pins the window" settles pinned

normal=$(geometry)
click_maximise "$win"
check "the maximise button fills the screen" settles at "0 0 1024 768"
check "the window manager knows it maximised" settles maximised
click_maximise "$win"
check "the same button restores the window" settles at "$normal"
check "restored, it is still pinned" pinned

if [ "$failed" -ne 0 ]; then
    echo "What the window manager shows:"
    xprop -id "$win" _NET_WM_STATE _NET_WM_ALLOWED_ACTIONS WM_STATE _NET_FRAME_EXTENTS
    xprop -root _NET_SUPPORTING_WM_CHECK _NET_ACTIVE_WINDOW
    cat "$work/openbox.log"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
