#!/usr/bin/env bash
# An install folder the user cannot write (a system-wide install) gets no
# start-up update check, even when one is due: the user could not install
# it. The same folder, writable, does check.
build=$1
[ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root to run the player as another user"; exit 77; }
id nobody > /dev/null 2>&1 && command -v runuser > /dev/null || { echo "SKIP: no user nobody or no runuser"; exit 77; }
. "$(dirname "$0")/xsession.sh"
chmod 755 "$work"

install=$work/prefix/opt/veltaro
"$(dirname "$0")/../../tools/make-install-folder" "$build/bin" "$install" http://127.0.0.1:9/kinotray/update
chmod -R go-w "$work/prefix"

. "$(dirname "$0")/../../tools/portal.sh"
start_portal "$build/bin/portal-server" "$(dirname "$0")/../../demo/portal" "$work/access.log"
chmod 644 "$work/access.log"
printf '[App Ver]\r\n5.0\r\n[Update Ver]\r\n2.0\r\n[Update Url]\r\n%s\r\n' "${base}kinotray/update" \
    > "$install/ClientInfor.inf"
export VELTARO_UPDATE_CHECK=always VELTARO_PORTAL_ROOT="${base}kinotray/"

# started LOG: the window is up and the main page was asked for.
started() {
    wait_for 60 xdotool search --onlyvisible --name '^Veltaro5\.0$' || { echo "no main window"; cat "$1"; return 1; }
    wait_for 30 grep -q ' /kinotray/ ' "$work/access.log" || { echo "portal page never requested"; return 1; }
}
stop() {
    kill "$1" 2>/dev/null || true
    wait_for 20 bash -c "! kill -0 $1" || kill -9 "$1" 2>/dev/null || true
    wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Veltaro5\.0$'" || true
}

# Writable by its user (root): the due check asks for UpdateInfor.inf.
"$install/player" > "$work/root.log" 2>&1 &
owner=$!
pids+=($owner)
started "$work/root.log" || exit 1
grep -q ' /kinotray/update/UpdateInfor.inf ' "$work/access.log" \
    || { echo "a writable install did not check for an update"; cat "$work/access.log"; exit 1; }
stop "$owner"

# The same folder for a user who cannot write it: no check at all.
: > "$work/access.log"
home=$work/nobody
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
chown -R nobody "$home"
[ -w "$install" ] && runuser -u nobody -- test -w "$install" && { echo "install folder writable by nobody"; exit 1; }
runuser -u nobody -- env HOME="$home" XDG_RUNTIME_DIR="$home/runtime" XDG_CACHE_HOME="$home/cache" \
    sh -c 'echo $$ > "$0/pid"; exec "$1/player"' "$home" "$install" > "$work/nobody.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$home/pid"
guest=$(cat "$home/pid")
pids+=($guest)
started "$work/nobody.log" || exit 1
sleep 1
if grep -q 'UpdateInfor.inf' "$work/access.log"; then
    echo "a read-only install checked for an update it cannot install"; cat "$work/access.log"; exit 1
fi
stop "$guest"
echo "2 passed, 0 failed"
