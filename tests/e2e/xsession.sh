# Sourced by the end-to-end scripts: a private Xvfb display with openbox,
# a temporary work folder, and clean-up of every process started. The screen
# is 1024x768 unless the script sets screen (WxHxDEPTH) first.
. "$(dirname "${BASH_SOURCE[0]}")/session.sh"
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/virtual-display.sh"
start_virtual_display "$work" "${screen:-1024x768x24}" || exit 1
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export XDG_RUNTIME_DIR=$work/runtime XDG_CACHE_HOME=$work/cache
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CACHE_HOME" && chmod 700 "$XDG_RUNTIME_DIR"

# settles TEST...: TEST passes within 10 seconds. What the window manager
# shows follows a request when it gets to it, which on a busy machine takes a
# while. A last run, with its output, says why it did not.
settles() { wait_for 10 "$@" || "$@"; }

# click_maximise ID: clicks the main window's maximise button, which lights
# up while the pointer is over its zone, 77 to 98 pixels into the 131-pixel
# caption strip in the top right corner.
click_maximise() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH - 131 + 80)) $((Y + 16))
    sleep 0.3
    xdotool mousemove $((X + WIDTH - 131 + 87)) $((Y + 16))
    sleep 0.3
    xdotool click 1
    sleep 1
}

# window TITLE: the id of the visible client window of that title. xdotool's
# name search misses Chinese titles under LANG=C, so the titles are compared here.
window() {
    local id
    for id in $(xprop -root _NET_CLIENT_LIST | sed 's/^[^#]*#//; s/,/ /g'); do
        [ "$(xdotool getwindowname "$id" 2> /dev/null)" = "$1" ] && { printf '%d\n' "$id"; return 0; }
    done
    return 1
}
