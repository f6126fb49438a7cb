#!/usr/bin/env bash
# The player as a screen-reader and keyboard user meets it, on a session bus
# with the AT-SPI registry: the windows' controls as the registry reads them
# (names, roles, states, actions; access.py), then the keyboard alone: the
# page has the focus at start and PageDown scrolls it, Tab reaches every
# control in order and comes round, Enter on a tab loads its channel, Escape
# closes the promotion window and Alt+F4 ends the program.
# Usage: access.sh BIN_DIR SOURCE_DIR
bin=$1 top=$2
for tool in Xvfb openbox xdotool dbus-run-session import compare; do
    command -v "$tool" > /dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2> /dev/null || { echo "skipped: no pyatspi"; exit 77; }
[ -n "${VELTARO_IN_BUS:-}" ] || exec env VELTARO_IN_BUS=1 dbus-run-session -- "$0" "$@"
. "$(dirname "$0")/xsession.sh"
# The accessibility bus puts its socket in the runtime folder, else in the
# home folder, where other sessions of the same user would meet it.
dbus-update-activation-environment DISPLAY XDG_RUNTIME_DIR
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    > /dev/null 2>&1 || { echo "skipped: the AT-SPI bus does not start here"; exit 77; }
. "$top/tools/portal.sh"
start_portal "$bin/portal-server" "$top/demo/portal" "$work/portal.log"
install=$work/install
"$top/tools/make-install-folder" "$bin" "$install" "${base}kinotray/update"
export VELTARO_UPDATE_CHECK=never VELTARO_PORTAL_ROOT=${base}kinotray/ QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
access() { /usr/bin/python3 "$(dirname "$0")/access.py" "$@"; }

passed=0 failed=0
check() { # check NAME COMMAND...
    local name=$1; shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name"; fi
}
same() { [ "$1" = "$2" ] || { echo "  $1, expected $2"; return 1; }; }
key() { xdotool key "$@"; sleep 0.4; }

"$install/player" > "$work/player.log" 2>&1 &
player=$!
pids+=($player)
wait_for 60 window Veltaro5.0 || { echo "no main window"; cat "$work/player.log"; exit 1; }
wait_for 20 window 影片介绍 || { echo "no promotion window"; exit 1; }
main=$(window Veltaro5.0)
wait_for 30 grep -q ' /kinotray/marquee/Sponsor.txt ' "$work/portal.log"
sleep 3 # the page, the banner and the promotion window settle

check "the tree reads as it should" access tree
# The pin's action does what its click does, and the name and state follow.
access press 窗口置顶
# (The checks on the tree fail now that the pin reads otherwise.)
check "pressed, the pin reads 取消置顶, checked" \
    wait_for 5 eval '{ access tree || true; } | grep -q "push button .取消置顶. \[checked"'
check "and the window is on top" grep -q _NET_WM_STATE_ABOVE <(xprop -id "$main" _NET_WM_STATE)
access press 取消置顶
check "pressed again, it reads 窗口置顶" \
    wait_for 5 eval '{ access tree || true; } | grep -q "push button .窗口置顶. \[focusable"'

check "focus starts in the page" same "$(access focus)" page
eval "$(xdotool getwindowgeometry --shell "$main")"
# Inside the portal view, clear of the tickers that change on their own.
page="$((WIDTH - 200))x200+$((X + 100))+$((Y + 250))"
import -window root -crop "$page" "$work/before.png"
key Next
import -window root -crop "$page" "$work/after.png"
check "PageDown scrolls the page at once" \
    [ "$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)" != 0 ]

# Tab from the page: through its links, out to the tickers (whose names
# change as they turn) and round to the first tab.
read -r -d '' expected <<WALK || true
link
link
push button 窗口置顶
push button 最小化
push button 最大化
push button 退出程序
page tab 返回主页面
WALK
walk=page
for _ in $(seq 80); do
    key Tab
    now=$(access focus)
    case $now in link\ *) now=link ;; esac
    [ "$now" = page ] && [ "${walk##*$'\n'}" = page ] || walk+=$'\n'$now
    [ "$now" = "page tab 返回主页面" ] && break
done
check "Tab goes from the page to the tickers, round the caption buttons and on to the tabs" \
    same "$(sed -n '/^link/,$p' <<< "$walk")" "$expected"
for step in "影视资源" "视频点播"; do
    key Right
    check "Right reaches the tab $step" same "$(access focus)" "page tab $step"
done
key Tab Tab Tab Tab
check "Tab goes from the last tab into the page" same "$(access focus)" page
key shift+Tab
check "Shift+Tab comes back to the guestbook tab" same "$(access focus)" "page tab 留言/报错"
key Left Left Left
check "Left goes back along the tabs" same "$(access focus)" "page tab 视频点播"
key Return
check "Enter on a tab loads its channel" wait_for 10 grep -q ' /kinotray/demand/ ' "$work/portal.log"

check "the promotion window is there before Escape" eval "window 影片介绍 > /dev/null"
key Escape
check "Escape closes the promotion window" wait_for 5 eval '! window 影片介绍'
xdotool windowactivate "$main" key alt+F4
check "Alt+F4 ends the program" wait_for 10 eval '! kill -0 '"$player"' 2> /dev/null'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
