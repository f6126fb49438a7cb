#!/usr/bin/env bash
# The player's windows on a desktop, driven as a person would, one case a run:
#   owned     the promotion window stays above the main window whatever is
#             clicked, has no taskbar or pager entry, and minimises and comes
#             back with it; every window is named as the menu entry is
#   drag      a drag in small steps keeps the grabbed point under the pointer
#   small     on an 800x600 screen the whole window, caption buttons and
#             tickers included, lies on the screen
#   monitors  with two monitors the window opens centred on the primary one,
#             the promotion window in its corner; without a primary, on the
#             one under the pointer
#   chinese   under LANG=C the update question's buttons read 是/否
# Usage: windows.sh BIN_DIR SOURCE_DIR CASE
bin=$1 top=$2 case=$3
for tool in Xvfb openbox xdotool xprop xrandr; do
    command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
if [ "$case" = chinese ] && [ -z "${VELTARO_IN_BUS:-}" ]; then
    # Button texts are read the way a screen reader reads them.
    /usr/bin/python3 -c 'import pyatspi' 2> /dev/null || { echo "skipped: no pyatspi"; exit 77; }
    exec env VELTARO_IN_BUS=1 dbus-run-session -- "$0" "$@"
fi
case $case in small) screen=800x600x24 ;; monitors) screen=3286x1080x24 ;; esac
. "$(dirname "$0")/xsession.sh"
. "$top/tools/portal.sh"
start_portal "$bin/portal-server" "$top/demo/portal" "$work/portal.log"
install=$work/install
"$top/tools/make-install-folder" "$bin" "$install" "${base}kinotray/update"
export VELTARO_UPDATE_CHECK=never VELTARO_PORTAL_ROOT=${base}kinotray/

passed=0 failed=0
check() { # check NAME COMMAND...
    local name=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name"; fi
}
near() { # near "X Y" "X Y": within 2 pixels each way
    local a b c d
    read -r a b <<< "$1"; read -r c d <<< "$2"
    [ $((a - c)) -le 2 ] && [ $((c - a)) -le 2 ] && [ $((b - d)) -le 2 ] && [ $((d - b)) -le 2 ] ||
        { echo "  at $1, expected $2"; return 1; }
}
# within "X Y W H" "LEFT TOP RIGHT BOTTOM": the rectangle lies inside those edges.
within() {
    local x y w h l t r b
    read -r x y w h <<< "$1"; read -r l t r b <<< "$2"
    [ "$x" -ge "$l" ] && [ "$y" -ge "$t" ] && [ $((x + w)) -le "$r" ] && [ $((y + h)) -le "$b" ] ||
        { echo "  $1 is not within $2"; return 1; }
}
same() { [ "$1" = "$2" ] || { echo "  $1, expected $2"; return 1; }; }
placed() { same "$(geometry "$1")" "$2"; }
gone() { ! window Veltaro5.0; }
stop_player() { kill "${pids[-1]}"; wait "${pids[-1]}" 2> /dev/null || true; }
geometry() { # geometry ID: X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}
# above LOWER UPPER: UPPER is stacked above LOWER.
above() {
    local order
    order=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/^[^#]*#//; s/,/ /g')
    local lower=-1 upper=-1 i=0 id
    for id in $order; do
        [ $((id)) -eq "$1" ] && lower=$i
        [ $((id)) -eq "$2" ] && upper=$i
        i=$((i + 1))
    done
    [ "$lower" -ge 0 ] && [ "$upper" -gt "$lower" ] || { echo "  stacking: $order"; return 1; }
}
start_player() {
    "$install/player" > "$work/player.log" 2>&1 &
    pids+=($!)
    wait_for 60 window Veltaro5.0 || { echo "no main window"; cat "$work/player.log"; exit 1; }
    main=$(window Veltaro5.0)
    promotion=
    if [ "${1:-}" = promotion ]; then
        wait_for 20 window 影片介绍 || { echo "no promotion window"; cat "$work/player.log"; exit 1; }
        promotion=$(window 影片介绍)
    fi
    sleep 2 # the promotion window rises for about a second
}

case $case in
owned)
    start_player promotion
    read -r x y w h <<< "$(geometry "$main")"
    check "the promotion window starts above the main window" above "$main" "$promotion"
    # Into the page, onto the logo, onto the bottom bar.
    for at in "400 400" "60 50" "300 $((h - 45))"; do
        read -r dx dy <<< "$at"
        xdotool mousemove $((x + dx)) $((y + dy)) click 1
        sleep 0.7
        check "after a click at $at the promotion window is above" above "$main" "$promotion"
    done
    states=$(xprop -id "$promotion" _NET_WM_STATE)
    check "no taskbar entry" grep -q _NET_WM_STATE_SKIP_TASKBAR <<< "$states"
    check "no pager entry" grep -q _NET_WM_STATE_SKIP_PAGER <<< "$states"
    check "transient for the main window" \
        grep -qi "# $(printf '0x%x' "$main")\$" <(xprop -id "$promotion" WM_TRANSIENT_FOR)
    xdotool windowminimize "$main"
    sleep 0.7
    check "minimised with the main window" grep -q Iconic <(xprop -id "$promotion" WM_STATE)
    xdotool windowactivate "$main"
    sleep 0.7
    check "back with the main window" grep -q Normal <(xprop -id "$promotion" WM_STATE)
    check "and above it" above "$main" "$promotion"
    entry=$top/cmake/veltaro.desktop.in
    name=$(sed -n 's/^Name\[zh_CN\]=//p' "$entry") class=$(sed -n 's/^StartupWMClass=//p' "$entry")
    for id in "$main" "$promotion"; do
        check "icon name of $(xdotool getwindowname "$id")" \
            grep -qF "= \"$name\"" <(xprop -id "$id" _NET_WM_ICON_NAME)
        check "class of $(xdotool getwindowname "$id")" \
            grep -qF ", \"$class\"" <(xprop -id "$id" WM_CLASS)
    done
    ;;
drag)
    start_player
    # By the logo, the bottom bar and the title area beside the caption strip,
    # in steps of a few pixels (rightwards, then leftwards).
    for grab in "60 50 7" "500 -45 -7" "-200 20 -7"; do
        read -r x y w h <<< "$(geometry "$main")"
        read -r gx gy dx <<< "$grab"
        [ "$gx" -lt 0 ] && gx=$((w + gx))
        [ "$gy" -lt 0 ] && gy=$((h + gy))
        px=$((x + gx)) py=$((y + gy))
        xdotool mousemove "$px" "$py" mousedown 1
        sleep 0.3
        slipped=0
        for step in $(seq 12); do
            xdotool mousemove $((px + step * dx)) $((py + step * 4))
            sleep 0.15
            read -r nx ny _ <<< "$(geometry "$main")"
            near "$((nx + gx)) $((ny + gy))" "$((px + step * dx)) $((py + step * 4))" || slipped=1
        done
        xdotool mouseup 1
        sleep 0.3
        check "a drag at $gx,$gy keeps the grabbed point under the pointer" [ "$slipped" -eq 0 ]
    done
    ;;
small)
    start_player
    read -r x y w h <<< "$(geometry "$main")"
    check "the window lies on the 800x600 screen" within "$x $y $w $h" "0 0 800 600"
    # The exit button lights up where the caption strip puts it, and works.
    xdotool mousemove $((x + w - 131 + 100)) $((y + 16))
    sleep 0.3
    xdotool mousemove $((x + w - 131 + 105)) $((y + 18))
    sleep 0.3
    xdotool click 1
    check "its exit button is within reach" wait_for 10 gone
    ;;
monitors)
    xrandr --setmonitor '*PRIMARY' 1366/361x768/203+1920+0 none > /dev/null
    xrandr --setmonitor OTHER 1920/508x1080/286+0+0 none > /dev/null
    start_player promotion
    read -r x y w h <<< "$(geometry "$main")"
    check "centred on the primary monitor" near "$x $y" "$((1920 + (1366 - w) / 2)) $(((768 - h) / 2))"
    # It comes to rest 100 twips from the right edge and 550 from the bottom.
    check "the promotion window in the primary monitor's corner" \
        within "$(geometry "$promotion")" "$((1920 + 1366 - 300 - 10)) $((768 - 250 - 40)) 3286 768"
    # Maximised and restored on the other monitor, it comes back there.
    xdotool windowmove "$main" 300 100
    sleep 0.5
    for state in "0 0 1920 1080" "300 100 $w $h"; do
        click_maximise "$main"
        check "maximise button: $state" settles placed "$main" "$state"
    done
    stop_player
    xrandr --delmonitor PRIMARY > /dev/null
    xrandr --setmonitor RIGHT 1366/361x768/203+1920+0 none > /dev/null
    xdotool mousemove 2500 300
    start_player
    read -r x y w h <<< "$(geometry "$main")"
    check "with no primary, centred under the pointer" near "$x $y" "$((1920 + (1366 - w) / 2)) $(((768 - h) / 2))"
    ;;
chinese)
    export LANG=C LC_ALL=C LANGUAGE= QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 VELTARO_UPDATE_CHECK=always
    mkdir -p "$work/release" && printf 'new\r\n' > "$work/release/notes.txt"
    root=$work/site && cp -r "$top/demo/portal" "$root"
    start_portal "$bin/portal-server" "$root" "$work/site.log"
    "$bin/publish" --app-version 5.1 --updater-version 2.0 --update-url "${base}update" \
        -s "$top/demo/update-key/demo.key" "$work/release" "$root/update" > /dev/null
    "$top/tools/make-install-folder" "$bin" "$install" "${base}update"
    export VELTARO_PORTAL_ROOT=${base}kinotray/
    "$install/player" > "$work/player.log" 2>&1 &
    pids+=($!)
    wait_for 60 window 在线更新 || { echo "no update question"; cat "$work/player.log"; exit 1; }
    buttons=$(/usr/bin/python3 - <<'READ'
import pyatspi
def walk(node):
    if node.getRole() == pyatspi.ROLE_PUSH_BUTTON:
        print(node.name)
    for child in node:
        walk(child)
import time
# The program joins the registry a moment after its first window shows.
for _ in range(40):
    boxes = [window for app in pyatspi.Registry.getDesktop(0) for window in app or []
             if window is not None and window.name == "在线更新"]
    if boxes:
        walk(boxes[0])
        break
    time.sleep(0.25)
READ
    )
    check "the buttons read 是(Y) and 否(N): $(echo $buttons)" [ "$(echo $buttons)" = "是(Y) 否(N)" ]
    xdotool key Escape
    check "否 leads on to the main window" wait_for 30 window Veltaro5.0
    ;;
*)
    echo "unknown case $case"; exit 2 ;;
esac

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
