# Sourced by the end-to-end scripts: a private Xvfb display with openbox,
# a temporary work folder, and clean-up of every process started.
. "$(dirname "${BASH_SOURCE[0]}")/session.sh"
for n in $(seq 200 260); do
    [ -e /tmp/.X$n-lock ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=:$n
    for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo > /dev/null 2>&1 && break
done
unset QT_QPA_PLATFORM
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
openbox > "$work/openbox.log" 2>&1 &
pids+=($!)
export XDG_RUNTIME_DIR=$work/runtime XDG_CACHE_HOME=$work/cache
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CACHE_HOME" && chmod 700 "$XDG_RUNTIME_DIR"
