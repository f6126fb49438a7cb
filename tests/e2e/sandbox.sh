#!/usr/bin/env bash
# The Chromium sandbox as users have it: every other suite runs as root and
# so turns it off. Here a normal user (nobody, when the suite runs as root)
# starts the player with the sandbox on; the portal loads, and the renderer
# runs under seccomp-bpf.
bin=$1 top=$2
. "$(dirname "$0")/session.sh"
as=()
if [ "$(id -u)" -eq 0 ]; then
    id nobody > /dev/null 2>&1 && command -v runuser > /dev/null || { echo "SKIP: no user nobody or no runuser"; exit 77; }
    as=(runuser -u nobody --)
fi
# The sandbox puts the renderer in new user, PID and network namespaces.
"${as[@]}" unshare --user --pid --net --fork true 2> /dev/null \
    || { echo "SKIP: user namespaces are not available to a normal user here"; exit 77; }

chmod 755 "$work"
"$top/tools/make-install-folder" "$bin" "$work/install" http://127.0.0.1:9/kinotray/update
. "$top/tools/portal.sh"
start_portal "$bin/portal-server" "$top/demo/portal" "$work/access.log"
home=$work/home
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
[ ${#as[@]} -eq 0 ] || chown -R nobody "$home"
"${as[@]}" env -u QTWEBENGINE_DISABLE_SANDBOX HOME="$home" XDG_RUNTIME_DIR="$home/runtime" \
    XDG_CACHE_HOME="$home/cache" XDG_CONFIG_HOME="$home/config" QT_QPA_PLATFORM=offscreen \
    VELTARO_UPDATE_CHECK=never VELTARO_PORTAL_ROOT="${base}kinotray/" \
    sh -c 'echo $$ > "$0/pid"; exec "$1/player"' "$home" "$work/install" > "$work/player.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$home/pid"
player=$(cat "$home/pid")
pids+=("$player")
wait_for 60 grep -q ' /kinotray/ping/loaded' "$work/access.log" \
    || { echo "FAIL: the portal never loaded with the sandbox on"; cat "$work/player.log"; exit 1; }

descendants() { local p; for p in $(pgrep -P "$1"); do echo "$p"; descendants "$p"; done; }
# Renderers are forked by the zygote and keep its command line: they are
# the engine's processes that start none of their own.
renderers=0 confined=0
for p in $(descendants "$player"); do
    [ -z "$(pgrep -P "$p")" ] && grep -q -- '--type=zygote' "/proc/$p/cmdline" 2> /dev/null || continue
    renderers=$((renderers + 1))
    grep -q '^Seccomp:[[:space:]]*2$' "/proc/$p/status" && confined=$((confined + 1))
done
[ "$renderers" -gt 0 ] && [ "$confined" -eq "$renderers" ] \
    || { echo "FAIL: $confined of $renderers renderers under seccomp"; exit 1; }
echo "2 passed, 0 failed"
