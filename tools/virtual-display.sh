# Sourced by ./run, tools/screenshot-form1 and the end-to-end tests.
# start_virtual_display WORK [WxHxDEPTH]: a private Xvfb display (1024x768 by
# default) with openbox, logs in WORK. Xvfb takes a free display number
# itself and writes it once it listens, so scripts started together never
# share a display. -noreset: Xvfb would otherwise reset when its last client
# leaves, and a client connecting meanwhile (openbox, while a script's first
# xdpyinfo hangs up) fails to open the display. Returns once openbox has taken
# the display over. Exports DISPLAY and adds both processes to the caller's
# pids array.
start_virtual_display() {
    local work=$1 screen=${2:-1024x768x24} number=
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3> "$work/display" > "$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 200); do
        number=$(head -n 1 "$work/display" 2> /dev/null) && [ -n "$number" ] && break
        sleep 0.1
    done
    [ -n "$number" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")" >&2; return 1; }
    export DISPLAY=:$number
    unset QT_QPA_PLATFORM
    openbox > "$work/openbox.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && return 0
        kill -0 "${pids[-1]}" 2> /dev/null || break
        sleep 0.1
    done
    echo "openbox did not start: $(cat "$work/openbox.log")" >&2
    return 1
}
