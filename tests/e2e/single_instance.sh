#!/usr/bin/env bash
# Two real players: the second says the program is running and ends after
# its message; the first keeps running. A lock left by a crashed player does
# not block the next start. The frameless window minimises through the window
# manager, and its close (Alt+F4) ends the program.
bin=$1
. "$(dirname "$0")/xsession.sh"

install=$work/install
"$(dirname "$0")/../../tools/make-install-folder" "$bin" "$install" http://127.0.0.1:9/kinotray/update
export VELTARO_UPDATE_CHECK=never VELTARO_PORTAL_ROOT=http://127.0.0.1:9/kinotray/

"$install/player" > "$work/first.log" 2>&1 &
first=$!
pids+=($first)
wait_for 60 xdotool search --onlyvisible --name '^Veltaro5\.0$' || { echo "first window never appeared"; cat "$work/first.log"; exit 1; }

"$install/player" > "$work/second.log" 2>&1 &
second=$!
pids+=($second)
wait_for 60 xdotool search --onlyvisible --pid "$second" || { echo "second instance showed nothing"; cat "$work/second.log"; exit 1; }
box=$(xdotool search --onlyvisible --pid "$second" | head -n 1)
sleep 0.5
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key --window "$box" Return

if ! wait_for 20 bash -c "! kill -0 $second"; then
    echo "second instance still running after its message"; exit 1
fi
wait "$second" || true
kill -0 "$first" || { echo "first instance ended"; exit 1; }
# A window going away meanwhile (the message box) can fail one search with
# an X error, so it is asked again.
wait_for 5 xdotool search --onlyvisible --name '^Veltaro5\.0$' || { echo "first window gone"; exit 1; }

# A crash leaves the lock file behind; the next start must not be refused.
kill -9 "$first"
wait "$first" 2>/dev/null || true
ls "$XDG_RUNTIME_DIR"/*.lock > /dev/null || { echo "no lock file left by the crash"; exit 1; }
"$install/player" > "$work/third.log" 2>&1 &
third=$!
pids+=($third)
wait_for 60 xdotool search --onlyvisible --name '^Veltaro5\.0$' || { echo "start after a crash refused"; cat "$work/third.log"; exit 1; }
kill -0 "$third" || { echo "player after a crash ended"; exit 1; }

window=$(xdotool search --onlyvisible --name '^Veltaro5\.0$' | head -n 1)
xdotool windowminimize --sync "$window" || { echo "window did not minimise"; exit 1; }
xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_HIDDEN || { echo "window not iconified"; exit 1; }
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowmap --sync "$window"
wait_for 10 xdotool search --onlyvisible --name '^Veltaro5\.0$' || { echo "window did not come back"; exit 1; }
xdotool windowactivate --sync "$window" 2>/dev/null || true
xdotool key --clearmodifiers alt+F4
wait_for 20 bash -c "! kill -0 $third" || { echo "Alt+F4 did not end the player"; exit 1; }
echo "4 passed, 0 failed"
