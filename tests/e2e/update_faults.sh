#!/usr/bin/env bash
# The real updater with its system calls made to fail, one at a time: every
# renameat, fsync, syncfs and unlinkat, and every opening of a target, of an
# update of three files (one in a sub-folder) in turn, through strace's fault
# injection. Then a target that cannot be replaced (immutable; a root-owned
# sub-folder for a normal user) and endless answers. Each run, after one more start, leaves exactly the old
# version or exactly the new one with no working file and no journal; a
# failure's reason is in update.log; an endless answer costs no memory.
bin=$1 top=$2 trust=${3:-signed}
command -v strace > /dev/null || { echo "SKIP: no strace"; exit 77; }
. "$(dirname "$0")/xsession.sh"
. "$(dirname "$0")/update_area.sh"
# The updater restarts the player after an update: a stand-in that ends.
printf '#!/bin/sh\nexit 0\n' > "$old/player"
# And it opens the home site after a failure: recorded, not opened.
mkdir -p "$work/path" && printf '#!/bin/sh\nexit 0\n' > "$work/path/xdg-open" && chmod +x "$work/path/xdg-open"
export PATH=$work/path:$PATH
log=$XDG_STATE_HOME/veltaro/update.log

# run_update [WRAPPER...]: the updater from $install, through WRAPPER, its
# box clicked and every message answered with Return, until it ends.
run_update() {
    "$@" "$install/update" > "$work/run.log" 2>&1 &
    local pid=$! window box
    window=$(xdotool search --sync --onlyvisible --name '在线更新程序2.0' | head -n 1)
    xdotool mousemove --window "$window" 300 212 click 1
    for _ in $(seq 600); do
        kill -0 "$pid" 2> /dev/null || break
        box=$(xdotool search --onlyvisible --name '^在线更新$' 2> /dev/null | tail -n 1) || true
        if [ -n "$box" ]; then
            xdotool windowactivate --sync "$box" 2> /dev/null || true
            xdotool key Return
        fi
        sleep 0.1
    done
    wait "$pid" 2> /dev/null || true
}

failures=0
# judge WHAT [VERSION] [REASON]: after one more start, exactly one version
# (VERSION when given) and nothing left; REASON in the log when given.
judge() {
    QT_QPA_PLATFORM=offscreen "$install/update" > "$work/restart.log" 2>&1 &
    local again=$! version=
    wait_for 10 clean
    kill "$again" 2> /dev/null || true
    wait "$again" 2> /dev/null || true
    holds 5.0 > /dev/null && version=5.0
    holds 5.1 > /dev/null && version=5.1
    if [ -z "$version" ] || ! clean || [ -e "$install/.veltaro-journal" ] ||
        { [ -n "${2:-}" ] && [ "$version" != "$2" ]; } ||
        { [ -n "${3:-}" ] && ! tail -n 1 "$log" 2> /dev/null | grep -q -- "$3"; }; then
        echo "FAIL $1: version '${version}' (wanted ${2:-either}), reason '$(tail -n 1 "$log" 2> /dev/null)'"
        find "$install" "$XDG_CACHE_HOME" -name '.veltaro-*'
        cat "$work/run.log" "$work/restart.log"
        failures=$((failures + 1))
    else
        echo "ok $1: version $version"
    fi
}

# A clean run counts the calls, and its peak memory is the yardstick below.
fresh_install
run_update /usr/bin/time -f %M -o "$work/normal.rss" env
judge "no fault" 5.1
# openat counts only the opening of a target, by the name the updater opens
# it with beside its folder (strace -P), not every library.
targets=(-P a.dat -P b.dat -P c.dat)
for call in renameat:EPERM fsync:EIO syncfs:EIO unlinkat:EACCES openat:EACCES; do
    name=${call%%:*} only=()
    [ "$name" = openat ] && only=("${targets[@]}")
    fresh_install
    run_update strace -f -qq -o "$work/trace" "${only[@]}" -e trace="$name"
    count=$(grep -c "^[0-9]* *$name(" "$work/trace" || true)
    [ "$count" -gt 0 ] || { echo "FAIL: the update made no $name call"; failures=$((failures + 1)); }
    for n in $(seq "$count"); do
        fresh_install
        run_update strace -f -qq -o /dev/null "${only[@]}" -e trace="$name" -e inject="$name:error=${call#*:}:when=$n"
        judge "$name #$n fails"
    done
done

# A target nothing may replace: refused before anything is moved.
fresh_install
if chattr +i "$install/sub/c.dat" 2> /dev/null; then
    run_update
    chattr -i "$install/sub/c.dat"
    judge "immutable sub/c.dat" 5.0 "Cannot replace sub/c.dat: "
else
    echo "skipped: chattr +i is not supported here"
fi

# A normal user whose install has a sub-folder that root owns.
if [ "$(id -u)" -eq 0 ]; then
    fresh_install
    chmod 755 "$work"
    mkdir -p "$XDG_STATE_HOME"
    chown -R nobody: "$install" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
    chown root: "$install/sub"
    run_update setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups env HOME="$work"
    chown -R root: "$install" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
    judge "normal user, root-owned sub/" 5.0 "Cannot replace sub/c.dat: "
fi

# Endless answers: the fetch stops at its limit, memory stays flat. A build
# without a key never asks for the signature.
endless=(SHA256SUMS)
[ "$trust" = signed ] && endless+=(SHA256SUMS.minisig)
for file in "${endless[@]}"; do
    curl -sf "${base}__control?path=/u/$file&endless=1" > /dev/null
    fresh_install
    run_update /usr/bin/time -f %M -o "$work/endless.rss" env
    curl -sf "${base}__control?path=/u/$file&reset=1" > /dev/null
    judge "endless $file" 5.0 "too large"
    if [ "$(cat "$work/endless.rss")" -gt $(($(cat "$work/normal.rss") + 20480)) ]; then
        echo "FAIL endless $file: peak $(cat "$work/endless.rss") KB against $(cat "$work/normal.rss") KB"
        failures=$((failures + 1))
    fi
done

# The player's check against an endless UpdateInfor.inf: given up at its
# limit, the main window shows; peak memory against a check the server
# answers with 404.
player_peak() { # prints the player's peak resident KB once its window shows
    fresh_install
    rm -rf "$XDG_CACHE_HOME/kinotray"
    VELTARO_UPDATE_CHECK=always "$install/player" > "$work/player.log" 2>&1 &
    local pid=$!
    wait_for 60 xdotool search --onlyvisible --name '^Veltaro5' || { echo "FAIL: no main window" >&2; cat "$work/player.log" >&2; }
    awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status"
    kill "$pid"
    wait "$pid" 2> /dev/null || true
}
cp "$bin/player" "$old/player"
curl -sf "${base}__control?path=/u/UpdateInfor.inf&status=404" > /dev/null
normal=$(player_peak)
curl -sf "${base}__control?path=/u/UpdateInfor.inf&reset=1" > /dev/null
curl -sf "${base}__control?path=/u/UpdateInfor.inf&endless=1" > /dev/null
endless=$(player_peak)
if ! grep -q 'GET /u/UpdateInfor.inf' "$work/access.log"; then
    echo "skipped: the player found no network and made no check"
elif [ -z "$normal" ] || [ -z "$endless" ] || [ "$endless" -gt $((normal + 20480)) ] ||
    ! tail -n 1 "$log" | grep -q "too large"; then
    echo "FAIL endless UpdateInfor.inf: player peak '$endless' KB against '$normal' KB; $(tail -n 1 "$log")"
    failures=$((failures + 1))
else
    echo "ok endless UpdateInfor.inf: player peak $endless KB against $normal KB"
fi
exit $((failures > 0))
